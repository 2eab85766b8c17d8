#include "rtl/objtext.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "rtl/parser.h"
#include "rtl/reader.h"
#include "rtl/sysutils.h"
#include "rtl/writer.h"

namespace {

constexpr int kLineLength = 64;    // characters of string text per line
constexpr int kBytesPerLine = 32;  // bytes of binary data per line
constexpr int kMaxNesting = 200;

// ---- Text -> binary

class TextToBinary {
 public:
  TextToBinary(TStream& input, TStream& output) : parser_(input), writer_(output) {}

  void Run() {
    writer_.WriteSignature();
    ConvertObject();
  }

 private:
  void Nest() {
    if (++nesting_ > kMaxNesting) parser_.Error(u"Nesting too deep");
  }

  void ConvertObject() {
    Nest();
    TFilerFlags flags;
    if (parser_.TokenSymbolIs(u"inherited")) {
      flags.Include(ffInherited);
    } else if (parser_.TokenSymbolIs(u"inline")) {
      flags.Include(ffInline);
    } else {
      parser_.CheckTokenSymbol(u"object");
    }
    parser_.NextToken();
    parser_.CheckToken(toSymbol);
    String name;
    String class_name = parser_.TokenString();
    if (parser_.NextToken() == u':') {
      parser_.NextToken();
      parser_.CheckToken(toSymbol);
      name = class_name;
      class_name = parser_.TokenString();
      parser_.NextToken();
    }
    int32_t position = 0;
    if (parser_.Token() == u'[') {
      parser_.NextToken();
      parser_.CheckToken(toInteger);
      position = ToInt32(parser_.TokenInt());
      parser_.NextToken();
      parser_.CheckToken(u']');
      parser_.NextToken();
      flags.Include(ffChildPos);
    }
    writer_.WritePrefix(flags, position);
    writer_.WriteStr(class_name);
    writer_.WriteStr(name);
    while (!IsObjectStart() && !parser_.TokenSymbolIs(u"end") && parser_.Token() != toEOF) ConvertProperty();
    writer_.WriteListEnd();
    while (IsObjectStart()) ConvertObject();
    writer_.WriteListEnd();
    parser_.CheckTokenSymbol(u"end");
    parser_.NextToken();
    --nesting_;
  }

  bool IsObjectStart() const {
    return parser_.TokenSymbolIs(u"object") || parser_.TokenSymbolIs(u"inherited") ||
           parser_.TokenSymbolIs(u"inline");
  }

  int32_t ToInt32(int64_t value) const {
    if (value < INT32_MIN || value > INT32_MAX) parser_.Error(u"Number expected");
    return static_cast<int32_t>(value);
  }

  void ConvertProperty() {
    parser_.CheckToken(toSymbol);
    String name = parser_.TokenString();
    parser_.NextToken();
    while (parser_.Token() == u'.') {
      parser_.NextToken();
      parser_.CheckToken(toSymbol);
      name += u'.' + parser_.TokenString();
      parser_.NextToken();
    }
    writer_.WriteStr(name);
    parser_.CheckToken(u'=');
    parser_.NextToken();
    ConvertValue();
  }

  void ConvertValue() {
    switch (parser_.Token()) {
      case toInteger:
        writer_.WriteInteger(parser_.TokenInt());
        parser_.NextToken();
        return;
      case toFloat:
        ConvertFloat();
        parser_.NextToken();
        return;
      case toString:
      case toWString: {
        String value = parser_.TokenString();
        while (parser_.NextToken() == u'+') {
          parser_.NextToken();
          if (parser_.Token() != toString && parser_.Token() != toWString) parser_.CheckToken(toString);
          value += parser_.TokenString();
        }
        writer_.WriteString(value);
        return;
      }
      case toSymbol: {
        String ident = parser_.TokenString();
        while (parser_.NextToken() == u'.') {
          parser_.NextToken();
          parser_.CheckToken(toSymbol);
          ident += u'.' + parser_.TokenString();
        }
        writer_.WriteIdent(ident);
        return;
      }
      case u'[':
        ConvertSet();
        return;
      case u'(':
        Nest();
        writer_.WriteListBegin();
        parser_.NextToken();
        while (parser_.Token() != u')') {
          if (parser_.Token() == toEOF) parser_.CheckToken(u')');
          ConvertValue();
        }
        writer_.WriteListEnd();
        parser_.NextToken();
        --nesting_;
        return;
      case u'{': {
        TMemoryStream data;
        parser_.HexToBinary(data);
        writer_.WriteBinary([&data](TStream& out) { data.SaveToStream(out); });
        return;
      }
      case u'<':
        ConvertCollection();
        return;
      default:
        parser_.Error(u"Invalid property value");
    }
  }

