#pragma once
// TParser: the tokenizer of the framework's object text (objtext.h) and of
// other values written in the same notation. Tokens:
//   toSymbol   identifier: a letter or "_", then letters, digits, "_"
//   toString   quoted text ('it''s') and character codes (#13, #$0D) written
//              next to each other, all code units up to 255
//   toWString  the same with a code unit above 255
//   toInteger  decimal digits with an optional "-", or "$" and hex digits
//   toFloat    digits with a "." fraction and/or an exponent, or any number
//              followed by one of the suffixes s, c, d (FloatType)
//   any other single character is its own token; toEOF at the end.
// Errors raise EParserError "<message> on line <n>".

#include <cstdint>

#include "rtl/streams.h"
#include "rtl/ustring.h"

constexpr char16_t toEOF = 0;
constexpr char16_t toSymbol = 1;
constexpr char16_t toString = 2;
constexpr char16_t toInteger = 3;
constexpr char16_t toFloat = 4;
constexpr char16_t toWString = 5;

class TParser {
 public:
  // The text is read whole: UTF-8 (a byte-order mark is skipped).
  explicit TParser(TStream& stream);
  explicit TParser(String text);

  char16_t Token() const { return token_; }
  // Symbol name, string value or number text (without its suffix).
  const String& TokenString() const { return token_text_; }
  const String& TokenWideString() const { return token_text_; }
  // The integer value; EParserError "Number expected" when it does not fit 64 bits.
  int64_t TokenInt() const;
  double TokenFloat() const;
  // The suffix of a float token ('s', 'c', 'd' as written) or 0.
  char16_t FloatType() const { return float_type_; }
  int32_t SourceLine() const { return token_line_; }

  char16_t NextToken();
  bool TokenSymbolIs(StringView symbol) const;
  // Raise the parser's "expected" errors unless the token is as asked.
  void CheckToken(char16_t token) const;
  void CheckTokenSymbol(StringView symbol) const;
  // The token after "{": hexadecimal digits (white space allowed between
  // pairs) up to "}", written to `stream`; then moves to the next token.
  // "Invalid binary value" for anything else.
  void HexToBinary(TStream& stream);
  [[noreturn]] void Error(const String& message) const;

 private:
  void SkipBlanks();
  void ScanString();
  void ScanNumber();

  String text_;
  size_t pos_ = 0;
  int32_t line_ = 1;
  char16_t token_ = toEOF;
  String token_text_;
  char16_t float_type_ = 0;
  int32_t token_line_ = 1;
};
