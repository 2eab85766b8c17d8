#pragma once
// How an error that no handler caught is shown to the user. Code that runs
// straight from the message loop (timer ticks) reports errors here instead of
// letting them unwind through the system's frames.
//
// The application object installs its exception display in
// ApplicationShowExceptionHook at start-up. Until it does, the default shows
// the error's message in a plain message box; EAbort shows nothing.

#include "rtl/exceptions.h"
#include "rtl/objects.h"

// `sender` is the object whose code raised the error (may be null).
using TShowExceptionProc = void (*)(TObject* sender, const Exception& error);

// Null means the default display.
extern TShowExceptionProc ApplicationShowExceptionHook;

// Shows `error` through the hook, or through the default display.
void ShowApplicationException(TObject* sender, const Exception& error);
