#pragma once
// Known folders with a usable answer even when the shell gives none, and the
// name of the logged-on user. Never raise.

#include <windows.h>

#include "rtl/ustring.h"

// The folder of CSIDL number `csidl` as the shell reports it (without
// creating it). When the shell gives no answer (nothing, or a bare drive such
// as "C:"), the six folders below fall back to their environment variable,
// trimmed of blanks and control characters, and then to the folder's usual
// place on the system drive for the Windows version in use:
//   26 roaming application data   28 local application data
//   35 shared application data    38 program files (of the WOW64 side)
//   40 user profile               43 common program files (of the WOW64 side)
// Other folders return the shell's answer as it came, possibly empty.
String GetSpecialFolderPath(HWND ownerWindow, int csidl);

// The logged-on user's name, or "" when the system does not tell it or it is
// longer than 254 characters.
String GetLoginUserName();
