// Known folders: the shell's answer when it has one, else the environment,
// else the folder's usual place for the Windows version, user and drive.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "fake_system.h"
#include "rtl/wide_string.h"
#include "system/known_folders.h"

namespace {

TEST(KnownFolders, TheShellsAnswerIsReturnedAsItCame) {
  wchar_t expected[MAX_PATH + 1] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, expected, CSIDL_APPDATA, FALSE));
  const String real = GetSpecialFolderPath(nullptr, CSIDL_APPDATA);
  EXPECT_EQ(real, FromWide(expected));
  EXPECT_NE(real.back(), u'\\');

  FakeSystem fake;
  fake.shellFolder = u"Q:\\Roaming Somewhere";
  EXPECT_EQ(GetSpecialFolderPath(nullptr, CSIDL_APPDATA), u"Q:\\Roaming Somewhere");
  EXPECT_TRUE(fake.variablesRead.empty());
}

struct FallbackCase {
  const char* name;
  int csidl;
  std::pair<DWORD, DWORD> version;
  bool wow64;
  std::map<std::wstring, String> environment;
  String expected;
  std::wstring variableRead;  // empty: none may be read
};

void PrintTo(const FallbackCase& c, std::ostream* out) { *out << c.name; }

class KnownFolderFallback : public testing::TestWithParam<FallbackCase> {};

TEST_P(KnownFolderFallback, FollowsTheTable) {
  const FallbackCase& c = GetParam();
  FakeSystem fake;
  fake.shellFolderFails = true;
  fake.version = c.version;
  fake.userName = u"U1";
  fake.kernel32FileName = u"C:\\windows\\system32\\kernel32.dll";
  fake.environment = c.environment;
  fake.isWow64Process = FakeIsWow64Process{TRUE, c.wow64 ? TRUE : FALSE, false};

  EXPECT_EQ(GetSpecialFolderPath(nullptr, c.csidl), c.expected);
  if (c.variableRead.empty())
    EXPECT_TRUE(fake.variablesRead.empty());
  else
    EXPECT_EQ(fake.variablesRead, std::vector<std::wstring>{c.variableRead});
}

const std::map<std::wstring, String> kNoVariables;
const std::map<std::wstring, String> kEmptyAppData = {{L"APPDATA", u""}};

INSTANTIATE_TEST_SUITE_P(
    ShellFailing, KnownFolderFallback,
    testing::Values(
        FallbackCase{"RoamingFromTrimmedVariable", CSIDL_APPDATA, {6, 1}, false,
                     {{L"APPDATA", u" \t X:\\Roam Here \r\n"}}, u"X:\\Roam Here", L"APPDATA"},
        FallbackCase{"RoamingBlankVariableOn61", CSIDL_APPDATA, {6, 1}, false, {{L"APPDATA", u"  \t "}},
                     u"C:\\Users\\U1\\AppData\\Roaming", L"APPDATA"},
        FallbackCase{"RoamingEmptyVariableOn61", CSIDL_APPDATA, {6, 1}, false, kEmptyAppData,
                     u"C:\\Users\\U1\\AppData\\Roaming", L"APPDATA"},
        FallbackCase{"RoamingEmptyVariableOn51", CSIDL_APPDATA, {5, 1}, false, kEmptyAppData,
                     u"C:\\Documents and Settings\\U1\\Application Data", L"APPDATA"},
        FallbackCase{"LocalOn10", CSIDL_LOCAL_APPDATA, {10, 0}, false, kNoVariables,
                     u"C:\\Users\\U1\\AppData\\Local", L"LOCALAPPDATA"},
        FallbackCase{"LocalOn50", CSIDL_LOCAL_APPDATA, {5, 0}, false, kNoVariables,
                     u"C:\\Documents and Settings\\U1\\Local Settings\\Application Data", L"LOCALAPPDATA"},
        FallbackCase{"SharedOn60", CSIDL_COMMON_APPDATA, {6, 0}, false, kNoVariables, u"C:\\ProgramData",
                     L"ProgramData"},
        FallbackCase{"SharedOn52", CSIDL_COMMON_APPDATA, {5, 2}, false, kNoVariables,
                     u"C:\\Documents and Settings\\All Users\\Application Data", L"ProgramData"},
        FallbackCase{"ProgramFilesNative", CSIDL_PROGRAM_FILES, {6, 1}, false, kNoVariables,
                     u"C:\\Program Files", L"ProgramFiles"},
        FallbackCase{"ProgramFilesWow64", CSIDL_PROGRAM_FILES, {6, 1}, true, kNoVariables,
                     u"C:\\Program Files (x86)", L"ProgramFiles(x86)"},
        FallbackCase{"ProgramFilesWow64On52", CSIDL_PROGRAM_FILES, {5, 2}, true, kNoVariables,
                     u"C:\\Program Files (x86)", L"ProgramFiles(x86)"},
        FallbackCase{"ProgramFilesWow64Variable", CSIDL_PROGRAM_FILES, {6, 1}, true,
                     {{L"ProgramFiles", u"C:\\Wrong"}, {L"ProgramFiles(x86)", u"E:\\Apps32"}}, u"E:\\Apps32",
                     L"ProgramFiles(x86)"},
        FallbackCase{"ProfileOn61", CSIDL_PROFILE, {6, 1}, false, kNoVariables, u"C:\\Users\\U1",
                     L"USERPROFILE"},
        FallbackCase{"ProfileOn51", CSIDL_PROFILE, {5, 1}, false, kNoVariables,
                     u"C:\\Documents and Settings\\U1", L"USERPROFILE"},
        FallbackCase{"CommonFilesNativeOn50", CSIDL_PROGRAM_FILES_COMMON, {5, 0}, false, kNoVariables,
                     u"C:\\Program Files\\Common Files", L"CommonProgramFiles"},
        FallbackCase{"CommonFilesWow64", CSIDL_PROGRAM_FILES_COMMON, {6, 1}, true, kNoVariables,
                     u"C:\\Program Files (x86)\\Common Files", L"CommonProgramFiles(x86)"},
        FallbackCase{"OutsideTheTable", CSIDL_PERSONAL, {6, 1}, false, kNoVariables, u"", L""}),
    [](const testing::TestParamInfo<FallbackCase>& info) { return std::string(info.param.name); });

