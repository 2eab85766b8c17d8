#include "engine/style/code_hook_win.h"

#include "vcl/win_api.h"

#include <gtest/gtest.h>

#include <cstring>

#include "rtl/exceptions.h"

namespace {

// Big enough for a 5-byte jump; called through a volatile pointer so that
// every call reaches the code.
__attribute__((noinline)) int Tripled(int x) {
  volatile int y = x;
  return y * 3 + 1;
}
__attribute__((noinline)) int Negated(int x) {
  volatile int y = x;
  return -y;
}
int (*volatile g_tripled)(int) = &Tripled;

TEST(CodeHook, InstalledCalledRemoved) {
  uint8_t before[5];
  std::memcpy(before, reinterpret_cast<void*>(&Tripled), 5);
  TCodeHook hook;
  ASSERT_TRUE(InstallCodeHook(reinterpret_cast<void*>(&Tripled), reinterpret_cast<void*>(&Negated), hook));
  EXPECT_TRUE(hook.Installed());
  EXPECT_EQ(g_tripled(5), -5);

  // A second detour of the same code is refused and changes nothing.
  TCodeHook second;
  try {
    InstallCodeHook(reinterpret_cast<void*>(&Tripled), reinterpret_cast<void*>(&Negated), second);
    ADD_FAILURE() << "no assertion failure";
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(e.Message().rfind(u"Rd_Hook: already hook? jump=E9, dest=", 0), 0u);
  }
  EXPECT_FALSE(second.Installed());
  EXPECT_EQ(g_tripled(5), -5);

  RemoveCodeHook(hook);
  EXPECT_FALSE(hook.Installed());
  EXPECT_EQ(g_tripled(5), 16);
  EXPECT_EQ(std::memcmp(before, reinterpret_cast<void*>(&Tripled), 5), 0);
  RemoveCodeHook(hook);  // nothing left to remove
  EXPECT_EQ(g_tripled(5), 16);
}

TEST(CodeHook, ReplacementOutOfJumpRangeIsRefused) {
#if defined(_WIN64)
  // Memory distant beyond ±2 GB of the program's code.
  const auto code = reinterpret_cast<uintptr_t>(&Tripled);
  void* distant = nullptr;
  for (uintptr_t at = code + (uintptr_t(1) << 36); !distant && at < code + (uintptr_t(1) << 40);
       at += uintptr_t(1) << 32) {
    distant = VirtualAlloc(reinterpret_cast<void*>(at), 4096, MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READWRITE);
  }
  ASSERT_NE(distant, nullptr);
  uint8_t before[5];
  std::memcpy(before, reinterpret_cast<void*>(&Tripled), 5);
  TCodeHook hook;
  EXPECT_FALSE(InstallCodeHook(reinterpret_cast<void*>(&Tripled), distant, hook));
  EXPECT_FALSE(hook.Installed());
  EXPECT_EQ(std::memcmp(before, reinterpret_cast<void*>(&Tripled), 5), 0);
  EXPECT_EQ(g_tripled(5), 16);
  VirtualFree(distant, 0, MEM_RELEASE);
#else
  GTEST_SKIP() << "every address is in reach on 32-bit code";
#endif
}

TEST(CodeHook, UnreadableTargetIsLeftAlone) {
  void* none = VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
  ASSERT_NE(none, nullptr);
  TCodeHook hook;
  EXPECT_FALSE(InstallCodeHook(none, reinterpret_cast<void*>(&Negated), hook));
  EXPECT_FALSE(hook.Installed());
  VirtualFree(none, 0, MEM_RELEASE);
}

TEST(CodeHook, JumpThunkResolvesToTheFunctionItJumpsTo) {
  void* const real = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSysColor"));
  ASSERT_NE(real, nullptr);
  auto* thunk = static_cast<uint8_t*>(VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(thunk, nullptr);
  // FF 25 <operand>, then the pointer right behind the instruction.
  thunk[0] = 0xFF;
  thunk[1] = 0x25;
  void** pointer = reinterpret_cast<void**>(thunk + 8);
  *pointer = real;
#if defined(_WIN64)
  const int32_t operand = 2;  // relative to the end of the 6-byte jump
#else
  const int32_t operand = int32_t(reinterpret_cast<uintptr_t>(pointer));
#endif
  std::memcpy(thunk + 2, &operand, 4);
  EXPECT_EQ(ResolveJumpThunk(thunk), real);
  EXPECT_EQ(ResolveJumpThunk(real), real);  // not a thunk: itself
  VirtualFree(thunk, 0, MEM_RELEASE);
}

}  // namespace
