#pragma once
// Ends running programs by their image name. Never raises.

#include "rtl/ustring.h"

// Terminates (exit code 0) every process whose executable's file name, or
// whole executable name, equals `imageName` ignoring the case of a-z; it does
// not wait for them to end. Returns the outcome of the last termination
// attempt: false when none matched, when the last one matched could not be
// opened or terminated, or when processes cannot be listed.
bool TerminateProcessesByName(const String& imageName);
