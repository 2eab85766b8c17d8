#pragma once
// Format: the framework's printf-like formatting.
//
//   Format(u"List index out of bounds (%d)", {index})
//
// A specifier is "%" [index ":"] ["-"] [width] ["." precision] type, where
// index, width and precision may be "*" (taken from the next argument) and
// "%%" is a percent sign. Types:
//   d  decimal integer (precision: minimum digits, zero-padded)
//   u  unsigned decimal (a negative argument is read as its unsigned bits)
//   x  upper-case hexadecimal of the two's-complement bits (precision as d)
//   e  float, exponent notation, precision digits (default 15)
//   f  float, fixed notation, precision decimals (default 2)
//   g  float, general notation, precision significant digits (default 15)
//   n  as f with thousand separators
//   s  string or character (precision: maximum characters)
//   p  pointer, upper-case hexadecimal of its full width
// Width pads with blanks, on the left or, with "-", on the right. A missing
// argument raises EConvertError "No argument for format '<format>'", a bad
// specifier or a wrong argument kind "Format '<format>' invalid or incompatible
// with argument".

#include <concepts>
#include <cstdint>
#include <initializer_list>

#include "rtl/formatsettings.h"
#include "rtl/ustring.h"

// One argument of Format. Holds a view of string arguments: build the
// argument list in the call (temporaries live until Format returns).
class TVarRec {
 public:
  enum class Kind : uint8_t { Integer, Unsigned, Float, Text, Char, Pointer };

  template <std::signed_integral T>
  TVarRec(T v) : kind_(Kind::Integer), bits_(sizeof(T) * 8), int_(v) {}  // NOLINT
  template <std::unsigned_integral T>
    requires(!std::same_as<T, char16_t> && !std::same_as<T, bool>)
  TVarRec(T v) : kind_(Kind::Unsigned), bits_(sizeof(T) * 8), uint_(v) {}  // NOLINT
  TVarRec(bool v) : kind_(Kind::Integer), int_(v ? 1 : 0) {}  // NOLINT
  TVarRec(char16_t c) : kind_(Kind::Char), char_(c) {}  // NOLINT
  template <std::floating_point T>
  TVarRec(T v) : kind_(Kind::Float), float_(double(v)) {}  // NOLINT
  TVarRec(StringView s) : kind_(Kind::Text), text_(s) {}  // NOLINT
  TVarRec(const String& s) : kind_(Kind::Text), text_(s) {}  // NOLINT
  TVarRec(const char16_t* s) : kind_(Kind::Text), text_(s ? StringView(s) : StringView()) {}  // NOLINT
  TVarRec(const void* p) : kind_(Kind::Pointer), pointer_(p) {}  // NOLINT

  Kind kind() const { return kind_; }
  // Width of an integer argument's type: 8, 16, 32 or 64.
  uint8_t IntegerBits() const { return bits_; }
  int64_t AsInteger() const { return int_; }
  uint64_t AsUnsigned() const { return uint_; }
  double AsFloat() const { return float_; }
  StringView AsText() const { return text_; }
  const char16_t& AsChar() const { return char_; }
  const void* AsPointer() const { return pointer_; }

 private:
  Kind kind_;
  uint8_t bits_ = 64;
  union {
    int64_t int_;
    uint64_t uint_;
    double float_;
    char16_t char_;
    const void* pointer_;
  };
  StringView text_;
};

String Format(StringView format, std::initializer_list<TVarRec> args,
              const TFormatSettings& settings);
String Format(StringView format, std::initializer_list<TVarRec> args);
