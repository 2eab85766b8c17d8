#include "rtl/objtext.h"

#include <gtest/gtest.h>

#include "rtl/parser.h"
#include "rtl/reader.h"
#include "test_components.h"

namespace {

template <size_t N>
std::string B(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

std::string Crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string ToBinary(const std::string& text) {
  TResourceStream in(text.data(), static_cast<int64_t>(text.size()));
  TMemoryStream out;
  ObjectTextToBinary(in, out);
  return std::string(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
}

std::string ToText(const std::string& binary) {
  TResourceStream in(binary.data(), static_cast<int64_t>(binary.size()));
  TMemoryStream out;
  ObjectBinaryToText(in, out);
  return std::string(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
}

const std::string kLongRun(64, 'a');

// A form using every value type the text form has, in the writer's layout.
const std::string kEveryValueText = Crlf(
    "object Form1: TForm1\n"
    "  Left = 8\n"
    "  Top = -300\n"
    "  Width = 100000\n"
    "  Big = 9000000000\n"
    "  Ratio = 1.5\n"
    "  Scale = 0.25s\n"
    "  Price = 123456c\n"
    "  When = 45000.5d\n"
    "  Caption = 'It'#39's'#13#10'ok'\n"
    "  Hint = ''\n"
    "  Wide = #1058#1077\n"
    "  Utf = 'caf'#233\n"
    "  Flag = True\n"
    "  Off = False\n"
    "  Empty = nil\n"
    "  Nothing = Null\n"
    "  Align = alClient\n"
    "  Ref = Form2.Button1\n"
    "  Style = [fsBold, fsItalic]\n"
    "  NoStyle = []\n"
    "  Data = {\n"
    "    0001FEFF}\n"
    "  Pair = (\n"
    "    1\n"
    "    'two'\n"
    "    (\n"
    "      3))\n"
    "  Items = <\n"
    "    item\n"
    "      Width = 5\n"
    "    end\n"
    "    item [7]\n"
    "      Caption = 'x'\n"
    "    end>\n"
    "  NoItems = <>\n"
    "  Long = \n"
    "    '" + kLongRun + "' +\n"
    "    '" + kLongRun + "' +\n"
    "    '" + kLongRun + "' +\n"
    "    '" + kLongRun + "' +\n"
    "    '" + kLongRun + "'\n"
    "  object Button1: TButton [2]\n"
    "    Width = 1\n"
    "  end\n"
    "  inherited Panel1: TPanel\n"
    "  end\n"
    "  inline Frame1: TFrame\n"
    "  end\n"
    "end\n");

// The same form, written by hand from the binary format.
const std::string kEveryValueBinary =
    B("TPF0" "\x06TForm1" "\x05" "Form1"
      "\x04Left" "\x02\x08"
      "\x03Top" "\x03\xD4\xFE"
      "\x05Width" "\x04\xA0\x86\x01\x00"
      "\x03" "Big" "\x13\x00\x1A\x71\x18\x02\x00\x00\x00"
      "\x05Ratio" "\x05\x00\x00\x00\x00\x00\x00\x00\xC0\xFF\x3F"
      "\x05Scale" "\x0F\x00\x00\x80\x3E"
      "\x05Price" "\x10\x40\xE2\x01\x00\x00\x00\x00\x00"
      "\x04When" "\x11\x00\x00\x00\x00\x10\xF9\xE5\x40"
      "\x07" "Caption" "\x06\x08It's\r\nok"
      "\x04Hint" "\x06\x00"
      "\x04Wide" "\x12\x02\x00\x00\x00\x22\x04\x35\x04"
      "\x03Utf" "\x14\x05\x00\x00\x00" "caf\xC3\xA9"
      "\x04" "Flag" "\x09"
      "\x03Off" "\x08"
      "\x05" "Empty" "\x0D"
      "\x07Nothing" "\x00"
      "\x05" "Align" "\x07\x08" "alClient"
      "\x03Ref" "\x07\x0D" "Form2.Button1"
      "\x05Style" "\x0B\x06" "fsBold" "\x08" "fsItalic" "\x00"
      "\x07NoStyle" "\x0B\x00"
      "\x04" "Data" "\x0A\x04\x00\x00\x00\x00\x01\xFE\xFF"
      "\x04Pair" "\x01" "\x02\x01" "\x06\x03two" "\x01\x02\x03\x00" "\x00"
      "\x05Items" "\x0E"
        "\x01" "\x05Width\x02\x05" "\x00"
        "\x02\x07" "\x01" "\x07" "Caption" "\x06\x01x" "\x00"
      "\x00"
      "\x07NoItems" "\x0E\x00"
      "\x04Long" "\x0C\x40\x01\x00\x00") +
    std::string(320, 'a') +
    B("\x00"  // end of Form1's properties
      "\xF2\x02\x02" "\x07TButton" "\x07" "Button1" "\x05Width\x02\x01" "\x00" "\x00"
      "\xF1" "\x06TPanel" "\x06Panel1" "\x00\x00"
      "\xF4" "\x06TFrame" "\x06" "Frame1" "\x00\x00"
      "\x00");  // end of Form1's children

TEST(ObjectText, TextToBinaryMatchesTheHandWrittenImageAndConvertsBackToTheSameText) {
  EXPECT_EQ(ToBinary(kEveryValueText), kEveryValueBinary);
  EXPECT_EQ(ToText(kEveryValueBinary), kEveryValueText);
}

TEST(ObjectText, ReadsLooseLayoutUtf8AndAByteOrderMark) {
  const std::string text =
      "\xEF\xBB\xBF"
      "object   TTestControl\n"
      "  Caption = 'caf\xC3\xA9' + #$4E2D\n"
      "  Font.Style = [ tsBold ,tsItalic ]\n"
      "  Ratio = 2.5E3\n"
      "  Items = < item Width = 1 end >\n"
      "end";
  TTestControl c(nullptr);
  const std::string binary = ToBinary(text);
  TResourceStream in(binary.data(), static_cast<int64_t>(binary.size()));
  TReader(in).ReadRootComponent(c);
  EXPECT_EQ(c.Name(), u"");
  EXPECT_EQ(c.caption_, u"caf\u00E9\u4E2D");
  EXPECT_EQ(c.Font()->Style, (TTestStyles{tsBold, tsItalic}));
  EXPECT_EQ(c.Ratio, 2500.0);
  ASSERT_EQ(c.Items()->Count(), 1);
  EXPECT_EQ(ToText(binary), Crlf("object TTestControl\n"
                                 "  Caption = 'caf'#233#20013\n"
                                 "  Font.Style = [tsBold, tsItalic]\n"
                                 "  Ratio = 2500\n"
                                 "  Items = <\n"
                                 "    item\n"
                                 "      Width = 1\n"
                                 "    end>\n"
                                 "end\n"));
}

TEST(ObjectText, DoublesAndSinglesGetTheirShortestText) {
  const std::string binary = B("TPF0\x01T\x00" "\x01" "D\x15\x00\x00\x00\x00\x00\x00\x04\x40" "\x01S\x0F\xCD\xCC\x8C\x3F"
                               "\x00\x00");
  EXPECT_EQ(ToText(binary), Crlf("object T\n  D = 2.5\n  S = 1.1s\nend\n"));
}

TEST(ObjectText, SyntaxErrorsRaiseParserErrorsWithTheLine) {
  struct Case {
    const char* text;
    const char16_t* message;
  };
  const Case cases[] = {
      {"thing Form1: TForm1\nend", u"object expected on line 1"},
      {"object Form1: TForm1\n  Width 5\nend", u"'=' expected on line 2"},
      {"object Form1: TForm1\n  Width = )\nend", u"Invalid property value on line 2"},
      {"object F: T\n  S = 'abc\nend", u"Invalid string constant on line 2"},
      {"object F: T\n  S = 'a' + 5\nend", u"String expected on line 2"},
      {"object F: T\n  D = {0G}\nend", u"Invalid binary value on line 2"},
      {"object F: T\n  D = {012}\nend", u"Invalid binary value on line 2"},
      {"object F: T\n  S = [a, 1]\nend", u"Identifier expected on line 2"},
      {"object F: T\n  C = <\n  thing\n  >\nend", u"item expected on line 3"},
      {"object F: T\n  L = (1 2", u"')' expected on line 2"},
      {"object F: T\n  N = 99999999999999999999\nend", u"Number expected on line 2"},
      {"object F: T\n", u"end expected on line 2"},
      {"", u"object expected on line 1"},
  };
  for (const Case& c : cases) {
    try {
      ToBinary(c.text);
      ADD_FAILURE() << c.text;
    } catch (const EParserError& e) {
      EXPECT_EQ(e.Message(), c.message) << c.text;
    }
  }
}

TEST(ObjectText, DamagedBinaryRaisesReadErrors) {
  for (const std::string& image : {B("TPF1"), B("TPF0\x01T\x00\x01" "D\x05\x00\x00"), B("TPF0\x01T\x00\x01X\x63\x00\x00"),
                                   B("TPF0\x01T\x00\x01X\x01\x27\x00\x00\x00"),  // unknown type in a list
                                   B("TPF0\x01T\x00\x01X\x0A\xFF\xFF\xFF\x7F"),
                                   B("TPF0\x01T\x00\x01X\x05\x00\x00\x00\x00\x00\x00\x00\x80\xFF\x7F\x00\x00")}) {
    EXPECT_THROW(ToText(image), EReadError);
  }
}

TEST(Parser, TokensValuesAndSuffixes) {
  TParser p(u"Name_1 -12 $FF 1.5e3 2c 'a''b'#65#$263A 'x' + ;");
  EXPECT_EQ(p.Token(), toSymbol);
  EXPECT_EQ(p.TokenString(), u"Name_1");
  EXPECT_TRUE(p.TokenSymbolIs(u"name_1"));
  EXPECT_EQ(p.NextToken(), toInteger);
  EXPECT_EQ(p.TokenInt(), -12);
  EXPECT_EQ(p.NextToken(), toInteger);
  EXPECT_EQ(p.TokenInt(), 255);
  EXPECT_EQ(p.NextToken(), toFloat);
  EXPECT_EQ(p.TokenFloat(), 1500.0);
  EXPECT_EQ(p.FloatType(), 0);
  EXPECT_EQ(p.NextToken(), toFloat);
  EXPECT_EQ(p.FloatType(), u'c');
  EXPECT_EQ(p.TokenFloat(), 2.0);
  EXPECT_EQ(p.NextToken(), toWString);
  EXPECT_EQ(p.TokenWideString(), u"a'bA\u263A");
  EXPECT_EQ(p.NextToken(), toString);
  EXPECT_EQ(p.NextToken(), u'+');
  EXPECT_EQ(p.NextToken(), u';');
  EXPECT_EQ(p.NextToken(), toEOF);
  EXPECT_EQ(p.NextToken(), toEOF);
  try {
    p.CheckToken(toSymbol);
    FAIL();
  } catch (const EParserError& e) {
    EXPECT_EQ(e.Message(), u"Identifier expected on line 1");
  }
}

}  // namespace
