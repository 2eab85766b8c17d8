#include <windows.h>

#include "rtl/ansi_codepage.h"
#include "rtl/wide_string.h"

String AnsiBytesToString(const uint8_t* bytes, size_t count) {
  if (count == 0) return String();
  const auto* source = reinterpret_cast<const char*>(bytes);
  const int length = MultiByteToWideChar(CP_ACP, 0, source, int(count), nullptr, 0);
  String out(size_t(length), u'\0');
  MultiByteToWideChar(CP_ACP, 0, source, int(count), WideBuffer(out), length);
  return out;
}

std::vector<uint8_t> StringToAnsiBytes(StringView text) {
  if (text.empty()) return {};
  // No single-byte code page holds a character beyond U+FFFF: each surrogate
  // pair becomes one "?", not one per code unit.
  String single;
  single.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      single.push_back(u'?');
      ++i;
    } else {
      single.push_back(text[i]);
    }
  }
  const auto* source = reinterpret_cast<const wchar_t*>(single.data());
  text = single;
  // No best-fit mapping: a character the code page lacks is "?", never a
  // look-alike that would read back as a different character.
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, source, int(text.size()),
                                         nullptr, 0, "?", nullptr);
  std::vector<uint8_t> out(static_cast<size_t>(length));
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, source, int(text.size()),
                      reinterpret_cast<char*>(out.data()), length, "?", nullptr);
  return out;
}
