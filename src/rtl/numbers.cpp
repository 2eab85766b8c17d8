#include "rtl/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <type_traits>

#include "rtl/exceptions.h"

namespace {

String Widen(std::string_view ascii) { return String(ascii.begin(), ascii.end()); }

template <typename T>
String IntegerText(T value) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  return Widen(std::string_view(buf, r.ptr - buf));
}

template <typename U>
String HexText(U value, int32_t digits) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, 16);
  String out;
  for (int32_t n = int32_t(r.ptr - buf); n < digits; ++n) out.push_back(u'0');
  for (const char* p = buf; p < r.ptr; ++p) out.push_back(char16_t(*p >= 'a' ? *p - 32 : *p));
  return out;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

template <typename T>
bool ParseInteger(StringView s, T& value) {
  using U = std::make_unsigned_t<T>;
  size_t i = 0;
  const size_t n = s.size();
  while (i < n && s[i] == u' ') ++i;
  bool negative = false;
  if (i < n && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  bool hex = false;
  if (i < n && (s[i] == u'$' || s[i] == u'x' || s[i] == u'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
    hex = true;
    i += 2;
  }
  if (i == n) return false;
  U acc = 0;
  if (hex) {
    for (; i < n; ++i) {
      const int d = HexDigit(s[i]);
      if (d < 0 || acc > (std::numeric_limits<U>::max() >> 4)) return false;
      acc = U(acc << 4) | U(d);
    }
  } else {
    const U limit = U(std::numeric_limits<T>::max()) + (negative ? 1 : 0);
    for (; i < n; ++i) {
      if (s[i] < u'0' || s[i] > u'9') return false;
      const U d = U(s[i] - u'0');
      if (acc > (limit - d) / 10) return false;
      acc = U(acc * 10 + d);
    }
  }
  value = T(negative ? U(U(0) - acc) : acc);
  return true;
}

[[noreturn]] void ThrowNotInteger(StringView s) {
  throw EConvertError(u"'" + String(s) + u"' is not a valid integer value");
}

// A finite double as decimal digits: value = 0.D × 10^point, i.e. the decimal
// point stands after `point` digits of D (before D when point <= 0).
struct DecimalDigits {
  bool negative = false;
  std::string digits;
  int point = 0;
};

// Reads to_chars' scientific text "[-]d[.ddd]e±xx".
DecimalDigits FromScientific(const char* p, const char* end) {
  DecimalDigits d;
  if (*p == '-') d.negative = true, ++p;
  for (; *p != 'e'; ++p) {
    if (*p != '.') d.digits.push_back(*p);
  }
  int exponent = 0;
  std::from_chars(p + (p[1] == '+' ? 2 : 1), end, exponent);
  d.point = exponent + 1;
  return d;
}

// `count` significant digits, correctly rounded (exact ties to even).
DecimalDigits Significant(double value, int count) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific,
                               count - 1);
  return FromScientific(buf, r.ptr);
}

// The shortest digits that read back as the same double.
DecimalDigits Shortest(double value) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
  return FromScientific(buf, r.ptr);
}

// Exactly `decimals` digits after the point, correctly rounded.
DecimalDigits FixedDecimals(double value, int decimals) {
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  DecimalDigits d;
  const char* p = buf;
  if (*p == '-') d.negative = true, ++p;
  d.point = -1;
  for (; p < r.ptr; ++p) {
    if (*p == '.') {
      d.point = int(d.digits.size());
    } else {
      d.digits.push_back(*p);
    }
  }
  if (d.point < 0) d.point = int(d.digits.size());
  return d;
}

void StripTrailingZeros(DecimalDigits& d) {
  while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
}

bool AllZero(const DecimalDigits& d) { return d.digits.find_first_not_of('0') == std::string::npos; }

char DigitAt(const DecimalDigits& d, int index) {
  return (index >= 0 && index < int(d.digits.size())) ? d.digits[index] : '0';
}

