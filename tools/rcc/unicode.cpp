#include "unicode.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace rcc {
namespace {

struct FoldPair {
  char32_t from;
  char32_t to;
};

constexpr FoldPair kFoldTable[] = {
#include "case_fold_table.inc"
};

constexpr char16_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

// Reads one code point of UTF-16 at `i`, advancing it; an unpaired surrogate
// is returned as itself.
char32_t NextCodePoint(std::u16string_view s, size_t& i) {
  const char16_t c = s[i++];
  if (c >= 0xD800 && c < 0xDC00 && i < s.size() && s[i] >= 0xDC00 && s[i] < 0xE000) {
    const char16_t low = s[i++];
    return 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(low) - 0xDC00);
  }
  return c;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out.push_back(c);
      ++i;
      continue;
    }
    int length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((c & 0xE0) == 0xC0) {
      length = 2, cp = c & 0x1F, minimum = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      length = 3, cp = c & 0x0F, minimum = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      length = 4, cp = c & 0x07, minimum = 0x10000;
    }
    bool valid = length > 0 && i + length <= text.size();
    for (int k = 1; valid && k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      valid = IsContinuation(next);
      cp = (cp << 6) | (next & 0x3F);
    }
    if (!valid || cp < minimum || cp > 0x10FFFF) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    AppendUtf16(out, cp);
    i += length;
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const char32_t cp = NextCodePoint(text, i);
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

char32_t FoldCase(char32_t code_point) {
  if (code_point < 0x80) {
    return (code_point >= 'A' && code_point <= 'Z') ? code_point + 32 : code_point;
  }
  const auto it = std::lower_bound(std::begin(kFoldTable), std::end(kFoldTable), code_point,
                                   [](const FoldPair& p, char32_t cp) { return p.from < cp; });
  return (it != std::end(kFoldTable) && it->from == code_point) ? it->to : code_point;
}

int CompareIgnoreCase(std::u16string_view a, std::u16string_view b) {
  std::u16string fa;
  std::u16string fb;
  for (size_t i = 0; i < a.size();) AppendUtf16(fa, FoldCase(NextCodePoint(a, i)));
  for (size_t i = 0; i < b.size();) AppendUtf16(fb, FoldCase(NextCodePoint(b, i)));
  return fa.compare(fb) < 0 ? -1 : (fa == fb ? 0 : 1);
}

}  // namespace rcc
