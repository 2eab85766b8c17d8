#pragma once
// Shows a file or folder in the shell's file manager. Never raises.

#include "rtl/ustring.h"

// Shows `path` (a file or a folder, which need not exist) selected in a file
// manager window. Three ways are tried in turn:
//   1. select the item in its folder's window (SHOpenFolderAndSelectItems);
//      not on Windows 2000 and older;
//   2. open the folder window ("explore" the folder itself, or the folder
//      that holds `path`); Vista and later only;
//   3. start "explorer /select,<path>"; reached after 1 on XP and Server
//      2003, and used alone on Windows 2000.
// True when the shell accepted a request.
bool RevealInFileManager(const String& path);