String RenderFixed(const DecimalDigits& d, int decimals, char16_t decimal_separator,
                   char16_t thousand_separator = 0) {
  String out;
  if (d.negative && !AllZero(d)) out.push_back(u'-');
  const int int_digits = d.point > 0 ? d.point : 1;
  for (int i = 0; i < int_digits; ++i) {
    if (thousand_separator && i > 0 && (int_digits - i) % 3 == 0) out.push_back(thousand_separator);
    out.push_back(char16_t(d.point > 0 ? DigitAt(d, i) : '0'));
  }
  if (decimals > 0) {
    out.push_back(decimal_separator);
    for (int k = 0; k < decimals; ++k) out.push_back(char16_t(DigitAt(d, d.point + k)));
  }
  return out;
}

// Mantissa "d.ddd" of all of d's digits, "E", the exponent with a "-" sign
// (and a "+" sign when `plus` is set), at least `exponent_digits` long.
String RenderExponent(const DecimalDigits& d, char16_t decimal_separator, bool plus,
                      int exponent_digits) {
  String out;
  if (d.negative && !AllZero(d)) out.push_back(u'-');
  out.push_back(char16_t(d.digits[0]));
  if (d.digits.size() > 1) {
    out.push_back(decimal_separator);
    for (size_t i = 1; i < d.digits.size(); ++i) out.push_back(char16_t(d.digits[i]));
  }
  out.push_back(u'E');
  const int exponent = AllZero(d) ? 0 : d.point - 1;
  if (exponent < 0) {
    out.push_back(u'-');
  } else if (plus) {
    out.push_back(u'+');
  }
  String e = IntegerText(exponent < 0 ? -exponent : exponent);
  for (int n = int(e.size()); n < exponent_digits; ++n) out.push_back(u'0');
  return out + e;
}

// Fixed notation when the number has at most `max_int_digits` digits before
// the point and is not below 1E-5, exponent notation otherwise.
String RenderGeneral(DecimalDigits d, int max_int_digits, char16_t decimal_separator,
                     int exponent_digits) {
  StripTrailingZeros(d);
  if (AllZero(d)) return u"0";
  if (d.point <= max_int_digits && d.point >= -4) {
    return RenderFixed(d, std::max(0, int(d.digits.size()) - d.point), decimal_separator);
  }
  return RenderExponent(d, decimal_separator, false, exponent_digits);
}

String NonFinite(double value) {
  if (std::isnan(value)) return u"NAN";
  return value < 0 ? u"-INF" : u"INF";
}

}  // namespace

String IntToStr(int32_t value) { return IntegerText(value); }
String IntToStr(int64_t value) { return IntegerText(value); }
String UIntToStr(uint32_t value) { return IntegerText(value); }
String UIntToStr(uint64_t value) { return IntegerText(value); }

String IntToHex(int32_t value, int32_t digits) { return HexText(uint32_t(value), digits); }
String IntToHex(int64_t value, int32_t digits) { return HexText(uint64_t(value), digits); }
String IntToHex(uint32_t value, int32_t digits) { return HexText(value, digits); }
String IntToHex(uint64_t value, int32_t digits) { return HexText(value, digits); }

bool TryStrToInt(StringView s, int32_t& value) { return ParseInteger(s, value); }
bool TryStrToInt64(StringView s, int64_t& value) { return ParseInteger(s, value); }

int32_t StrToInt(StringView s) {
  int32_t v;
  if (!ParseInteger(s, v)) ThrowNotInteger(s);
  return v;
}

int64_t StrToInt64(StringView s) {
  int64_t v;
  if (!ParseInteger(s, v)) ThrowNotInteger(s);
  return v;
}

int32_t StrToIntDef(StringView s, int32_t fallback) {
  int32_t v;
  return ParseInteger(s, v) ? v : fallback;
}

int64_t StrToInt64Def(StringView s, int64_t fallback) {
  int64_t v;
  return ParseInteger(s, v) ? v : fallback;
}

