#include "engine/style/code_hook_win.h"

#include "vcl/win_api.h"

#include <cstring>

#include "engine/style/readable_memory_win.h"
#include "rtl/exceptions.h"
#include "rtl/format.h"

namespace {

constexpr uint8_t kRelativeJump = 0xE9;
constexpr size_t kJumpSize = 5;

void Report(const wchar_t* text) { OutputDebugStringW(text); }

// Writes `size` bytes over code, with write access only for the write.
bool WriteCode(void* address, const void* bytes, size_t size) {
  DWORD old_protect = 0;
  if (!VirtualProtect(address, size, PAGE_EXECUTE_READWRITE, &old_protect)) return false;
  SIZE_T written = 0;
  const bool ok = WriteProcessMemory(GetCurrentProcess(), address, bytes, size, &written) && written == size;
  DWORD ignored = 0;
  VirtualProtect(address, size, old_protect, &ignored);
  if (ok) FlushInstructionCache(GetCurrentProcess(), address, size);
  return ok;
}

bool ReadCode(const void* address, void* bytes, size_t size) {
  SIZE_T read = 0;
  return ReadProcessMemory(GetCurrentProcess(), address, bytes, size, &read) && read == size;
}

}  // namespace

void* ResolveJumpThunk(void* code) {
  auto* bytes = static_cast<uint8_t*>(code);
  if (!IsReadable(bytes, 6) || bytes[0] != 0xFF || bytes[1] != 0x25) return code;
  int32_t operand = 0;
  std::memcpy(&operand, bytes + 2, sizeof(operand));
#if defined(_WIN64)
  // RIP-relative: the pointer lies relative to the end of the 6-byte jump.
  const uint8_t* pointer = bytes + 6 + operand;
#else
  const uint8_t* pointer = reinterpret_cast<const uint8_t*>(uintptr_t(uint32_t(operand)));
#endif
  void* target = nullptr;
  if (!IsReadable(pointer, sizeof(target))) return code;
  std::memcpy(&target, pointer, sizeof(target));
  return target;
}

bool InstallCodeHook(void* target, void* replacement, TCodeHook& hook) {
  hook = TCodeHook{};
  if (!IsReadable(target, 6)) {
    Report(L"Rd_Hook: BadReadPtr");
    return false;
  }
  auto* address = static_cast<uint8_t*>(ResolveJumpThunk(target));
  uint8_t saved[kJumpSize];
  if (!ReadCode(address, saved, kJumpSize)) return false;

  if (saved[0] == kRelativeJump) {
    Report(L"Rd_Hook: already hook?");
    int32_t displacement = 0;
    std::memcpy(&displacement, saved + 1, sizeof(displacement));
    const uint8_t* dest = address + kJumpSize + displacement;
    uint32_t code = 0;
    ReadCode(dest, &code, sizeof(code));
    throw EAssertionFailed(u"Rd_Hook: already hook? jump=" +
                           Format(u"%x, dest=%x, code=%x", {uint32_t(saved[0]), uintptr_t(dest), code}));
  }

  const int64_t distance = int64_t(intptr_t(replacement)) - int64_t(intptr_t(address)) - int64_t(kJumpSize);
  if (distance < INT32_MIN || distance > INT32_MAX) {
    // A rel32 jump cannot encode it: refuse rather than jump elsewhere.
    Report(L"Rd_Hook: replacement out of jump range");
    return false;
  }
  uint8_t jump[kJumpSize] = {kRelativeJump};
  const int32_t displacement = int32_t(distance);
  std::memcpy(jump + 1, &displacement, sizeof(displacement));
  if (!WriteCode(address, jump, kJumpSize)) return false;
  std::memcpy(hook.SavedBytes, saved, kJumpSize);
  hook.Address = address;
  return true;
}

void RemoveCodeHook(TCodeHook& hook) {
  if (!hook.Installed()) return;
  if (!IsReadable(hook.Address, kJumpSize)) {
    Report(L"Rd_Hook: BadReadPtr");
    return;
  }
  if (WriteCode(hook.Address, hook.SavedBytes, kJumpSize)) hook = TCodeHook{};
}
