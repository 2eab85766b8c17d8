#pragma once
// The framework's string: UTF-16 code units in a char16_t string, the same type
// on every target, so hashes, comparisons and checksums over strings give the
// same results natively and on Windows.

#include <string>
#include <string_view>

using String = std::u16string;
using StringView = std::u16string_view;

// UTF-8 -> UTF-16. Each ill-formed sequence (bad lead byte, truncated or
// overlong sequence, encoded surrogate, value above U+10FFFF) becomes one
// U+FFFD per maximal invalid subpart, as Unicode recommends; nothing is dropped.
String Utf8ToString(std::string_view utf8);

// UTF-16 -> UTF-8. An unpaired surrogate becomes U+FFFD.
std::string StringToUtf8(StringView text);
