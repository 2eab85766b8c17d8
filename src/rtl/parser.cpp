#include "rtl/parser.h"

#include <cmath>
#include <limits>
#include <string>

#include "rtl/sysutils.h"

namespace {

bool IsIdentStart(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

String ReadAllText(TStream& stream) {
  std::string bytes;
  char chunk[4096];
  for (int32_t n; (n = stream.Read(chunk, sizeof chunk)) > 0;) bytes.append(chunk, static_cast<size_t>(n));
  if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
  return Utf8ToString(bytes);
}

}  // namespace

TParser::TParser(TStream& stream) : TParser(ReadAllText(stream)) {}

TParser::TParser(String text) : text_(std::move(text)) { NextToken(); }

void TParser::Error(const String& message) const {
  throw EParserError(Format(u"%s on line %d", {message, token_line_}));
}

void TParser::SkipBlanks() {
  while (pos_ < text_.size() && text_[pos_] <= u' ') {
    if (text_[pos_] == u'\n') ++line_;
    ++pos_;
  }
}

char16_t TParser::NextToken() {
  SkipBlanks();
  token_line_ = line_;
  token_text_.clear();
  float_type_ = 0;
  if (pos_ >= text_.size()) return token_ = toEOF;
  const char16_t c = text_[pos_];
  if (IsIdentStart(c)) {
    const size_t start = pos_;
    while (pos_ < text_.size() && (IsIdentStart(text_[pos_]) || IsDigit(text_[pos_]))) ++pos_;
    token_text_ = text_.substr(start, pos_ - start);
    return token_ = toSymbol;
  }
  if (c == u'\'' || c == u'#') {
    ScanString();
    return token_;
  }
  if (IsDigit(c) || c == u'$' || (c == u'-' && pos_ + 1 < text_.size() && IsDigit(text_[pos_ + 1]))) {
    ScanNumber();
    return token_;
  }
  ++pos_;
  token_text_ = String(1, c);
  return token_ = c;
}

void TParser::ScanString() {
  String value;
  bool wide = false;
  while (pos_ < text_.size() && (text_[pos_] == u'\'' || text_[pos_] == u'#')) {
    if (text_[pos_] == u'\'') {
      ++pos_;
      for (;;) {
        if (pos_ >= text_.size() || text_[pos_] == u'\r' || text_[pos_] == u'\n') Error(u"Invalid string constant");
        const char16_t ch = text_[pos_++];
        if (ch == u'\'') {
          if (pos_ < text_.size() && text_[pos_] == u'\'') {
            ++pos_;
          } else {
            break;
          }
        }
        if (ch > 0xFF) wide = true;
        value.push_back(ch);
      }
    } else {
      ++pos_;
      uint32_t code = 0;
      size_t digits = 0;
      const bool hex = pos_ < text_.size() && text_[pos_] == u'$';
      if (hex) ++pos_;
      while (pos_ < text_.size() && (hex ? HexValue(text_[pos_]) >= 0 : IsDigit(text_[pos_]))) {
        code = code * (hex ? 16 : 10) + static_cast<uint32_t>(hex ? HexValue(text_[pos_]) : text_[pos_] - u'0');
        if (code > 0xFFFF) Error(u"Invalid string constant");
        ++pos_;
        ++digits;
      }
      if (digits == 0) Error(u"Invalid string constant");
      if (code > 0xFF) wide = true;
      value.push_back(static_cast<char16_t>(code));
    }
  }
  token_text_ = std::move(value);
  token_ = wide ? toWString : toString;
}

void TParser::ScanNumber() {
  const size_t start = pos_;
  token_ = toInteger;
  if (text_[pos_] == u'$') {
    ++pos_;
    while (pos_ < text_.size() && HexValue(text_[pos_]) >= 0) ++pos_;
    if (pos_ == start + 1) Error(u"Number expected");
  } else {
    if (text_[pos_] == u'-') ++pos_;
    while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    if (pos_ + 1 < text_.size() && text_[pos_] == u'.' && IsDigit(text_[pos_ + 1])) {
      token_ = toFloat;
      ++pos_;
      while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    }
    if (pos_ < text_.size() && (text_[pos_] == u'e' || text_[pos_] == u'E')) {
      size_t p = pos_ + 1;
      if (p < text_.size() && (text_[p] == u'+' || text_[p] == u'-')) ++p;
      if (p < text_.size() && IsDigit(text_[p])) {
        token_ = toFloat;
        pos_ = p;
        while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
      }
    }
  }
  token_text_ = text_.substr(start, pos_ - start);
  if (token_text_[0] != u'$' && pos_ < text_.size()) {
    const char16_t suffix = text_[pos_];
    if (suffix == u's' || suffix == u'S' || suffix == u'c' || suffix == u'C' || suffix == u'd' || suffix == u'D') {
      float_type_ = suffix;
      token_ = toFloat;
      ++pos_;
    }
  }
}

int64_t TParser::TokenInt() const {
  int64_t value;
  if (!TryStrToInt64(token_text_, value)) Error(u"Number expected");
  return value;
}

double TParser::TokenFloat() const {
  double value;
  if (!TryStrToFloat(token_text_, value, TFormatSettings::Invariant())) {
    // Integers too long for a double's text rules still have a value.
    if (token_ == toInteger) return static_cast<double>(TokenInt());
    Error(u"Number expected");
  }
  return value;
}

bool TParser::TokenSymbolIs(StringView symbol) const { return token_ == toSymbol && SameText(token_text_, symbol); }

void TParser::CheckToken(char16_t token) const {
  if (token_ == token) return;
  switch (token) {
    case toSymbol: Error(u"Identifier expected");
    case toString:
    case toWString: Error(u"String expected");
    case toInteger:
    case toFloat: Error(u"Number expected");
    default: Error(Format(u"'%s' expected", {String(1, token)}));
  }
}

void TParser::CheckTokenSymbol(StringView symbol) const {
  if (!TokenSymbolIs(symbol)) Error(Format(u"%s expected", {symbol}));
}

void TParser::HexToBinary(TStream& stream) {
  std::string bytes;
  for (;;) {
    SkipBlanks();
    if (pos_ >= text_.size()) Error(u"Invalid binary value");
    if (text_[pos_] == u'}') {
      ++pos_;
      break;
    }
    const int hi = HexValue(text_[pos_]);
    const int lo = pos_ + 1 < text_.size() ? HexValue(text_[pos_ + 1]) : -1;
    if (hi < 0 || lo < 0) Error(u"Invalid binary value");
    bytes.push_back(static_cast<char>(hi * 16 + lo));
    pos_ += 2;
  }
  stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  NextToken();
}
