#include "engine/style/import_patch_win.h"

#include "vcl/win_api.h"

#include <gtest/gtest.h>

namespace {

DWORD WINAPI FakeGetSysColor(int) { return 0x00123456; }

// The program's own call through its import entry. The compiler treats a
// function's address as constant and may reuse one load of the entry within a
// function, so each call gets a function of its own.
__attribute__((noipa)) DWORD ButtonFace() { return GetSysColor(COLOR_BTNFACE); }

TEST(ImportPatch, FindsTheDllsTheExecutableImports) {
  EXPECT_TRUE(FindDllFromIAT(nullptr, "user32.dll"));
  EXPECT_TRUE(FindDllFromIAT(nullptr, "USER32.DLL"));
  EXPECT_FALSE(FindDllFromIAT(nullptr, "nosuch.dll"));
}

TEST(ImportPatch, RedirectedSkippedWhenInstalledAndRestored) {
  const DWORD real = ButtonFace();
  ASSERT_NE(real, 0x00123456u);

  void* saved = nullptr;
  const TImportPatch patch{"GetSysColor", reinterpret_cast<void*>(&FakeGetSysColor), &saved};
  ASSERT_EQ(PatchImports(nullptr, "user32.dll", {&patch, 1}), 1);
  EXPECT_EQ(saved, reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSysColor")));
  EXPECT_EQ(ButtonFace(), 0x00123456u);

  EXPECT_EQ(PatchImports(nullptr, "user32.dll", {&patch, 1}), 0);  // slot filled: not again

  const TImportPatch undo{"GetSysColor", saved, nullptr};
  EXPECT_EQ(PatchImports(nullptr, "user32.dll", {&undo, 1}), 1);
  EXPECT_EQ(ButtonFace(), real);
}

TEST(ImportPatch, NothingExaminedGivesMinusOne) {
  const TImportPatch patch{"GetSysColor", reinterpret_cast<void*>(&FakeGetSysColor), nullptr};
  EXPECT_EQ(PatchImports(nullptr, "nosuch.dll", {&patch, 1}), -1);
  const TImportPatch unknown{"NoSuchFunction", reinterpret_cast<void*>(&FakeGetSysColor), nullptr};
  EXPECT_EQ(PatchImports(nullptr, "user32.dll", {&unknown, 1}), 0);
}

}  // namespace
