#pragma once
// The system's case mapping of UTF-16 text: every letter of every script that
// has a capital and a small form maps to its counterpart, one character to one
// (a surrogate pair to a surrogate pair), so the text keeps its length.
// Characters outside a case pair stay as they are (German sharp s, the micro
// sign, dotless i, final sigma, titlecase digraphs). The result does not
// depend on the user's locale.
//
// On Windows this is the system's own mapping (LCMapStringW with the
// invariant locale); elsewhere a table generated from the Unicode Character
// Database that gives the same results.

#include "rtl/ustring.h"

// Writes the mapped `source` to `dest`, which holds source.size() code units.
void SystemUpperCase(StringView source, char16_t* dest);
void SystemLowerCase(StringView source, char16_t* dest);
