#include "vcl/os_version.h"

#include "vcl/win_api.h"

const TOSVersion& OSVersion() {
  static const TOSVersion version = [] {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    TOSVersion result;
    if (GetVersionExW(&info)) {
      result.Major = static_cast<int32_t>(info.dwMajorVersion);
      result.Minor = static_cast<int32_t>(info.dwMinorVersion);
      result.Build = static_cast<int32_t>(info.dwBuildNumber);
    }
    return result;
  }();
  return version;
}
