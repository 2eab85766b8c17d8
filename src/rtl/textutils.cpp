#include "rtl/textutils.h"

#include <algorithm>

namespace {

bool IsTrimmed(char16_t c) { return c <= u' '; }

// Folds `c` with the ASCII or the Unicode rule.
template <char16_t (*Fold)(char16_t)>
String MapCase(StringView s) {
  String out(s);
  for (char16_t& c : out) c = Fold(c);
  return out;
}

template <char16_t (*Fold)(char16_t)>
int32_t CompareFolded(StringView a, StringView b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int32_t ca = Fold(a[i]);
    const int32_t cb = Fold(b[i]);
    if (ca != cb) return ca - cb;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

char16_t Identity(char16_t c) { return c; }

// Pairs of (capital, small) at even/odd code points inside [first, last].
bool InEvenPairRange(char16_t c) {
  return (c >= 0x0100 && c <= 0x012F) || (c >= 0x0132 && c <= 0x0137) ||
         (c >= 0x014A && c <= 0x0177) || (c >= 0x0460 && c <= 0x0481) ||
         (c >= 0x048A && c <= 0x04BF) || (c >= 0x04D0 && c <= 0x052F);
}

// Pairs of (capital, small) at odd/even code points.
bool InOddPairRange(char16_t c) {
  return (c >= 0x0139 && c <= 0x0148) || (c >= 0x0179 && c <= 0x017E) ||
         (c >= 0x04C1 && c <= 0x04CE);
}

}  // namespace

String Trim(StringView s) {
  size_t first = 0, last = s.size();
  while (first < last && IsTrimmed(s[first])) ++first;
  while (last > first && IsTrimmed(s[last - 1])) --last;
  return String(s.substr(first, last - first));
}

String TrimLeft(StringView s) {
  size_t first = 0;
  while (first < s.size() && IsTrimmed(s[first])) ++first;
  return String(s.substr(first));
}

String TrimRight(StringView s) {
  size_t last = s.size();
  while (last > 0 && IsTrimmed(s[last - 1])) --last;
  return String(s.substr(0, last));
}

char16_t UpCaseAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; }
char16_t LowCaseAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }
String UpperCase(StringView s) { return MapCase<UpCaseAscii>(s); }
String LowerCase(StringView s) { return MapCase<LowCaseAscii>(s); }

char16_t UpCaseUnicode(char16_t c) {
  if (c < 0x80) return UpCaseAscii(c);
  if ((c >= 0x00E0 && c <= 0x00FE && c != 0x00F7)) return char16_t(c - 0x20);
  if (c == 0x00FF) return 0x0178;
  if (InEvenPairRange(c)) return (c & 1) ? char16_t(c - 1) : c;
  if (InOddPairRange(c)) return (c & 1) ? c : char16_t(c - 1);
  if (c >= 0x03B1 && c <= 0x03CB && c != 0x03C2) return char16_t(c - 0x20);
  if (c == 0x03C2) return 0x03A3;  // final sigma
  if (c == 0x03AC) return 0x0386;
  if (c >= 0x03AD && c <= 0x03AF) return char16_t(c - 0x25);
  if (c == 0x03CC) return 0x038C;
  if (c == 0x03CD || c == 0x03CE) return char16_t(c - 0x3F);
  if (c >= 0x0430 && c <= 0x044F) return char16_t(c - 0x20);
  if (c >= 0x0450 && c <= 0x045F) return char16_t(c - 0x50);
  return c;
}

char16_t LowCaseUnicode(char16_t c) {
  if (c < 0x80) return LowCaseAscii(c);
  if ((c >= 0x00C0 && c <= 0x00DE && c != 0x00D7)) return char16_t(c + 0x20);
  if (c == 0x0178) return 0x00FF;
  if (InEvenPairRange(c)) return (c & 1) ? c : char16_t(c + 1);
  if (InOddPairRange(c)) return (c & 1) ? char16_t(c + 1) : c;
  if (c >= 0x0391 && c <= 0x03AB && c != 0x03A2) return char16_t(c + 0x20);
  if (c == 0x0386) return 0x03AC;
  if (c >= 0x0388 && c <= 0x038A) return char16_t(c + 0x25);
  if (c == 0x038C) return 0x03CC;
  if (c == 0x038E || c == 0x038F) return char16_t(c + 0x3F);
  if (c >= 0x0410 && c <= 0x042F) return char16_t(c + 0x20);
  if (c >= 0x0400 && c <= 0x040F) return char16_t(c + 0x50);
  return c;
}

String AnsiUpperCase(StringView s) { return MapCase<UpCaseUnicode>(s); }
String AnsiLowerCase(StringView s) { return MapCase<LowCaseUnicode>(s); }

int32_t CompareStr(StringView a, StringView b) { return CompareFolded<Identity>(a, b); }
int32_t CompareText(StringView a, StringView b) { return CompareFolded<UpCaseAscii>(a, b); }
bool SameStr(StringView a, StringView b) { return a == b; }
bool SameText(StringView a, StringView b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

int32_t AnsiCompareStr(StringView a, StringView b) { return CompareStr(a, b); }
int32_t AnsiCompareText(StringView a, StringView b) { return CompareFolded<UpCaseUnicode>(a, b); }
bool AnsiSameStr(StringView a, StringView b) { return a == b; }
bool AnsiSameText(StringView a, StringView b) {
  return a.size() == b.size() && AnsiCompareText(a, b) == 0;
}

bool StartsStr(StringView prefix, StringView s) { return s.substr(0, prefix.size()) == prefix; }
bool StartsText(StringView prefix, StringView s) {
  return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}
bool EndsStr(StringView suffix, StringView s) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}
bool EndsText(StringView suffix, StringView s) {
  return s.size() >= suffix.size() && SameText(s.substr(s.size() - suffix.size()), suffix);
}

String StringReplace(StringView s, StringView from, StringView to, TReplaceFlag flags) {
  if (from.empty()) return String(s);
  const bool ignore_case = HasFlag(flags, TReplaceFlag::IgnoreCase);
  const bool all = HasFlag(flags, TReplaceFlag::ReplaceAll);
  String out;
  out.reserve(s.size());
  size_t i = 0;
  bool replaced = false;
  while (i < s.size()) {
    if ((all || !replaced) && s.size() - i >= from.size()) {
      const StringView here = s.substr(i, from.size());
      if (ignore_case ? CompareText(here, from) == 0 : here == from) {
        out += to;
        i += from.size();
        replaced = true;
        continue;
      }
    }
    out.push_back(s[i++]);
  }
  return out;
}

String AnsiQuotedStr(StringView s, char16_t quote) {
  String out;
  out.reserve(s.size() + 2);
  out.push_back(quote);
  for (char16_t c : s) {
    out.push_back(c);
    if (c == quote) out.push_back(c);
  }
  out.push_back(quote);
  return out;
}

String QuotedStr(StringView s) { return AnsiQuotedStr(s, u'\''); }

String AnsiDequotedStr(StringView s, char16_t quote) {
  if (s.empty() || s[0] != quote) return String(s);
  String out;
  for (size_t i = 1; i < s.size(); ++i) {
    if (s[i] == quote) {
      if (i + 1 < s.size() && s[i + 1] == quote) {
        out.push_back(quote);
        ++i;
        continue;
      }
      break;
    }
    out.push_back(s[i]);
  }
  return out;
}