  void ConvertFloat() {
    const double value = parser_.TokenFloat();
    switch (parser_.FloatType()) {
      case u's':
      case u'S':
        if (std::fabs(value) > std::numeric_limits<float>::max()) parser_.Error(u"Invalid property value");
        writer_.WriteSingle(static_cast<float>(value));
        return;
      case u'c':
      case u'C': {
        // The text is in ten-thousandths already; integral text is taken exactly.
        int64_t raw;
        if (!TryStrToInt64(parser_.TokenString(), raw)) {
          const double rounded = std::nearbyint(value);
          if (!(rounded >= -9.2233720368547758e18 && rounded < 9.2233720368547758e18)) {
            parser_.Error(u"Invalid property value");
          }
          raw = static_cast<int64_t>(rounded);
        }
        writer_.WriteValue(vaCurrency);
        uint8_t bytes[8];
        for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(static_cast<uint64_t>(raw) >> (8 * i));
        writer_.Write(bytes, 8);
        return;
      }
      case u'd':
      case u'D':
        writer_.WriteDate(value);
        return;
      default:
        writer_.WriteFloat(value);
    }
  }

  void ConvertSet() {
    writer_.WriteValue(vaSet);
    parser_.NextToken();
    if (parser_.Token() != u']') {
      for (;;) {
        parser_.CheckToken(toSymbol);
        writer_.WriteStr(parser_.TokenString());
        if (parser_.NextToken() == u']') break;
        parser_.CheckToken(u',');
        parser_.NextToken();
      }
    }
    writer_.WriteStr(u"");
    parser_.NextToken();
  }

  void ConvertCollection() {
    Nest();
    writer_.WriteValue(vaCollection);
    parser_.NextToken();
    while (parser_.Token() != u'>') {
      if (parser_.Token() == toEOF) parser_.CheckToken(u'>');
      parser_.CheckTokenSymbol(u"item");
      parser_.NextToken();
      if (parser_.Token() == u'[') {
        parser_.NextToken();
        parser_.CheckToken(toInteger);
        writer_.WriteInteger(ToInt32(parser_.TokenInt()));
        parser_.NextToken();
        parser_.CheckToken(u']');
        parser_.NextToken();
      }
      writer_.WriteListBegin();
      while (!parser_.TokenSymbolIs(u"end") && parser_.Token() != toEOF) ConvertProperty();
      parser_.CheckTokenSymbol(u"end");
      writer_.WriteListEnd();
      parser_.NextToken();
    }
    writer_.WriteListEnd();
    parser_.NextToken();
    --nesting_;
  }

  TParser parser_;
  TWriter writer_;
  int nesting_ = 0;
};

// ---- Binary -> text

class BinaryToText {
 public:
  BinaryToText(TStream& input, TStream& output) : reader_(input), output_(output) {}

  void Run() {
    reader_.ReadSignature();
    ConvertObject();
  }

 private:
  void Put(StringView text) {
    const std::string bytes = StringToUtf8(text);
    output_.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  }
  void Indent() { Put(String(static_cast<size_t>(nesting_) * 2, u' ')); }
  void NewLine() {
    Put(u"\r\n");
    Indent();
  }
  void Nest() {
    if (++nesting_ > kMaxNesting) throw EReadError(u"Invalid stream format");
  }

  void ConvertObject() {
    TFilerFlags flags;
    int32_t position;
    reader_.ReadPrefix(flags, position);
    const String class_name = reader_.ReadStr();
    const String name = reader_.ReadStr();
    Indent();
    Put(flags.Contains(ffInherited) ? u"inherited " : flags.Contains(ffInline) ? u"inline " : u"object ");
    if (!name.empty()) Put(name + u": ");
    Put(class_name);
    if (flags.Contains(ffChildPos)) Put(u" [" + IntToStr(position) + u"]");
    Put(u"\r\n");
    Nest();
    while (!reader_.EndOfList()) ConvertProperty();
    reader_.ReadListEnd();
    while (!reader_.EndOfList()) ConvertObject();
    reader_.ReadListEnd();
    --nesting_;
    Indent();
    Put(u"end\r\n");
  }

  void ConvertProperty() {
    Indent();
    Put(reader_.ReadStr() + u" = ");
    ConvertValue();
    Put(u"\r\n");
  }

