#pragma once
// UTF-8 <-> UTF-16 conversion and case-insensitive ordering for the resource
// compiler. Names travel as UTF-8 inside the compiler; the resource format and
// its hashes are defined over UTF-16 code units.

#include <string>
#include <string_view>

namespace rcc {

// Decodes UTF-8. A lone surrogate encoded as a three-byte sequence (as a
// Windows file name may hold one) comes back as that code unit, so names read
// from the file system survive the round trip; any other malformed byte
// becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// Encodes UTF-16; an unpaired surrogate is written as its three-byte form.
std::string Utf16ToUtf8(std::u16string_view text);

// Simple Unicode case folding of one code point.
char32_t FoldCase(char32_t code_point);

// Compares two names ignoring case: each code point is folded and the results
// are compared as UTF-16 code units. Returns <0, 0 or >0.
int CompareIgnoreCase(std::u16string_view a, std::u16string_view b);

}  // namespace rcc
