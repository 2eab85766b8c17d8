// Writes "<major>.<minor>" of the Windows version the framework reports to
// the file named by its argument. Wine reports a version per executable
// name, so the test can run this program under several versions.
#include <filesystem>
#include <fstream>
#include <string>

#include "vcl/os_version.h"
#include "vcl/win_api.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  std::ofstream out(std::filesystem::path(argv[1]), std::ios::binary);
  out << Win32MajorVersion() << "." << Win32MinorVersion();
  return out ? 0 : 1;
}
