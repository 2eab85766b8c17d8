#include "vcl/task_windows.h"

namespace {

struct DisableRequest {
  HWND except;
  std::vector<HWND>* disabled;
};

BOOL CALLBACK DisableOne(HWND window, LPARAM data) {
  auto& request = *reinterpret_cast<DisableRequest*>(data);
  if (window != request.except && IsWindowVisible(window) && IsWindowEnabled(window)) {
    request.disabled->push_back(window);
    EnableWindow(window, FALSE);
  }
  return TRUE;
}

}  // namespace

std::vector<HWND> DisableTaskWindows(HWND except) {
  std::vector<HWND> disabled;
  DisableRequest request{except, &disabled};
  EnumThreadWindows(GetCurrentThreadId(), &DisableOne, reinterpret_cast<LPARAM>(&request));
  return disabled;
}

void EnableTaskWindows(const std::vector<HWND>& windows) {
  for (HWND window : windows) {
    if (IsWindow(window)) EnableWindow(window, TRUE);
  }
}
