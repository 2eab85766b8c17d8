#include "rtl/textutils.h"

#include <algorithm>

#include "rtl/case_mapping.h"

namespace {

bool IsTrimmed(char16_t c) { return c <= u' '; }

// Maps each code unit of `s` with `Fold`.
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

bool IsAscii(StringView s) {
  return std::all_of(s.begin(), s.end(), [](char16_t c) { return c < 0x80; });
}

// The system's mapping into `dest` (s.size() code units); ASCII text, the
// common case of keys and names, needs no system call.
template <char16_t (*Ascii)(char16_t), void (*System)(StringView, char16_t*)>
void MapCaseInto(StringView s, char16_t* dest) {
  if (IsAscii(s)) {
    std::transform(s.begin(), s.end(), dest, Ascii);
  } else {
    System(s, dest);
  }
}

template <char16_t (*Ascii)(char16_t), void (*System)(StringView, char16_t*)>
String MapCaseSystem(StringView s) {
  String out(s.size(), u'\0');
  MapCaseInto<Ascii, System>(s, out.data());
  return out;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

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

String AnsiUpperCase(StringView s) { return MapCaseSystem<UpCaseAscii, SystemUpperCase>(s); }
String AnsiLowerCase(StringView s) { return MapCaseSystem<LowCaseAscii, SystemLowerCase>(s); }

int32_t CompareStr(StringView a, StringView b) { return CompareFolded<Identity>(a, b); }
int32_t CompareText(StringView a, StringView b) { return CompareFolded<UpCaseAscii>(a, b); }
bool SameStr(StringView a, StringView b) { return a == b; }
bool SameText(StringView a, StringView b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

int32_t AnsiCompareStr(StringView a, StringView b) { return CompareStr(a, b); }
int32_t AnsiCompareText(StringView a, StringView b) {
  const size_t n = std::min(a.size(), b.size());
  size_t i = 0;
  // ASCII letters map among themselves: the common ASCII text is compared
  // here, character by character, without the system's mapping.
  for (; i < n && a[i] < 0x80 && b[i] < 0x80; ++i) {
    const int32_t ca = UpCaseAscii(a[i]), cb = UpCaseAscii(b[i]);
    if (ca != cb) return ca - cb;
  }
  // The rest is upper-cased piece by piece in stack buffers: sorted lists
  // compare often and must not allocate. A piece never ends between the two
  // halves of a surrogate pair, which map as one character.
  constexpr size_t kPiece = 64;
  char16_t upper_a[kPiece], upper_b[kPiece];
  while (i < n) {
    size_t count = std::min(kPiece, n - i);
    if (count == kPiece && (IsHighSurrogate(a[i + count - 1]) || IsHighSurrogate(b[i + count - 1]))) --count;
    MapCaseInto<UpCaseAscii, SystemUpperCase>(a.substr(i, count), upper_a);
    MapCaseInto<UpCaseAscii, SystemUpperCase>(b.substr(i, count), upper_b);
    const int32_t order = CompareStr(StringView(upper_a, count), StringView(upper_b, count));
    if (order != 0) return order;
    i += count;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}
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
