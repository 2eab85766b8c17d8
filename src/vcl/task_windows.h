#pragma once
// Makes the program's windows modal-safe around a dialog: every visible,
// enabled top-level window of the calling thread is disabled, and enabled
// again afterwards.

#include "vcl/win_api.h"

#include <vector>

// Disables the thread's visible, enabled top-level windows other than
// `except`; returns the windows it disabled.
std::vector<HWND> DisableTaskWindows(HWND except = nullptr);

// Enables again the windows DisableTaskWindows returned (those still alive).
void EnableTaskWindows(const std::vector<HWND>& windows);

// Disables the task windows for its lifetime.
class TTaskWindowsDisabled {
 public:
  explicit TTaskWindowsDisabled(HWND except = nullptr) : windows_(DisableTaskWindows(except)) {}
  ~TTaskWindowsDisabled() { EnableTaskWindows(windows_); }
  TTaskWindowsDisabled(const TTaskWindowsDisabled&) = delete;
  TTaskWindowsDisabled& operator=(const TTaskWindowsDisabled&) = delete;

 private:
  std::vector<HWND> windows_;
};
