#include "rtl/ansi_codepage.h"

String AnsiBytesToString(const uint8_t* bytes, size_t count) { return String(bytes, bytes + count); }

std::vector<uint8_t> StringToAnsiBytes(StringView text) {
  std::vector<uint8_t> out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    // A surrogate pair is one character, so it becomes one "?".
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      ++i;
    }
    out.push_back(c < 0x100 ? uint8_t(c) : uint8_t('?'));
  }
  return out;
}
