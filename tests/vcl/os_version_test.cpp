#include "vcl/os_version.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "rtl/wide_string.h"
#include "vcl/win_api.h"

namespace {

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::wstring Beside(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

// Runs the probe and returns what it reports.
std::string ProbeVersion() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring out = std::wstring(temp) + L"vcl_version_probe.txt";
  std::wstring command = L"\"" + Beside(L"vcl_version_probe.exe") + L"\" \"" + out + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return "no probe";
  }
  WaitForSingleObject(process.hProcess, 30000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::ifstream file(std::filesystem::path(out), std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  file.close();
  DeleteFileW(out.c_str());
  return text.str();
}

// Tells Wine which Windows to report to the probe while alive.
class WineVersionFor {
 public:
  explicit WineVersionFor(const wchar_t* version) {
    RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key_, nullptr);
    RegSetValueExW(key_, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
  }
  ~WineVersionFor() {
    RegCloseKey(key_);
    RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
  }

 private:
  static constexpr const wchar_t* kKey = L"Software\\Wine\\AppDefaults\\vcl_version_probe.exe";
  HKEY key_ = nullptr;
};

TEST(OSVersion, ReportsTheVersionThePlatformGivesThisProgram) {
  EXPECT_GE(Win32MajorVersion(), 5);
  EXPECT_EQ(ProbeVersion(), std::to_string(Win32MajorVersion()) + "." + std::to_string(Win32MinorVersion()));
  if (!RunningUnderWine()) GTEST_SKIP() << "needs Wine's per-program Windows version";
  {
    WineVersionFor version(L"win2k");
    EXPECT_EQ(ProbeVersion(), "5.0");
  }
  {
    WineVersionFor version(L"winxp64");
    EXPECT_EQ(ProbeVersion(), "5.2");
  }
}

}  // namespace
