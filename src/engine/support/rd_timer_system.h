#pragma once
// The platform calls TRdTimer makes to start, stop and retry system timers.
// They go through this table so that tests can make the system refuse a
// timer or count the pauses; the program never changes it.
//
// Windows only.

#include <windows.h>

struct TTimerSystemCalls {
  UINT_PTR(WINAPI* SetTimer)(HWND, UINT_PTR, UINT, TIMERPROC) = ::SetTimer;
  BOOL(WINAPI* KillTimer)(HWND, UINT_PTR) = ::KillTimer;
  void(WINAPI* Sleep)(DWORD) = ::Sleep;
};

extern TTimerSystemCalls TimerSystemCalls;
