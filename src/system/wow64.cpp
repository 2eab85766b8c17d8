#include "system/wow64.h"

#include "system/system_caches.h"

bool QueryProcessWow64(HANDLE process, bool& isWow64) {
  isWow64 = false;
  try {
    const IsWow64ProcessFunction isWow64Process =
        Caches().isWow64Process.Get(L"kernel32.dll", "IsWow64Process");
    if (!isWow64Process) return false;
    BOOL answer = FALSE;
    const bool answered = isWow64Process(process, &answer) != FALSE;
    isWow64 = answered && answer != FALSE;
    return answered;
  } catch (...) {
    isWow64 = false;
    return false;
  }
}

bool IsWow64() {
  SystemCaches& caches = Caches();
  if (caches.wow64Flag != SystemCaches::kWow64Unset) return caches.wow64Flag != 0;
  try {
    bool wow64 = false;
    QueryProcessWow64(CurrentSystemApi().GetCurrentProcess(), wow64);
    caches.fsRedirection = {
        FindExport<Wow64DisableFsRedirectionFunction>(L"kernel32.dll", "Wow64DisableWow64FsRedirection"),
        FindExport<Wow64RevertFsRedirectionFunction>(L"kernel32.dll", "Wow64RevertWow64FsRedirection"),
        FindExport<Wow64EnableFsRedirectionFunction>(L"kernel32.dll", "Wow64EnableWow64FsRedirection"),
    };
    caches.wow64Flag = wow64 ? 1 : 0;
    return wow64;
  } catch (...) {
    // Left unset: the next call asks again.
    return false;
  }
}

Wow64FsRedirectionFunctions Wow64FsRedirection() { return Caches().fsRedirection; }
