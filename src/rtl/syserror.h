#pragma once
// The platform's text for a system error code (GetLastError on Windows, errno
// natively), as the framework gives it: trailing blanks, line breaks and the
// final period removed, so that it can end or be followed by other text.
// Empty when the platform has no text for the code.

#include <cstdint>

#include "rtl/ustring.h"

String SysErrorMessage(uint32_t error);