String FloatToStr(double value, const TFormatSettings& settings) {
  if (!std::isfinite(value)) return NonFinite(value);
  return RenderGeneral(Shortest(value), 15, settings.DecimalSeparator, 0);
}

String FloatToStr(double value) { return FloatToStr(value, FormatSettings); }

String FloatToStrF(double value, TFloatFormat format, int32_t precision, int32_t digits,
                   const TFormatSettings& settings) {
  if (!std::isfinite(value)) return NonFinite(value);
  precision = std::clamp(precision, 1, 17);
  const char16_t sep = settings.DecimalSeparator;
  const DecimalDigits sig = Significant(value, precision);
  switch (format) {
    case TFloatFormat::ffGeneral:
      return RenderGeneral(sig, precision, sep, std::clamp(digits, 0, 4));
    case TFloatFormat::ffExponent:
      return RenderExponent(sig, sep, true, std::clamp(digits, 0, 4));
    case TFloatFormat::ffFixed:
    case TFloatFormat::ffNumber: {
      digits = std::clamp(digits, 0, 18);
      if (sig.point > precision && !AllZero(sig)) return RenderExponent(sig, sep, true, 0);
      const char16_t thousands =
          format == TFloatFormat::ffNumber ? settings.ThousandSeparator : char16_t(0);
      // Round once, at whichever limit comes first: the decimals or the
      // significant digits.
      if (sig.point + digits < precision) {
        return RenderFixed(FixedDecimals(value, digits), digits, sep, thousands);
      }
      return RenderFixed(sig, digits, sep, thousands);
    }
  }
  return String();
}

String FloatToStrF(double value, TFloatFormat format, int32_t precision, int32_t digits) {
  return FloatToStrF(value, format, precision, digits, FormatSettings);
}

bool TryStrToFloat(StringView s, double& value, const TFormatSettings& settings) {
  size_t i = 0, n = s.size();
  while (i < n && s[i] == u' ') ++i;
  while (n > i && s[n - 1] == u' ') --n;
  std::string ascii;
  if (i < n && (s[i] == u'+' || s[i] == u'-')) {
    if (s[i] == u'-') ascii.push_back('-');
    ++i;
  }
  bool any_digit = false, point = false;
  for (; i < n; ++i) {
    const char16_t c = s[i];
    if (c >= u'0' && c <= u'9') {
      ascii.push_back(char(c));
      any_digit = true;
    } else if (c == settings.DecimalSeparator && !point) {
      ascii.push_back('.');
      point = true;
    } else {
      break;
    }
  }
  if (!any_digit) return false;
  if (i < n && (s[i] == u'E' || s[i] == u'e')) {
    ascii.push_back('e');
    ++i;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) ascii.push_back(char(s[i++]));
    bool exponent_digit = false;
    for (; i < n && s[i] >= u'0' && s[i] <= u'9'; ++i) {
      ascii.push_back(char(s[i]));
      exponent_digit = true;
    }
    if (!exponent_digit) return false;
  }
  if (i != n) return false;
  double parsed;
  const auto r = std::from_chars(ascii.data(), ascii.data() + ascii.size(), parsed);
  if (r.ec != std::errc() || r.ptr != ascii.data() + ascii.size()) return false;
  value = parsed;
  return true;
}

bool TryStrToFloat(StringView s, double& value) { return TryStrToFloat(s, value, FormatSettings); }

double StrToFloat(StringView s, const TFormatSettings& settings) {
  double v;
  if (!TryStrToFloat(s, v, settings)) {
    throw EConvertError(u"'" + String(s) + u"' is not a valid floating point value");
  }
  return v;
}

double StrToFloat(StringView s) { return StrToFloat(s, FormatSettings); }

double StrToFloatDef(StringView s, double fallback, const TFormatSettings& settings) {
  double v;
  return TryStrToFloat(s, v, settings) ? v : fallback;
}

double StrToFloatDef(StringView s, double fallback) {
  return StrToFloatDef(s, fallback, FormatSettings);
}
