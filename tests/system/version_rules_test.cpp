// The version rules end to end: Wine reports another Windows version to an
// executable named in HKCU\Software\Wine\AppDefaults\<exe name>, value
// "Version". The probe program runs under such names and tells what the
// layer did on that version.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "rtl/wide_string.h"
#include "test_support.h"

namespace {

// Wine's per-program version setting, removed again on destruction.
class WineVersionFor {
 public:
  WineVersionFor(const String& exeName, const wchar_t* version)
      : key_(u"Software\\Wine\\AppDefaults\\" + exeName) {
    if (!version) return;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, WideCStr(key_), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr))
      return;
    RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    written_ = true;
  }
  ~WineVersionFor() {
    if (written_) RegDeleteTreeW(HKEY_CURRENT_USER, WideCStr(key_));
  }
  bool written() const { return written_; }

 private:
  String key_;
  bool written_ = false;
};

struct VersionCase {
  const char* name;
  const wchar_t* wineVersion;  // nullptr: Wine's default
  const char* report;
};

void PrintTo(const VersionCase& c, std::ostream* out) { *out << c.name; }

class VersionRules : public testing::TestWithParam<VersionCase> {};

TEST_P(VersionRules, HoldOnTheVersionWineReports) {
  if (!RunningUnderWine()) GTEST_SKIP() << "needs Wine's per-program Windows version";
  const VersionCase& c = GetParam();
  TempFolder temp;
  const String exeName = u"rd_probe_" + Utf8ToString(c.name) + u".exe";
  const String exe = temp.path() + u"\\" + exeName;
  ASSERT_TRUE(CopyFileW(WideCStr(TestProgramFolder() + u"system_version_probe.exe"), WideCStr(exe), FALSE));
  const WineVersionFor setting(exeName, c.wineVersion);
  ASSERT_TRUE(setting.written() || !c.wineVersion);

  const String reportFile = temp.path() + u"\\report.txt";
  ChildProcess probe(exe, u"\"" + reportFile + u"\"");
  ASSERT_TRUE(probe.started());
  ASSERT_TRUE(probe.WaitForExit(30000));
  EXPECT_EQ(probe.ExitCode(), 0u);
  std::ifstream in(std::filesystem::path(WideCStr(reportFile)), std::ios::binary);
  std::stringstream report;
  report << in.rdbuf();
  EXPECT_EQ(report.str(), c.report);
}

INSTANTIATE_TEST_SUITE_P(
    Wine, VersionRules,
    testing::Values(VersionCase{"default", nullptr,
                                "version=6.1\n"
                                "reveal=select,explore\n"
                                "roaming=C:\\Users\\U1\\AppData\\Roaming\n"},
                    VersionCase{"winxp64", L"winxp64",
                                "version=5.2\n"
                                "reveal=select,open\n"
                                "roaming=C:\\Documents and Settings\\U1\\Application Data\n"},
                    VersionCase{"win2k", L"win2k",
                                "version=5.0\n"
                                "reveal=open\n"
                                "roaming=C:\\Documents and Settings\\U1\\Application Data\n"}),
    [](const testing::TestParamInfo<VersionCase>& info) { return std::string(info.param.name); });

}  // namespace
