#pragma once
// Conversions between numbers and text.
//
// Integer text as the framework reads it: optional leading blanks, an optional
// "+" or "-", then decimal digits, or hexadecimal digits after "$", "x", "X",
// "0x" or "0X". Nothing may follow. Hexadecimal text may use all the bits of
// the type, so "$FFFFFFFF" is -1 as a 32-bit integer; decimal text must fit.
//
// Float text uses the decimal separator of the settings passed (or of the
// process-wide FormatSettings); streams and files pass
// TFormatSettings::Invariant() so that "." is used whatever the locale.

#include <concepts>
#include <cstdint>

#include "rtl/formatsettings.h"
#include "rtl/ustring.h"

String IntToStr(int32_t value);
String IntToStr(int64_t value);
String UIntToStr(uint32_t value);
String UIntToStr(uint64_t value);

// Upper-case hexadecimal of the value's two's-complement bits, padded with
// zeros to at least `digits` digits.
String IntToHex(int32_t value, int32_t digits);
String IntToHex(int64_t value, int32_t digits);
String IntToHex(uint32_t value, int32_t digits);
String IntToHex(uint64_t value, int32_t digits);

// Any other integer type (short, long, long long, size_t on either target)
// goes to the 32-bit form when it fits, else to the 64-bit one, instead of
// being ambiguous.
template <std::signed_integral T>
String IntToStr(T value) {
  return IntToStr(int64_t(value));
}
template <std::unsigned_integral T>
String IntToStr(T value) {
  return UIntToStr(uint64_t(value));
}
template <std::signed_integral T>
String IntToHex(T value, int32_t digits) {
  if constexpr (sizeof(T) <= 4) return IntToHex(int32_t(value), digits);
  return IntToHex(int64_t(value), digits);
}
template <std::unsigned_integral T>
String IntToHex(T value, int32_t digits) {
  if constexpr (sizeof(T) <= 4) return IntToHex(uint32_t(value), digits);
  return IntToHex(uint64_t(value), digits);
}

// Raise EConvertError "'<text>' is not a valid integer value".
int32_t StrToInt(StringView s);
int64_t StrToInt64(StringView s);
int32_t StrToIntDef(StringView s, int32_t fallback);
int64_t StrToInt64Def(StringView s, int64_t fallback);
bool TryStrToInt(StringView s, int32_t& value);
bool TryStrToInt64(StringView s, int64_t& value);

enum class TFloatFormat : uint8_t { ffGeneral, ffExponent, ffFixed, ffNumber };

// The shortest text that reads back as exactly the same double: fixed notation
// for magnitudes from 1E-5 up to (not including) 1E15, otherwise mantissa and
// exponent ("1.5E20", "2E-7"). NaN is "NAN", infinities "INF" and "-INF".
String FloatToStr(double value, const TFormatSettings& settings);
String FloatToStr(double value);

// The framework's formats, `precision` significant digits (1..17), correctly
// rounded from the binary value (an exact tie goes to the even digit):
// - ffGeneral: shortest of fixed or exponent text, trailing zeros removed;
//   `digits` is the minimum exponent length (0..4).
// - ffExponent: "-d.dddE+dddd" with precision digits, exponent at least
//   `digits` long (0..4).
// - ffFixed: `digits` decimals (0..18), zero-padded past the precision;
//   exponent text when the integer part has more than `precision` digits.
// - ffNumber: as ffFixed with thousand separators.
String FloatToStrF(double value, TFloatFormat format, int32_t precision, int32_t digits,
                   const TFormatSettings& settings);
String FloatToStrF(double value, TFloatFormat format, int32_t precision, int32_t digits);

// Accepts optional blanks around, a sign, digits with at most one decimal
// separator (at least one digit in all) and an optional exponent
// ("E" or "e", sign, digits). Out-of-range magnitudes fail.
// StrToFloat raises EConvertError "'<text>' is not a valid floating point value".
bool TryStrToFloat(StringView s, double& value, const TFormatSettings& settings);
bool TryStrToFloat(StringView s, double& value);
double StrToFloat(StringView s, const TFormatSettings& settings);
double StrToFloat(StringView s);
double StrToFloatDef(StringView s, double fallback, const TFormatSettings& settings);
double StrToFloatDef(StringView s, double fallback);
