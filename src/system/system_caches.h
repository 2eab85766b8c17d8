#pragma once
// Process-wide state of this layer: addresses of optional system functions,
// bound at run time by name, and the cached WOW64 answer. Zeroed at start,
// never freed (it owns nothing). Plain variables without locking: every
// caller runs on the main thread, and concurrent first calls would at worst
// repeat a look-up and store the same value.
// Internal to src/system; ScopedSystemApi clears it.

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdint>

#include "system/system_api.h"
#include "system/wow64.h"

// The address of `name` exported by the already loaded `moduleName`, or
// nullptr; the module is never loaded for it.
template <typename Function>
Function FindExport(const wchar_t* moduleName, const char* name) {
  const SystemApi& api = CurrentSystemApi();
  const HMODULE module = api.GetModuleHandleW(moduleName);
  if (!module) return nullptr;
  // Through the generic function pointer type, which converts to any other
  // without a cast-function-type warning.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(api.GetProcAddress(module, name)));
}

// An export looked up on first use only; its absence is remembered too.
template <typename Function>
class ExportLookedUpOnce {
 public:
  Function Get(const wchar_t* moduleName, const char* name) {
    if (!lookedUp_) {
      function_ = FindExport<Function>(moduleName, name);
      lookedUp_ = true;
    }
    return function_;
  }

 private:
  bool lookedUp_ = false;
  Function function_ = nullptr;
};

using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE process, BOOL* isWow64);

using OpenFolderAndSelectItemsFunction = HRESULT(WINAPI*)(const ITEMIDLIST* folder, UINT count,
                                                          const ITEMIDLIST** items, DWORD flags);
using SimpleIdListFromPathFunction = ITEMIDLIST*(WINAPI*)(const wchar_t* path);
using IdListFreeFunction = void(WINAPI*)(ITEMIDLIST* list);

using CreateToolhelp32SnapshotFunction = HANDLE(WINAPI*)(DWORD flags, DWORD processId);
using Process32WalkFunction = BOOL(WINAPI*)(HANDLE snapshot, PROCESSENTRY32W* entry);

struct SystemCaches {
  static constexpr int32_t kWow64Unset = -2;

  ExportLookedUpOnce<IsWow64ProcessFunction> isWow64Process;
  int32_t wow64Flag = kWow64Unset;  // 0 = not WOW64, 1 = WOW64
  // Looked up with the first WOW64 answer and kept for callers.
  Wow64FsRedirectionFunctions fsRedirection;

  // Looked up again at each use while still missing.
  OpenFolderAndSelectItemsFunction openFolderAndSelectItems = nullptr;
  SimpleIdListFromPathFunction simpleIdListFromPath = nullptr;
  // Item lists are released with ILFree, or with CoTaskMemFree when shell32
  // has no ILFree (ilFree stays nullptr then).
  bool idListReleaseLookedUp = false;
  IdListFreeFunction ilFree = nullptr;

  ExportLookedUpOnce<CreateToolhelp32SnapshotFunction> createToolhelp32Snapshot;
  ExportLookedUpOnce<Process32WalkFunction> process32First;
  ExportLookedUpOnce<Process32WalkFunction> process32Next;
};

SystemCaches& Caches();

// The version the platform reports for itself (0.0 when it does not answer).
// Never raises.
struct PlatformVersion {
  DWORD major = 0;
  DWORD minor = 0;
};
PlatformVersion ReportedPlatformVersion();
