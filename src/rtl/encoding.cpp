#include "rtl/encoding.h"

#include <cstring>
#include <string_view>

#include "rtl/ansi_codepage.h"

namespace {

class TUTF8Encoding final : public TEncoding {
 public:
  const char16_t* EncodingName() const override { return u"UTF-8"; }
  TBytes GetPreamble() const override { return {0xEF, 0xBB, 0xBF}; }
  TBytes GetBytes(StringView text) const override {
    const std::string utf8 = StringToUtf8(text);
    return TBytes(utf8.begin(), utf8.end());
  }
  String GetString(const uint8_t* bytes, size_t count) const override {
    return Utf8ToString(std::string_view(reinterpret_cast<const char*>(bytes), count));
  }
};

class TUTF16Encoding final : public TEncoding {
 public:
  explicit TUTF16Encoding(bool big_endian) : big_endian_(big_endian) {}
  const char16_t* EncodingName() const override {
    return big_endian_ ? u"UTF-16BE" : u"UTF-16LE";
  }
  TBytes GetPreamble() const override {
    return big_endian_ ? TBytes{0xFE, 0xFF} : TBytes{0xFF, 0xFE};
  }
  TBytes GetBytes(StringView text) const override {
    TBytes out;
    out.reserve(text.size() * 2);
    for (char16_t c : text) {
      const uint8_t lo = uint8_t(c & 0xFF), hi = uint8_t(c >> 8);
      out.push_back(big_endian_ ? hi : lo);
      out.push_back(big_endian_ ? lo : hi);
    }
    return out;
  }
  String GetString(const uint8_t* bytes, size_t count) const override {
    String out;
    out.reserve(count / 2 + 1);
    for (size_t i = 0; i + 1 < count; i += 2) {
      out.push_back(big_endian_ ? char16_t(bytes[i] << 8 | bytes[i + 1])
                                : char16_t(bytes[i + 1] << 8 | bytes[i]));
    }
    if (count % 2 != 0) out.push_back(u'\uFFFD');  // half a code unit
    return out;
  }

 private:
  bool big_endian_;
};

class TAnsiEncoding final : public TEncoding {
 public:
  const char16_t* EncodingName() const override { return u"ANSI"; }
  TBytes GetPreamble() const override { return {}; }
  TBytes GetBytes(StringView text) const override { return StringToAnsiBytes(text); }
  String GetString(const uint8_t* bytes, size_t count) const override {
    return AnsiBytesToString(bytes, count);
  }
};

bool StartsWith(const uint8_t* bytes, size_t count, const TBytes& prefix) {
  return !prefix.empty() && count >= prefix.size() &&
         std::memcmp(bytes, prefix.data(), prefix.size()) == 0;
}

// The encoding whose byte-order mark starts the bytes, or nullptr.
const TEncoding* DetectPreamble(const uint8_t* bytes, size_t count, size_t& length) {
  for (const TEncoding* candidate :
       {&TEncoding::UTF8(), &TEncoding::Unicode(), &TEncoding::BigEndianUnicode()}) {
    const TBytes preamble = candidate->GetPreamble();
    if (StartsWith(bytes, count, preamble)) {
      length = preamble.size();
      return candidate;
    }
  }
  length = 0;
  return nullptr;
}

}  // namespace

const TEncoding& TEncoding::UTF8() {
  static const TUTF8Encoding encoding;
  return encoding;
}

const TEncoding& TEncoding::Unicode() {
  static const TUTF16Encoding encoding(false);
  return encoding;
}

const TEncoding& TEncoding::BigEndianUnicode() {
  static const TUTF16Encoding encoding(true);
  return encoding;
}

const TEncoding& TEncoding::ANSI() {
  static const TAnsiEncoding encoding;
  return encoding;
}

const TEncoding& TEncoding::Default() { return ANSI(); }

size_t TEncoding::GetBufferEncoding(const uint8_t* bytes, size_t count,
                                    const TEncoding*& encoding) {
  if (encoding != nullptr) {
    const TBytes preamble = encoding->GetPreamble();
    return StartsWith(bytes, count, preamble) ? preamble.size() : 0;
  }
  size_t length = 0;
  encoding = DetectPreamble(bytes, count, length);
  if (encoding == nullptr) encoding = &Default();
  return length;
}

String DecodeText(const uint8_t* bytes, size_t count, const TEncoding*& encoding,
                  const TEncoding& fallback) {
  size_t skip = 0;
  if (encoding != nullptr) {
    skip = TEncoding::GetBufferEncoding(bytes, count, encoding);
  } else {
    encoding = DetectPreamble(bytes, count, skip);
    if (encoding == nullptr) encoding = &fallback;
  }
  return encoding->GetString(bytes + skip, count - skip);
}

String DecodeText(const TBytes& bytes, const TEncoding*& encoding, const TEncoding& fallback) {
  return DecodeText(bytes.data(), bytes.size(), encoding, fallback);
}

TBytes EncodeText(StringView text, const TEncoding& encoding, bool with_preamble) {
  TBytes out = with_preamble ? encoding.GetPreamble() : TBytes();
  const TBytes body = encoding.GetBytes(text);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}
