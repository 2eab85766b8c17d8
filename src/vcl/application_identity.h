#pragma once
// What the layers below the application object need to know about it: the
// title that captions its plain message boxes, the window that owns dialogs
// without another owner, and the main form's window. The application object
// fills it at start-up and clears it at shut-down; without one, the title is
// the executable's name and both windows are null.

#include "vcl/win_api.h"

#include "rtl/ustring.h"

struct TApplicationIdentity {
  String title;
  HWND handle = nullptr;
  HWND mainWindow = nullptr;
};

TApplicationIdentity& ApplicationIdentity();

// The title, or the executable's file name without its extension while no
// title is set.
String ApplicationTitle();
