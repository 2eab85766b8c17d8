#include "rtl/inifiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "rtl/streams.h"

namespace {

String Joined(const TStrings& list) {
  String out;
  for (int32_t i = 0; i < list.Count(); ++i) out += (i ? u"|" : u"") + list.Get(i);
  return out;
}

void Load(TMemIniFile& ini, StringView text) {
  TStringList lines;
  lines.SetText(text);
  ini.SetStrings(lines);
}

String Saved(const TMemIniFile& ini) {
  TStringList lines;
  ini.GetStrings(lines);
  return Joined(lines);
}

TEST(MemIniFile, ParsesAndWritesTheTextForm) {
  TMemIniFile ini;
  Load(ini, u"orphan=dropped\r\n"
            u"  [ Main ]  \r\n"
            u"  Skin = blue sky \r\n"
            u"; a comment\r\n"
            u"\r\n"
            u"bare line\r\n"
            u"\tempty=\r\n"
            u"[Colors]\r\n"
            u"a=b=c\r\n");
  EXPECT_EQ(Saved(ini), u"[Main]|Skin=blue sky|bare line|empty=||[Colors]|a=b=c|");
  EXPECT_EQ(ini.ReadString(u"main", u"SKIN", u"x"), u"blue sky");
  EXPECT_EQ(ini.ReadString(u"Main", u"empty", u"x"), u"");
  EXPECT_EQ(ini.ReadString(u"Main", u"bare line", u"x"), u"x");
  EXPECT_EQ(ini.ReadString(u"Colors", u"a", u""), u"b=c");
  EXPECT_EQ(ini.ReadString(u"Nowhere", u"a", u"dflt"), u"dflt");

  TStringList out;
  ini.ReadSections(out);
  EXPECT_EQ(Joined(out), u"Main|Colors");
  ini.ReadSection(u"MAIN", out);
  EXPECT_EQ(Joined(out), u"Skin|empty");
  ini.ReadSectionValues(u"Main", out);
  EXPECT_EQ(Joined(out), u"Skin=blue sky|bare line|empty=");
  ini.ReadSection(u"none", out);
  EXPECT_EQ(out.Count(), 0);
}

TEST(MemIniFile, WritesReplaceInPlaceAndAppendWhatIsNew) {
  TMemIniFile ini;
  Load(ini, u"[validate]\r\nskinname=old\r\nother=1\r\n[A]\r\nx=1");
  ini.WriteString(u"VALIDATE", u"SkinName", u"new");
  ini.WriteString(u"validate", u"skinname", u"newer");
  ini.WriteString(u"A", u"y", u"2");
  ini.WriteString(u"B", u"z", u"3");
  EXPECT_EQ(Saved(ini), u"[validate]|skinname=newer|other=1||[A]|x=1|y=2||[B]|z=3|");
  EXPECT_TRUE(ini.SectionExists(u"b"));
  EXPECT_TRUE(ini.ValueExists(u"A", u"Y"));
  EXPECT_FALSE(ini.ValueExists(u"A", u"w"));
  ini.DeleteKey(u"A", u"x");
  ini.DeleteKey(u"A", u"missing");
  ini.DeleteKey(u"missing", u"x");
  ini.EraseSection(u"validate");
  ini.EraseSection(u"missing");
  EXPECT_EQ(Saved(ini), u"[A]|y=2||[B]|z=3|");
  ini.DeleteKey(u"B", u"z");
  EXPECT_TRUE(ini.SectionExists(u"B")) << "an empty section still exists";
  ini.Clear();
  EXPECT_EQ(Saved(ini), u"");
}

TEST(MemIniFile, CaseSensitivityAppliesToSectionsAndKeys) {
  TMemIniFile ini;
  Load(ini, u"[Main]\r\nSkin=a");
  ini.SetCaseSensitive(true);
  EXPECT_EQ(ini.ReadString(u"main", u"Skin", u"-"), u"-");
  EXPECT_EQ(ini.ReadString(u"Main", u"skin", u"-"), u"-");
  EXPECT_EQ(ini.ReadString(u"Main", u"Skin", u"-"), u"a");
  ini.WriteString(u"Main", u"skin", u"b");
  EXPECT_EQ(Saved(ini), u"[Main]|Skin=a|skin=b|");
  ini.SetCaseSensitive(false);
  EXPECT_EQ(ini.ReadString(u"MAIN", u"SKIN", u"-"), u"a");
}

TEST(MemIniFile, TypedValues) {
  TMemIniFile ini;
  Load(ini, u"[N]\r\nhex=$1F\r\nc=0x1f\r\nneg=-12\r\nbad=12a\r\nt=1\r\nf=0\r\nword=yes\r\n"
            u"real=2.5\r\nwhen=yesterday");
  EXPECT_EQ(ini.ReadInteger(u"N", u"hex", 0), 31);
  EXPECT_EQ(ini.ReadInteger(u"N", u"c", 0), 31);
  EXPECT_EQ(ini.ReadInteger(u"N", u"neg", 0), -12);
  EXPECT_EQ(ini.ReadInteger(u"N", u"bad", 7), 7);
  EXPECT_EQ(ini.ReadInteger(u"N", u"missing", 8), 8);
  EXPECT_TRUE(ini.ReadBool(u"N", u"t", false));
  EXPECT_FALSE(ini.ReadBool(u"N", u"f", true));
  EXPECT_TRUE(ini.ReadBool(u"N", u"word", true)) << "not a number: the default";
  EXPECT_EQ(ini.ReadFloat(u"N", u"real", 0), 2.5);
  EXPECT_EQ(ini.ReadDateTime(u"N", u"when", 1.5), 1.5);
  ini.WriteBool(u"N", u"t", false);
  ini.WriteInteger(u"N", u"neg", -2147483647 - 1);
  ini.WriteFloat(u"N", u"real", 0.1);
  EXPECT_EQ(ini.ReadString(u"N", u"t", u""), u"0");
  EXPECT_EQ(ini.ReadInteger(u"N", u"neg", 0), -2147483647 - 1);
  EXPECT_EQ(ini.ReadFloat(u"N", u"real", 0), 0.1);

  const TDateTime when = ComposeDateTime(EncodeDate(2009, 3, 7), EncodeTime(14, 5, 9, 0));
  ini.WriteDateTime(u"D", u"at", when);
  EXPECT_EQ(ini.ReadDateTime(u"D", u"at", 0), when);
  ini.WriteDate(u"D", u"day", when);
  EXPECT_EQ(ini.ReadDate(u"D", u"day", 0), EncodeDate(2009, 3, 7));
  ini.WriteTime(u"D", u"time", when);
  EXPECT_EQ(ini.ReadTime(u"D", u"time", 0), EncodeTime(14, 5, 9, 0));
}

TEST(MemIniFile, BinaryValuesAsHex) {
  TMemIniFile ini;
  TMemoryStream source;
  const uint8_t bytes[] = {0x00, 0x7F, 0xAB, 0xFF};
  source.WriteBuffer(bytes, sizeof bytes);
  source.SetPosition(1);  // from the position on
  ini.WriteBinaryStream(u"B", u"data", source);
  EXPECT_EQ(ini.ReadString(u"B", u"data", u""), u"7FABFF");

  TMemoryStream dest;
  dest.WriteBuffer("xy", 2);
  EXPECT_EQ(ini.ReadBinaryStream(u"B", u"data", dest), 3);
  EXPECT_EQ(dest.Position(), 2) << "positioned at the bytes read";
  uint8_t back[3];
  dest.ReadBuffer(back, 3);
  EXPECT_EQ(back[0], 0x7F);
  EXPECT_EQ(back[2], 0xFF);

  ini.WriteString(u"B", u"odd", u"ABC");
  ini.WriteString(u"B", u"junk", u"zz");
  TMemoryStream none;
  EXPECT_EQ(ini.ReadBinaryStream(u"B", u"odd", none), 0);
  EXPECT_EQ(ini.ReadBinaryStream(u"B", u"junk", none), 0);
  EXPECT_EQ(ini.ReadBinaryStream(u"B", u"missing", none), 0);
  EXPECT_EQ(none.Size(), 0);
}

class IniFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = std::filesystem::temp_directory_path() /
            ("rtltext_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
             ".ini");
    std::filesystem::remove(path_);
  }
  void TearDown() override { std::filesystem::remove(path_); }

  void WriteBytes(const TBytes& bytes) {
    std::ofstream out(path_, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  TBytes ReadBytes() {
    std::ifstream in(path_, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  String name() const { return path_.u16string(); }

  std::filesystem::path path_;
};

TEST_F(IniFileOnDisk, KeepsTheEncodingOfTheFileItRead) {
  struct Case {
    const TEncoding* encoding;
    bool mark;
  };
  for (const Case& c : {Case{&TEncoding::Unicode(), true}, Case{&TEncoding::BigEndianUnicode(), true},
                        Case{&TEncoding::UTF8(), true}, Case{&TEncoding::ANSI(), false}}) {
    WriteBytes(EncodeText(u"[Main]\r\nSkin=caf\u00E9\r\n", *c.encoding, c.mark));
    {
      TMemIniFile ini(name());
      EXPECT_EQ(ini.ReadString(u"Main", u"Skin", u""), u"caf\u00E9")
          << StringToUtf8(c.encoding->EncodingName());
      ini.WriteString(u"Main", u"Skin", u"th\u00E9");
      ini.UpdateFile();
    }
    EXPECT_EQ(ReadBytes(), EncodeText(u"[Main]\r\nSkin=th\u00E9\r\n\r\n", *c.encoding, c.mark))
        << StringToUtf8(c.encoding->EncodingName());
  }
}

TEST_F(IniFileOnDisk, ExplicitEncodingMissingFilesAndUnsavedChanges) {
  {
    TMemIniFile ini(name(), &TEncoding::Unicode());
    ini.WriteString(u"S", u"k", u"v");
    ini.UpdateFile();
  }
  EXPECT_EQ(ReadBytes(), EncodeText(u"[S]\r\nk=v\r\n\r\n", TEncoding::Unicode(), true));
  {
    TMemIniFile ini(name());
    ini.WriteString(u"S", u"k", u"changed");
  }  // no UpdateFile: the file stays as it was
  EXPECT_EQ(ReadBytes(), EncodeText(u"[S]\r\nk=v\r\n\r\n", TEncoding::Unicode(), true));

  std::filesystem::remove(path_);
  TMemIniFile missing(name());
  EXPECT_FALSE(missing.SectionExists(u"S"));
  missing.WriteString(u"S", u"k", u"\u4E2D");  // not in the ANSI code page
  missing.UpdateFile();
  EXPECT_EQ(ReadBytes(), EncodeText(u"[S]\r\nk=\u4E2D\r\n\r\n", TEncoding::UTF8(), true))
      << "UTF-8 rather than losing the character";
  missing.Rename(name(), true);
  EXPECT_EQ(missing.ReadString(u"S", u"k", u""), u"\u4E2D");

  // A file read as ANSI moves to UTF-8 only when it must.
  WriteBytes(EncodeText(u"[S]\r\nk=caf\u00E9\r\n", TEncoding::ANSI(), false));
  TMemIniFile ansi(name());
  EXPECT_EQ(ansi.Encoding(), &TEncoding::ANSI());
  ansi.WriteString(u"S", u"k", u"\u4E2D");
  ansi.UpdateFile();
  EXPECT_EQ(ReadBytes(), EncodeText(u"[S]\r\nk=\u4E2D\r\n\r\n", TEncoding::UTF8(), true));
  // Asked for ANSI, it writes ANSI.
  ansi.SetEncoding(&TEncoding::ANSI());
  ansi.UpdateFile();
  EXPECT_EQ(ReadBytes(), (TBytes{'[', 'S', ']', '\r', '\n', 'k', '=', '?', '\r', '\n', '\r', '\n'}));
}

}  // namespace
