#include "vcl/registry.h"

#include <gtest/gtest.h>
#include "vcl/win_api.h"

#include "rtl/wide_string.h"

namespace {

constexpr wchar_t kTestKey[] = L"Software\\SystavoVclRegistryTest";

void WriteValue(HKEY root, REGSAM view, const wchar_t* name, const wchar_t* text) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(root, kTestKey, 0, nullptr, 0, KEY_WRITE | view, nullptr, &key, nullptr), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                           static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

void DeleteTestKey(HKEY root, REGSAM view) { RegDeleteKeyExW(root, kTestKey, view, 0); }

class RegistryTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      DeleteTestKey(root, KEY_WOW64_32KEY);
      DeleteTestKey(root, KEY_WOW64_64KEY);
    }
  }
};

TEST_F(RegistryTest, ReadsStringsAndReportsWhatIsMissing) {
  WriteValue(HKEY_CURRENT_USER, 0, L"InstallLocation", L"C:\\Suite");
  HKEY key = nullptr;
  RegOpenKeyExW(HKEY_CURRENT_USER, kTestKey, 0, KEY_WRITE, &key);
  const DWORD number = 7;
  RegSetValueExW(key, L"Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
  RegSetValueExW(key, L"NoTerminator", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"abc"), 6);
  RegCloseKey(key);

  TRegistry registry(KEY_READ);
  EXPECT_EQ(registry.RootKey(), HKEY_CURRENT_USER);
  ASSERT_TRUE(registry.OpenKeyReadOnly(u"\\Software\\SystavoVclRegistryTest"));
  EXPECT_EQ(registry.CurrentPath(), u"Software\\SystavoVclRegistryTest");
  EXPECT_TRUE(registry.ValueExists(u"InstallLocation"));
  EXPECT_EQ(registry.ReadString(u"InstallLocation"), u"C:\\Suite");
  EXPECT_EQ(registry.ReadString(u"NoTerminator"), u"abc");
  EXPECT_FALSE(registry.ValueExists(u"Missing"));
  EXPECT_EQ(registry.ReadString(u"Missing"), u"");
  EXPECT_EQ(registry.ReadInteger(u"Count"), 7);
  try {
    registry.ReadString(u"Count");
    FAIL() << "a number read as a string";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message(), u"Invalid data type for 'Count'");
  }
  registry.CloseKey();
  EXPECT_EQ(registry.CurrentKey(), nullptr);
  EXPECT_FALSE(registry.ValueExists(u"InstallLocation"));
  EXPECT_FALSE(registry.OpenKeyReadOnly(u"\\Software\\SystavoVclRegistryTest\\Missing"));
  EXPECT_EQ(registry.LastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, RelativePathsStartAtTheCurrentKey) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(u"\\Software\\SystavoVclRegistryTest\\Sub", true));
  registry.CloseKey();
  ASSERT_TRUE(registry.OpenKey(u"Software\\SystavoVclRegistryTest", false));
  ASSERT_TRUE(registry.OpenKey(u"Sub", false));
  EXPECT_EQ(registry.CurrentPath(), u"Software\\SystavoVclRegistryTest\\Sub");
  EXPECT_TRUE(registry.KeyExists(u"\\Software\\SystavoVclRegistryTest"));
  EXPECT_FALSE(registry.KeyExists(u"\\Software\\SystavoVclRegistryTest\\Nope"));
  registry.CloseKey();
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\SystavoVclRegistryTest\\Sub");
}

TEST_F(RegistryTest, TheViewFlagSelectsThe32Or64BitRegistry) {
  // Written only to the 64-bit view first.
  WriteValue(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, L"InstallLocation", L"C:\\Only64");
  TRegistry view32(KEY_READ | KEY_WOW64_32KEY);
  view32.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(view32.OpenKeyReadOnly(u"\\Software\\SystavoVclRegistryTest"));

  WriteValue(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"InstallLocation", L"C:\\Only32");
  ASSERT_TRUE(view32.OpenKeyReadOnly(u"\\Software\\SystavoVclRegistryTest"));
  EXPECT_EQ(view32.ReadString(u"InstallLocation"), u"C:\\Only32");
  EXPECT_EQ(view32.Access() & KEY_WOW64_32KEY, static_cast<REGSAM>(KEY_WOW64_32KEY));

  TRegistry view64(KEY_READ | KEY_WOW64_64KEY);
  view64.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(view64.OpenKeyReadOnly(u"\\Software\\SystavoVclRegistryTest"));
  EXPECT_EQ(view64.ReadString(u"InstallLocation"), u"C:\\Only64");
}

}  // namespace
