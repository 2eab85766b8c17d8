#pragma once
// The key under which a named skin colour lives in the colour table.
//
// The name is lower-cased (only the letters A to Z change), the standard
// CRC-32 (zlib's, as PNG chunks use) is taken over its UTF-16LE bytes, and
// the highest byte is replaced by 0xFF. A name key is therefore always a
// skin colour reference (high byte 0xFF, low 24 bits usually above 255).

#include <cstdint>

#include "rtl/ustring.h"

// Allocates nothing, so that colour look-ups by name stay cheap.
uint32_t NameKey(StringView name);
