#pragma once
// Whether a process runs as a 32-bit process on 64-bit Windows (WOW64).
// IsWow64Process is bound at run time: systems without it are not WOW64.
// Never raises.

#include <windows.h>

// True when the platform's IsWow64Process exists and answered for `process`;
// `isWow64` receives the answer, false whenever the query was not answered.
bool QueryProcessWow64(HANDLE process, bool& isWow64);

// Whether the current process runs under WOW64. The first answer is cached for
// the life of the process; a query that failed outright is tried again later.
bool IsWow64();

// The file-system redirection switches of WOW64, looked up with the first
// answer of IsWow64 (each nullptr when kernel32 lacks it, or before that
// answer). Kept for callers; nothing in this layer switches redirection.
using Wow64DisableFsRedirectionFunction = BOOL(WINAPI*)(void** oldValue);
using Wow64RevertFsRedirectionFunction = BOOL(WINAPI*)(void* oldValue);
using Wow64EnableFsRedirectionFunction = BOOLEAN(WINAPI*)(BOOLEAN enable);

struct Wow64FsRedirectionFunctions {
  Wow64DisableFsRedirectionFunction disable = nullptr;
  Wow64RevertFsRedirectionFunction revert = nullptr;
  Wow64EnableFsRedirectionFunction enable = nullptr;
};

Wow64FsRedirectionFunctions Wow64FsRedirection();
