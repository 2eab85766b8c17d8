#pragma once
// Every message box of the framework and the program goes through one
// function. By default it shows the system's box (with its caption, so that
// an outside driver can find and answer it); a test installs a responder that
// records the request and answers it instead.

#include "vcl/win_api.h"

#include "rtl/exceptions.h"
#include "rtl/ustring.h"

struct TMessageBoxRequest {
  HWND owner = nullptr;
  String text;
  String caption;
  UINT icon = 0;                       // MB_ICONWARNING, MB_ICONERROR, ... or 0
  UINT buttons = MB_OK;                // MB_OK, MB_OKCANCEL, ...
  UINT defaultButton = MB_DEFBUTTON1;  // MB_DEFBUTTON1..4
};

// Answers a request with the identifier of the chosen button (IDOK, ...).
using TMessageBoxResponder = int (*)(const TMessageBoxRequest& request);

// Shows `request` through the responder in force, or as a system box.
int ShowMessageBox(const TMessageBoxRequest& request);

// Puts `responder` in force until destruction, then restores the one it
// replaced. Main thread only.
class ScopedMessageBoxResponder {
 public:
  explicit ScopedMessageBoxResponder(TMessageBoxResponder responder);
  ~ScopedMessageBoxResponder();
  ScopedMessageBoxResponder(const ScopedMessageBoxResponder&) = delete;
  ScopedMessageBoxResponder& operator=(const ScopedMessageBoxResponder&) = delete;

 private:
  TMessageBoxResponder previous_;
};

// The plain message box: `text`, an OK button, the application title as
// caption, owned by the application's window.
void ShowMessage(const String& text);

// A warning box with an OK button owned by `owner` (usually a form, whose
// caption the caller passes).
void ShowOwnedWarning(HWND owner, const String& text, const String& caption);

// An error box with an OK button owned by `owner`, captioned "Error".
void ShowErrorMessage(HWND owner, const String& text);

// The global error display of an error no handler caught: its message (with
// a full stop added when it has no closing punctuation), an error icon, the
// application title as caption. EAbort is never shown.
void ShowExceptionMessage(const Exception& error);
