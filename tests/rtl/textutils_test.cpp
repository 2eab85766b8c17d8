#include "rtl/textutils.h"

#include <gtest/gtest.h>

namespace {

TEST(TextUtils, TrimRemovesBlanksAndControlCharactersOnly) {
  const String padded = u" \t\r\n\x01x y\u00A0\x1F ";
  EXPECT_EQ(Trim(padded), u"x y\u00A0");  // U+00A0 is above code 32: kept
  EXPECT_EQ(TrimLeft(padded), u"x y\u00A0\x1F ");
  EXPECT_EQ(TrimRight(padded), u" \t\r\n\x01x y\u00A0");
  EXPECT_EQ(Trim(u" \t "), u"");
  EXPECT_EQ(Trim(u""), u"");
}

TEST(TextUtils, AsciiCaseChangesOnlyBasicLetters) {
  EXPECT_EQ(UpperCase(u"abz\u00E9\u0444[`{"), u"ABZ\u00E9\u0444[`{");
  EXPECT_EQ(LowerCase(u"ABZ\u00C9\u0424@["), u"abz\u00C9\u0424@[");
}

TEST(TextUtils, UnicodeCaseMapsLatinGreekCyrillic) {
  EXPECT_EQ(AnsiUpperCase(u"\u00E9\u00FF\u0101\u013A\u03B1\u03C2\u03AC\u0444\u0451\u00F7"),
            u"\u00C9\u0178\u0100\u0139\u0391\u03A3\u0386\u0424\u0401\u00F7");
  EXPECT_EQ(AnsiLowerCase(u"\u00C9\u0178\u0100\u0139\u0391\u0386\u0424\u0401\u00D7"),
            u"\u00E9\u00FF\u0101\u013A\u03B1\u03AC\u0444\u0451\u00D7");
  EXPECT_TRUE(AnsiSameText(u"\u00C4rger", u"\u00E4RGER"));
  EXPECT_FALSE(SameText(u"\u00C4rger", u"\u00E4RGER"));
}

TEST(TextUtils, ComparesAreOrdinalWithAsciiFolding) {
  EXPECT_LT(CompareStr(u"B", u"a"), 0);  // 'B' (66) before 'a' (97)
  EXPECT_GT(CompareText(u"B", u"a"), 0);
  EXPECT_EQ(CompareText(u"Skin", u"sKIN"), 0);
  EXPECT_LT(CompareText(u"abc", u"abcd"), 0);
  EXPECT_GT(CompareStr(u"abcd", u"abc"), 0);
  // '_' (95) lies between 'Z' and 'a': folding to upper case puts it after letters.
  EXPECT_GT(CompareText(u"_", u"a"), 0);
  EXPECT_TRUE(SameText(u"Main.INI", u"main.ini"));
  EXPECT_FALSE(SameText(u"main.ini", u"main.in"));
  EXPECT_LT(CompareStr(String(1, char16_t(0xD83C)), u"\uE000"), 0);  // code units, not code points
}

TEST(TextUtils, PrefixesAndSuffixes) {
  EXPECT_TRUE(StartsText(u"SKIN_", u"skin_menu"));
  EXPECT_FALSE(StartsStr(u"SKIN_", u"skin_menu"));
  EXPECT_TRUE(EndsText(u".PNG", u"a.png"));
  EXPECT_FALSE(EndsStr(u".png", u"png"));
}

TEST(TextUtils, StringReplaceHonoursFlags) {
  EXPECT_EQ(StringReplace(u"a.rcc.rcc", u".rcc", u""), u"a.rcc");
  EXPECT_EQ(StringReplace(u"a.rcc.rcc", u".rcc", u"", TReplaceFlag::ReplaceAll), u"a");
  EXPECT_EQ(StringReplace(u"a.RCC.rcc", u".rcc", u"!", TReplaceFlag::ReplaceAll), u"a.RCC!");
  EXPECT_EQ(StringReplace(u"a.RCC.rcc", u".rcc", u"!",
                          TReplaceFlag::ReplaceAll | TReplaceFlag::IgnoreCase),
            u"a!!");
  EXPECT_EQ(StringReplace(u"aaa", u"aa", u"a", TReplaceFlag::ReplaceAll), u"aa");
  EXPECT_EQ(StringReplace(u"abc", u"", u"x", TReplaceFlag::ReplaceAll), u"abc");
}

TEST(TextUtils, QuotingRoundTrips) {
  EXPECT_EQ(QuotedStr(u"it's"), u"'it''s'");
  EXPECT_EQ(AnsiDequotedStr(u"'it''s' rest", u'\''), u"it's");
  EXPECT_EQ(AnsiDequotedStr(u"\"open", u'"'), u"open");
  EXPECT_EQ(AnsiDequotedStr(u"plain", u'"'), u"plain");
  EXPECT_EQ(AnsiDequotedStr(AnsiQuotedStr(u"\"\"", u'"'), u'"'), u"\"\"");
}

}  // namespace