  void ConvertValue() {
    switch (reader_.NextValue()) {
      case vaList:
        reader_.ReadValue();
        Put(u"(");
        Nest();
        while (!reader_.EndOfList()) {
          NewLine();
          ConvertValue();
        }
        reader_.ReadListEnd();
        --nesting_;
        Put(u")");
        return;
      case vaInt8:
      case vaInt16:
      case vaInt32:
      case vaInt64:
        Put(IntToStr(reader_.ReadInt64()));
        return;
      case vaExtended:
      case vaDouble:
        Put(FloatText(reader_.ReadFloat()));
        return;
      case vaSingle:
        Put(SingleText(static_cast<float>(reader_.ReadSingle())) + u"s");
        return;
      case vaCurrency: {
        reader_.ReadValue();
        uint8_t bytes[8];
        reader_.Read(bytes, 8);
        uint64_t raw = 0;
        for (int i = 0; i < 8; ++i) raw |= static_cast<uint64_t>(bytes[i]) << (8 * i);
        Put(IntToStr(static_cast<int64_t>(raw)) + u"c");
        return;
      }
      case vaDate:
        Put(FloatText(reader_.ReadDate()) + u"d");
        return;
      case vaString:
      case vaLString:
      case vaWString:
      case vaUTF8String:
        ConvertString(reader_.ReadString());
        return;
      case vaIdent:
      case vaFalse:
      case vaTrue:
      case vaNil:
      case vaNull:
        Put(reader_.ReadIdent());
        return;
      case vaBinary:
        ConvertBinary();
        return;
      case vaSet: {
        reader_.ReadValue();
        Put(u"[");
        bool first = true;
        for (String element; !(element = reader_.ReadStr()).empty(); first = false) {
          if (!first) Put(u", ");
          Put(element);
        }
        Put(u"]");
        return;
      }
      case vaCollection:
        ConvertCollection();
        return;
      default:
        reader_.ReadValue();  // raises "Invalid property value" for an unknown type
    }
  }

  static String FloatText(double value) {
    if (!std::isfinite(value)) throw EReadError(u"Invalid property value");  // no text form
    return FloatToStr(value, TFormatSettings::Invariant());
  }

  // The shortest text that reads back as the same single.
  static String SingleText(float value) {
    if (!std::isfinite(value)) throw EReadError(u"Invalid property value");
    for (int precision = 1; precision < 9; ++precision) {
      const String text = FloatToStrF(value, TFloatFormat::ffGeneral, precision, 0, TFormatSettings::Invariant());
      double back;
      if (TryStrToFloat(text, back, TFormatSettings::Invariant()) && static_cast<float>(back) == value) return text;
    }
    return FloatToStrF(value, TFloatFormat::ffGeneral, 9, 0, TFormatSettings::Invariant());
  }

  void ConvertString(const String& s) {
    if (s.empty()) {
      Put(u"''");
      return;
    }
    Nest();
    if (s.size() > kLineLength) NewLine();
    size_t i = 0, line_start = 0;
    auto plain = [](char16_t c) { return c >= u' ' && c != u'\'' && c <= 127; };
    while (i < s.size()) {
      bool line_break = false;
      if (plain(s[i])) {
        const size_t run = i;
        do {
          ++i;
        } while (i < s.size() && plain(s[i]) && i - line_start < kLineLength);
        if (i - line_start >= kLineLength) line_break = true;
        Put(u"'" + s.substr(run, i - run) + u"'");
      } else {
        Put(u"#" + IntToStr(static_cast<int32_t>(s[i])));
        ++i;
        if (i - line_start >= kLineLength) line_break = true;
      }
      if (line_break && i < s.size()) {
        Put(u" +");
        NewLine();
        line_start = i;
      }
    }
    --nesting_;
  }

  void ConvertBinary() {
    reader_.ReadValue();
    uint8_t count_bytes[4];
    reader_.Read(count_bytes, 4);
    const int32_t count = static_cast<int32_t>(count_bytes[0] | count_bytes[1] << 8 | count_bytes[2] << 16 |
                                               static_cast<uint32_t>(count_bytes[3]) << 24);
    if (count < 0 || count > reader_.Stream().Size() - reader_.Stream().Position()) {
      throw EReadError(u"Stream read error");
    }
    Put(u"{");
    Nest();
    uint8_t line[kBytesPerLine];
    for (int32_t done = 0; done < count;) {
      const int32_t n = std::min<int32_t>(kBytesPerLine, count - done);
      reader_.Read(line, n);
      NewLine();
      String hex;
      for (int32_t k = 0; k < n; ++k) hex += IntToHex(static_cast<int32_t>(line[k]), 2);
      Put(hex);
      done += n;
    }
    --nesting_;
    Put(u"}");
  }

  void ConvertCollection() {
    reader_.ReadValue();
    Put(u"<");
    Nest();
    while (!reader_.EndOfList()) {
      NewLine();
      Put(u"item");
      const TValueType next = reader_.NextValue();
      if (next == vaInt8 || next == vaInt16 || next == vaInt32) {
        Put(u" [" + IntToStr(reader_.ReadInteger()) + u"]");
      }
      Put(u"\r\n");
      reader_.ReadListBegin();
      Nest();
      while (!reader_.EndOfList()) ConvertProperty();
      reader_.ReadListEnd();
      --nesting_;
      Indent();
      Put(u"end");
    }
    reader_.ReadListEnd();
    --nesting_;
    Put(u">");
  }

  TReader reader_;
  TStream& output_;
  int nesting_ = 0;
};

}  // namespace

void ObjectTextToBinary(TStream& input, TStream& output) { TextToBinary(input, output).Run(); }

void ObjectBinaryToText(TStream& input, TStream& output) { BinaryToText(input, output).Run(); }
