#include "system/system_api.h"

#include <shellapi.h>

#include "system/system_caches.h"

namespace {

// Plain (not WINAPI) entries, so that a test can fill the table with
// captureless lambdas on both targets; each default forwards to the system.
constexpr SystemApi kRealSystemApi = {
    [](const wchar_t* moduleName) { return ::GetModuleHandleW(moduleName); },
    [](HMODULE module, const char* name) { return ::GetProcAddress(module, name); },
    [](HMODULE module, wchar_t* buffer, DWORD size) {
      return ::GetModuleFileNameW(module, buffer, size);
    },
    [](const wchar_t* name, wchar_t* buffer, DWORD size) {
      return ::GetEnvironmentVariableW(name, buffer, size);
    },
    [](OSVERSIONINFOW* info) { return ::GetVersionExW(info); },
    [](const wchar_t* path) { return ::GetFileAttributesW(path); },
    []() { return ::GetCurrentProcess(); },
    [](DWORD access, BOOL inheritHandle, DWORD processId) {
      return ::OpenProcess(access, inheritHandle, processId);
    },
    [](HANDLE process, UINT exitCode) { return ::TerminateProcess(process, exitCode); },
    [](HANDLE handle) { return ::CloseHandle(handle); },
    [](UINT mode) { return ::SetErrorMode(mode); },
    [](wchar_t* buffer, DWORD* size) { return ::GetUserNameW(buffer, size); },
    [](HWND owner, wchar_t* path, int csidl, BOOL create) {
      return ::SHGetSpecialFolderPathW(owner, path, csidl, create);
    },
    [](IShellFolder** folder) { return ::SHGetDesktopFolder(folder); },
    [](BROWSEINFOW* info) { return ::SHBrowseForFolderW(info); },
    [](const ITEMIDLIST* list, wchar_t* path) { return ::SHGetPathFromIDListW(list, path); },
    [](HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
       const wchar_t* directory, int show) {
      return ::ShellExecuteW(owner, verb, file, parameters, directory, show);
    },
    [](void* reserved, DWORD coInit) { return ::CoInitializeEx(reserved, coInit); },
    []() { ::CoUninitialize(); },
    [](void* block) { ::CoTaskMemFree(block); },
};

constinit SystemApi g_currentApi = kRealSystemApi;
constinit SystemCaches g_caches;

}  // namespace

SystemApi RealSystemApi() { return kRealSystemApi; }

const SystemApi& CurrentSystemApi() { return g_currentApi; }

SystemCaches& Caches() { return g_caches; }

ScopedSystemApi::ScopedSystemApi(const SystemApi& api) : previous_(g_currentApi) {
  g_currentApi = api;
  g_caches = SystemCaches();
}

ScopedSystemApi::~ScopedSystemApi() {
  g_currentApi = previous_;
  g_caches = SystemCaches();
}

PlatformVersion ReportedPlatformVersion() {
  try {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!CurrentSystemApi().GetVersionExW(&info)) return {};
    return {info.dwMajorVersion, info.dwMinorVersion};
  } catch (...) {
    return {};
  }
}
