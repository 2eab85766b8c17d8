#pragma once
// Every call this layer makes into the platform goes through one table of
// plain function pointers. The defaults forward to the real functions; a test
// installs another table for the lifetime of a ScopedSystemApi to make the
// shell fail, hide an optional export, or report another user or Windows
// version, so that every fallback of the layer runs for real.
//
// Optional exports (IsWow64Process, SHOpenFolderAndSelectItems, the toolhelp
// functions...) are not entries of their own: they are found by name through
// GetModuleHandleW + GetProcAddress, so hiding one is a matter of a
// GetProcAddress that answers nullptr for its name.

#include <windows.h>
#include <shlobj.h>

struct SystemApi {
  // kernel32
  HMODULE (*GetModuleHandleW)(const wchar_t* moduleName);
  FARPROC (*GetProcAddress)(HMODULE module, const char* name);
  DWORD (*GetModuleFileNameW)(HMODULE module, wchar_t* buffer, DWORD size);
  DWORD (*GetEnvironmentVariableW)(const wchar_t* name, wchar_t* buffer, DWORD size);
  BOOL (*GetVersionExW)(OSVERSIONINFOW* info);
  DWORD (*GetFileAttributesW)(const wchar_t* path);
  HANDLE (*GetCurrentProcess)();
  HANDLE (*OpenProcess)(DWORD access, BOOL inheritHandle, DWORD processId);
  BOOL (*TerminateProcess)(HANDLE process, UINT exitCode);
  BOOL (*CloseHandle)(HANDLE handle);
  UINT (*SetErrorMode)(UINT mode);
  // advapi32
  BOOL (*GetUserNameW)(wchar_t* buffer, DWORD* size);
  // shell32
  BOOL (*SHGetSpecialFolderPathW)(HWND owner, wchar_t* path, int csidl, BOOL create);
  HRESULT (*SHGetDesktopFolder)(IShellFolder** folder);
  ITEMIDLIST* (*SHBrowseForFolderW)(BROWSEINFOW* info);
  BOOL (*SHGetPathFromIDListW)(const ITEMIDLIST* list, wchar_t* path);
  HINSTANCE (*ShellExecuteW)(HWND owner, const wchar_t* verb, const wchar_t* file,
                             const wchar_t* parameters, const wchar_t* directory, int show);
  // ole32
  HRESULT (*CoInitializeEx)(void* reserved, DWORD coInit);
  void (*CoUninitialize)();
  void (*CoTaskMemFree)(void* block);
};

// The table of the real functions.
SystemApi RealSystemApi();

// The table in force (the real one unless a ScopedSystemApi is alive).
const SystemApi& CurrentSystemApi();

// Puts `api` in force until destruction, then restores the table it replaced.
// Both steps also forget every function address and answer the layer has
// cached, so that look-ups are made afresh through the table now in force.
// Main thread only, like the layer itself.
class ScopedSystemApi {
 public:
  explicit ScopedSystemApi(const SystemApi& api);
  ~ScopedSystemApi();
  ScopedSystemApi(const ScopedSystemApi&) = delete;
  ScopedSystemApi& operator=(const ScopedSystemApi&) = delete;

 private:
  SystemApi previous_;
};
