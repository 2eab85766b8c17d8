#include "rtl/format.h"

#include <cstdint>

#include "rtl/exceptions.h"
#include "rtl/numbers.h"

namespace {

class Formatter {
 public:
  Formatter(StringView format, std::initializer_list<TVarRec> args, const TFormatSettings& settings)
      : format_(format), args_(args), settings_(settings) {}

  String Run() {
    String out;
    while (pos_ < format_.size()) {
      const char16_t c = format_[pos_++];
      if (c != u'%') {
        out.push_back(c);
      } else if (Peek() == u'%') {
        out.push_back(u'%');
        ++pos_;
      } else {
        out += Specifier();
      }
    }
    return out;
  }

 private:
  char16_t Peek() const { return pos_ < format_.size() ? format_[pos_] : char16_t(0); }

  [[noreturn]] void Invalid() const {
    throw EConvertError(u"Format '" + String(format_) +
                        u"' invalid or incompatible with argument");
  }

  const TVarRec& Take() {
    if (next_ >= args_.size()) {
      throw EConvertError(u"No argument for format '" + String(format_) + u"'");
    }
    return args_.begin()[next_++];
  }

  // A decimal number or "*" (the next argument, which must be an integer).
  bool ReadNumber(int32_t& value) {
    if (Peek() == u'*') {
      ++pos_;
      const TVarRec& arg = Take();
      if (arg.kind() != TVarRec::Kind::Integer && arg.kind() != TVarRec::Kind::Unsigned) Invalid();
      const int64_t v = arg.kind() == TVarRec::Kind::Integer ? arg.AsInteger()
                                                              : int64_t(arg.AsUnsigned() & 0x7FFFFFFF);
      value = v < 0 ? 0 : int32_t(v > 0x7FFFFFFF ? 0x7FFFFFFF : v);
      return true;
    }
    if (Peek() < u'0' || Peek() > u'9') return false;
    int64_t v = 0;
    while (Peek() >= u'0' && Peek() <= u'9') {
      v = v * 10 + (format_[pos_++] - u'0');
      if (v > 0x7FFFFFFF) Invalid();
    }
    value = int32_t(v);
    return true;
  }

  String Specifier() {
    int32_t number = -1;
    bool have_number = ReadNumber(number);
    if (have_number && Peek() == u':') {
      ++pos_;
      next_ = size_t(number);
      have_number = false;
    }
    bool left = false;
    if (!have_number && Peek() == u'-') {
      left = true;
      ++pos_;
    }
    int32_t width = -1;
    if (have_number) {
      width = number;
    } else {
      ReadNumber(width);
    }
    int32_t precision = -1;
    if (Peek() == u'.') {
      ++pos_;
      if (!ReadNumber(precision)) precision = 0;
    }
    if (pos_ >= format_.size()) Invalid();
    const char16_t type = format_[pos_++];
    String text = Convert(type, Take(), precision);
    if (width > int32_t(text.size())) {
      const String pad(size_t(width) - text.size(), u' ');
      text = left ? text + pad : pad + text;
    }
    return text;
  }

  // The argument's integer bits as unsigned, for "u" and "x".
  uint64_t UnsignedBits(const TVarRec& arg) const {
    if (arg.kind() == TVarRec::Kind::Unsigned) return arg.AsUnsigned();
    if (arg.kind() != TVarRec::Kind::Integer) Invalid();
    const uint64_t bits = uint64_t(arg.AsInteger());
    return arg.IntegerBits() < 64 ? (bits & 0xFFFFFFFFu) : bits;
  }

  static String ZeroPad(String digits, int32_t precision) {
    const bool negative = !digits.empty() && digits[0] == u'-';
    const int32_t count = int32_t(digits.size()) - (negative ? 1 : 0);
    if (precision > count) digits.insert(negative ? 1 : 0, size_t(precision - count), u'0');
    return digits;
  }

  double FloatArg(const TVarRec& arg) const {
    if (arg.kind() != TVarRec::Kind::Float) Invalid();
    return arg.AsFloat();
  }

  String Convert(char16_t type, const TVarRec& arg, int32_t precision) const {
    switch (type | 0x20) {  // type letters in either case
      case u'd':
        if (arg.kind() == TVarRec::Kind::Integer) return ZeroPad(IntToStr(arg.AsInteger()), precision);
        if (arg.kind() == TVarRec::Kind::Unsigned) return ZeroPad(UIntToStr(arg.AsUnsigned()), precision);
        Invalid();
      case u'u':
        return ZeroPad(UIntToStr(UnsignedBits(arg)), precision);
      case u'x':
        return IntToHex(UnsignedBits(arg), precision < 0 ? 0 : precision);
      case u'e':
        return FloatToStrF(FloatArg(arg), TFloatFormat::ffExponent, precision < 0 ? 15 : precision,
                           3, settings_);
      case u'f':
        return FloatToStrF(FloatArg(arg), TFloatFormat::ffFixed, 17, precision < 0 ? 2 : precision,
                           settings_);
      case u'g':
        return FloatToStrF(FloatArg(arg), TFloatFormat::ffGeneral, precision < 0 ? 15 : precision,
                           0, settings_);
      case u'n':
        return FloatToStrF(FloatArg(arg), TFloatFormat::ffNumber, 17, precision < 0 ? 2 : precision,
                           settings_);
      case u's': {
        StringView text;
        if (arg.kind() == TVarRec::Kind::Text) {
          text = arg.AsText();
        } else if (arg.kind() == TVarRec::Kind::Char) {
          text = StringView(&arg.AsChar(), 1);
        } else {
          Invalid();
        }
        if (precision >= 0 && size_t(precision) < text.size()) text = text.substr(0, size_t(precision));
        return String(text);
      }
      case u'p':
        if (arg.kind() != TVarRec::Kind::Pointer) Invalid();
        return IntToHex(uint64_t(reinterpret_cast<uintptr_t>(arg.AsPointer())),
                        int32_t(sizeof(void*) * 2));
      default:
        Invalid();
    }
  }

  StringView format_;
  std::initializer_list<TVarRec> args_;
  const TFormatSettings& settings_;
  size_t pos_ = 0;
  size_t next_ = 0;
};

}  // namespace

String Format(StringView format, std::initializer_list<TVarRec> args,
              const TFormatSettings& settings) {
  return Formatter(format, args, settings).Run();
}

String Format(StringView format, std::initializer_list<TVarRec> args) {
  return Format(format, args, FormatSettings);
}
