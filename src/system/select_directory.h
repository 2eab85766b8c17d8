#pragma once
// The shell's folder browser. Never raises.

#include "vcl/win_api.h"

#include <cstdint>

#include "rtl/ustring.h"

// Option bits of SelectDirectory.
enum TSelectDirOption : uint32_t {
  sdNewFolder = 1,     // a "Make New Folder" button
  sdShowEdit = 2,      // an edit box for typing a folder name
  sdShowShares = 4,    // shared folders too
  sdNewUI = 8,         // the resizable new-style dialog
  sdShowFiles = 16,    // files as well as folders
  sdValidateDir = 32,  // a typed name that is no folder is refused with an error box
};
using TSelectDirOptions = uint32_t;

// The BROWSEINFO flags the options ask for (always BIF_RETURNONLYFSDIRS).
UINT SelectDirectoryFlags(TSelectDirOptions options);

// Lets the user pick a folder. `caption` is the text above the tree, `root`
// the folder the tree starts at (empty = the desktop), `directory` the folder
// preselected (emptied first when it is no existing folder) and, when the user
// confirms, the folder chosen. The dialog is owned by `parent`, or by the
// application's window when null, and centred on the monitor of the main
// window; the program's other windows are disabled and the system's
// critical-error boxes suppressed while it is open. True when the user
// confirmed a folder; cancelling leaves `directory` as it was.
bool SelectDirectory(const String& caption, const String& root, String& directory, TSelectDirOptions options,
                     HWND parent = nullptr);
