// Reports, into the file named by its argument, what the version rules of the
// system layer make of the Windows version this process is told it runs on:
//   version=<major>.<minor>
//   reveal=<requests reaching the shell, in order>
//   roaming=<roaming application data fallback>
// The shell is faked (nothing opens; the item selection fails) and the roaming
// folder has neither a shell answer nor a variable; the version is the real
// one, which Wine sets per executable name.
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "fake_system.h"
#include "system/file_manager.h"
#include "system/known_folders.h"
#include "system/system_caches.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  FakeSystem fake;
  fake.selectResult = E_FAIL;
  fake.shellFolderFails = true;
  fake.environment.emplace();
  fake.userName = u"U1";

  const PlatformVersion version = ReportedPlatformVersion();
  RevealInFileManager(u"C:\\probe\\shown.txt");
  std::string reveal(fake.selectedPaths.size() ? "select" : "");
  for (const ShellExecuteCall& call : fake.shellExecuteCalls)
    reveal += (reveal.empty() ? "" : ",") + StringToUtf8(call.verb);
  const String roaming = GetSpecialFolderPath(nullptr, CSIDL_APPDATA);

  std::ofstream out(std::filesystem::path(argv[1]), std::ios::binary);
  out << "version=" << version.major << "." << version.minor << "\n"
      << "reveal=" << reveal << "\n"
      << "roaming=" << StringToUtf8(roaming) << "\n";
  return out ? 0 : 1;
}