TEST(KnownFolders, ABareDriveCountsAsNoAnswerForFoldersOfTheTableOnly) {
  FakeSystem fake;
  fake.shellFolder = u"C:";
  fake.environment = {{L"APPDATA", u"R:\\Roaming"}};
  EXPECT_EQ(GetSpecialFolderPath(nullptr, CSIDL_APPDATA), u"R:\\Roaming");
  EXPECT_EQ(GetSpecialFolderPath(nullptr, CSIDL_PERSONAL), u"C:");
}

TEST(KnownFolders, TheFallbackUsesTheDriveOfKernel32) {
  FakeSystem fake;
  fake.shellFolderFails = true;
  fake.environment.emplace();
  fake.version = {6, 1};
  fake.kernel32FileName = u"D:\\Windows\\System32\\kernel32.dll";
  EXPECT_EQ(GetSpecialFolderPath(nullptr, CSIDL_COMMON_APPDATA), u"D:\\ProgramData");
  fake.kernel32FileName = u"\\\\server\\share\\Windows\\System32\\kernel32.dll";
  EXPECT_EQ(GetSpecialFolderPath(nullptr, CSIDL_COMMON_APPDATA), u"\\\\server\\share\\ProgramData");
}

// Sets a real environment variable for the test's duration.
class ScopedVariable {
 public:
  ScopedVariable(const wchar_t* name, const String& value) : name_(name) {
    wchar_t old[32767];
    const DWORD length = GetEnvironmentVariableW(name, old, 32767);
    if (length > 0) old_ = FromWide(old, length);
    SetEnvironmentVariableW(name, WideCStr(value));
  }
  ~ScopedVariable() { SetEnvironmentVariableW(name_, old_ ? WideCStr(*old_) : nullptr); }

 private:
  const wchar_t* name_;
  std::optional<String> old_;
};

TEST(KnownFolders, RealEnvironmentValuesOfAnyLengthAreRead) {
  FakeSystem fake;
  fake.shellFolderFails = true;
  const String longValue = u"C:\\" + String(600, u'x');
  const ScopedVariable variable(L"LOCALAPPDATA", u"  " + longValue + u"  ");
  EXPECT_EQ(GetSpecialFolderPath(nullptr, CSIDL_LOCAL_APPDATA), longValue);
}

TEST(LoginUserName, IsTheSystemsAnswer) {
  EXPECT_FALSE(GetLoginUserName().empty());

  FakeSystem fake;
  const String longest(254, u'n');
  fake.userName = longest;
  EXPECT_EQ(GetLoginUserName(), longest);
  EXPECT_EQ(fake.userNameSizePassed, 255u);
  fake.userName = String(255, u'n');
  EXPECT_EQ(GetLoginUserName(), u"");
  fake.userName = u"J\u00F6rg \u4E2D";
  EXPECT_EQ(GetLoginUserName(), u"J\u00F6rg \u4E2D");
}

}  // namespace
