#pragma once
// The framework's general helpers in one include: string helpers, number and
// float text, Format and the format settings they share.

#include "rtl/exceptions.h"
#include "rtl/format.h"
#include "rtl/formatsettings.h"
#include "rtl/numbers.h"
#include "rtl/textutils.h"
#include "rtl/ustring.h"
