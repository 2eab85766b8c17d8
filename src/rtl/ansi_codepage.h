#pragma once
// The system's ANSI code page behind TEncoding::ANSI(): the Windows code page
// of the process (CP_ACP) on Windows, Latin-1 elsewhere. Characters the code
// page lacks become "?".

#include <cstddef>
#include <cstdint>
#include <vector>

#include "rtl/ustring.h"

String AnsiBytesToString(const uint8_t* bytes, size_t count);
std::vector<uint8_t> StringToAnsiBytes(StringView text);
