#include "system/select_directory.h"

#include <cstring>

#include "rtl/ansi_codepage.h"
#include "rtl/wide_string.h"
#include "system/shell_item_lists.h"
#include "system/system_caches.h"
#include "vcl/application_identity.h"
#include "vcl/message_boxes.h"
#include "vcl/task_windows.h"

namespace {

bool IsExistingFolder(const String& path) {
  const DWORD attributes = CurrentSystemApi().GetFileAttributesW(WideCStr(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Keeps the dialog's size and z-order, and puts it in the middle of the work
// area of the main window's monitor (the primary one without a main window).
void CentreOnMainWindowMonitor(HWND dialog) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(ApplicationIdentity().mainWindow, MONITOR_DEFAULTTOPRIMARY), &monitor))
    return;
  RECT bounds{};
  if (!GetWindowRect(dialog, &bounds)) return;
  const RECT& area = monitor.rcWork;
  const int left = area.left + ((area.right - area.left) - (bounds.right - bounds.left)) / 2;
  const int top = area.top + ((area.bottom - area.top) - (bounds.bottom - bounds.top)) / 2;
  SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowInvalidPath(HWND dialog, const String& name) {
  ShowErrorMessage(dialog, u"\"" + name + u"\" is an invalid path");
}

// The dialog's callback; `data` is the folder to preselect.
int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM parameter, LPARAM data) {
  try {
    const String& preset = *reinterpret_cast<const String*>(data);
    switch (message) {
      case BFFM_INITIALIZED:
        CentreOnMainWindowMonitor(dialog);
        if (!preset.empty()) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(WideCStr(preset)));
        return 0;
      case BFFM_VALIDATEFAILEDA:
        {
        const auto* name = reinterpret_cast<const char*>(parameter);
        ShowInvalidPath(dialog, AnsiBytesToString(reinterpret_cast<const uint8_t*>(name), std::strlen(name)));
        return 1;
      }
      case BFFM_VALIDATEFAILEDW:
        ShowInvalidPath(dialog, FromWide(reinterpret_cast<const wchar_t*>(parameter)));
        return 1;
      default:
        return 0;
    }
  } catch (...) {
    // Nothing may unwind into the shell's frames.
    return 0;
  }
}

// The system's critical-error boxes off for its lifetime.
class CriticalErrorsSuppressed {
 public:
  CriticalErrorsSuppressed() : previous_(CurrentSystemApi().SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~CriticalErrorsSuppressed() { CurrentSystemApi().SetErrorMode(previous_); }
  CriticalErrorsSuppressed(const CriticalErrorsSuppressed&) = delete;
  CriticalErrorsSuppressed& operator=(const CriticalErrorsSuppressed&) = delete;

 private:
  UINT previous_;
};

}  // namespace

UINT SelectDirectoryFlags(TSelectDirOptions options) {
  UINT flags = BIF_RETURNONLYFSDIRS;
  if (!(options & sdNewFolder)) flags |= BIF_NONEWFOLDERBUTTON;
  if (options & sdShowEdit) flags |= BIF_EDITBOX;
  if (options & sdShowShares) flags |= BIF_SHAREABLE;
  if (options & sdNewUI) flags |= BIF_NEWDIALOGSTYLE;
  if (options & sdShowFiles) flags |= BIF_BROWSEINCLUDEFILES;
  if (options & sdValidateDir) flags |= BIF_VALIDATE;
  return flags;
}

bool SelectDirectory(const String& caption, const String& root, String& directory, TSelectDirOptions options,
                     HWND parent) {
  try {
    const SystemApi& api = CurrentSystemApi();
    const String preset = IsExistingFolder(directory) ? directory : String();
    if (preset.empty()) directory.clear();

    ComOnThisThread com;
    const OwnedIdList rootList(root.empty() ? nullptr : ParseThroughDesktop(root));
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = parent ? parent : ApplicationIdentity().handle;
    info.pidlRoot = rootList.get();
    info.pszDisplayName = displayName;
    info.lpszTitle = WideCStr(caption);
    info.ulFlags = SelectDirectoryFlags(options);
    info.lpfn = &BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&preset);

    ITEMIDLIST* chosen = nullptr;
    {
      const TTaskWindowsDisabled disabled;
      const CriticalErrorsSuppressed quiet;
      chosen = api.SHBrowseForFolderW(&info);
    }
    if (!chosen) return false;
    const OwnedIdList chosenList(chosen);
    wchar_t path[MAX_PATH] = {};
    if (!api.SHGetPathFromIDListW(chosenList.get(), path)) return false;
    directory = FromWide(path);
    return true;
  } catch (...) {
    return false;
  }
}
