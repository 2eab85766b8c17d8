#pragma once
// The places where the application object plugs into the controls. The
// controls run without one: each hook has a default, and the application
// installs its own at start-up (and puts the defaults back at shut-down).

#include "vcl/win_api.h"

#include <exception>

#include "rtl/exceptions.h"
#include "rtl/objects.h"
#include "vcl/cursors.h"

class TControl;
struct TMessage;

// An error that escaped a handler run from a window procedure. Null (the
// default) writes the message to the debugger output; EAbort is never
// passed on.
using TApplicationErrorHandler = void (*)(TObject* sender, const Exception& error);
extern TApplicationErrorHandler ApplicationErrorHook;

// Passes whatever `error` holds to ApplicationErrorHook (a non-framework
// exception as an Exception with its text); EAbort is dropped. Never raises.
void HandleApplicationError(TObject* sender, std::exception_ptr error) noexcept;

// Every mouse move a control receives, for the hint system. Default: nothing.
using THintMouseMessageHook = void (*)(TControl& control, TMessage& message);
extern THintMouseMessageHook HintMouseMessageHook;

// The cursor handle of a framework cursor number (the screen's cursor list).
// Default: the system's cursors.
using TCursorHandleHook = HCURSOR (*)(TCursor cursor);
extern TCursorHandleHook CursorHandleHook;
