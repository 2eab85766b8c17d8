#pragma once
// String helpers of the framework: trimming, case mapping and comparisons.
//
// Two families of case rules:
// - UpperCase, LowerCase, CompareText, SameText change only "a".."z" /
//   "A".."Z" and compare UTF-16 code units otherwise: fast, locale-free and
//   identical on every machine.
// - AnsiUpperCase, AnsiLowerCase, AnsiCompareText, AnsiSameText map the
//   letters of every script with the system's case mapping (see
//   case_mapping.h: one character to one, text keeps its length). They still
//   compare code units after mapping, so results do not depend on the user's
//   locale either.

#include <cstdint>

#include "rtl/ustring.h"

// Removes leading and/or trailing characters of code 32 or less (blanks and
// control characters).
String Trim(StringView s);
String TrimLeft(StringView s);
String TrimRight(StringView s);

char16_t UpCaseAscii(char16_t c);
char16_t LowCaseAscii(char16_t c);
String UpperCase(StringView s);
String LowerCase(StringView s);

String AnsiUpperCase(StringView s);
String AnsiLowerCase(StringView s);

// Ordinal comparison of UTF-16 code units: negative, zero or positive.
int32_t CompareStr(StringView a, StringView b);
// Ordinal comparison ignoring the case of "a".."z" only.
int32_t CompareText(StringView a, StringView b);
bool SameStr(StringView a, StringView b);
bool SameText(StringView a, StringView b);

int32_t AnsiCompareStr(StringView a, StringView b);
int32_t AnsiCompareText(StringView a, StringView b);
bool AnsiSameStr(StringView a, StringView b);
bool AnsiSameText(StringView a, StringView b);

bool StartsStr(StringView prefix, StringView s);
bool StartsText(StringView prefix, StringView s);  // "a".."z" case ignored
bool EndsStr(StringView suffix, StringView s);
bool EndsText(StringView suffix, StringView s);

enum class TReplaceFlag : uint8_t { None = 0, ReplaceAll = 1, IgnoreCase = 2 };
constexpr TReplaceFlag operator|(TReplaceFlag a, TReplaceFlag b) {
  return TReplaceFlag(uint8_t(a) | uint8_t(b));
}
constexpr bool HasFlag(TReplaceFlag set, TReplaceFlag f) { return (uint8_t(set) & uint8_t(f)) != 0; }

// Replaces the first (or every, with ReplaceAll) occurrence of `from`; with
// IgnoreCase, "a".."z" match their capitals. An empty `from` replaces nothing.
String StringReplace(StringView s, StringView from, StringView to,
                     TReplaceFlag flags = TReplaceFlag::None);

// Puts `quote` around s and doubles every `quote` inside it.
String AnsiQuotedStr(StringView s, char16_t quote);
String QuotedStr(StringView s);  // with apostrophes

// The reverse of AnsiQuotedStr: when s starts with `quote`, returns the text
// up to the closing quote with doubled quotes made single (an unterminated
// quote runs to the end); otherwise returns s unchanged.
String AnsiDequotedStr(StringView s, char16_t quote);
