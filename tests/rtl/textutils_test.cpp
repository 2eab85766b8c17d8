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

TEST(TextUtils, UnicodeCaseMapsTheLettersOfEveryScript) {
  struct Pair {
    const char* script;
    String small, capital;
  };
  const Pair pairs[] = {
      {"Latin-1", u"\u00E9\u00FF", u"\u00C9\u0178"},
      {"Latin Extended-A", u"\u0101\u013A", u"\u0100\u0139"},
      {"Latin Extended-B", u"\u0180\u01C6\u023F", u"\u0243\u01C4\u2C7E"},
      {"Greek", u"\u03B1\u03AC\u1FB3", u"\u0391\u0386\u1FBC"},
      {"Cyrillic", u"\u0444\u0451\uA641", u"\u0424\u0401\uA640"},
      {"Armenian", u"\u0561\u0586", u"\u0531\u0556"},
      {"Georgian", u"\u10D0\u2D00", u"\u1C90\u10A0"},
      {"Cherokee", u"\uAB70\u13F8", u"\u13A0\u13F0"},
      {"fullwidth", u"\uFF41\uFF5A", u"\uFF21\uFF3A"},
      {"Deseret, beyond the basic plane", u"\U00010428", u"\U00010400"},
  };
  for (const Pair& p : pairs) {
    SCOPED_TRACE(p.script);
    const String small = u"k" + p.small + u"1", capital = u"K" + p.capital + u"1";
    EXPECT_EQ(AnsiUpperCase(small), capital);
    EXPECT_EQ(AnsiLowerCase(capital), small);
    EXPECT_TRUE(AnsiSameText(small, capital));
    EXPECT_FALSE(SameText(p.small, p.capital));
  }
  // Characters without a counterpart of their own stay in both directions:
  // sharp s, final sigma, micro sign, dotless i, a titlecase digraph, the
  // Kelvin sign, a sign, a digit and a CJK ideograph.
  const String unpaired = u"\u00DF\u03C2\u00B5\u0131\u01C5\u212A\u00F7" u"7\u4E2D";
  EXPECT_EQ(AnsiUpperCase(unpaired), unpaired);
  EXPECT_EQ(AnsiLowerCase(unpaired), unpaired);
}

TEST(TextUtils, UnicodeCaseMapsWithinCasePairsOverTheWholeRange) {
  // Every character the mapping changes goes to a counterpart that maps back
  // to it, and the text keeps its length; a lone surrogate stays.
  String all;
  for (char32_t c = 1; c < 0x110000; ++c) {
    if (c < 0x10000) {
      all.push_back(char16_t(c));
    } else {
      all.push_back(char16_t(0xD800 + ((c - 0x10000) >> 10)));
      all.push_back(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
  }
  const String upper = AnsiUpperCase(all), lower = AnsiLowerCase(all);
  ASSERT_EQ(upper.size(), all.size());
  ASSERT_EQ(lower.size(), all.size());
  const String lower_of_upper = AnsiLowerCase(upper), upper_of_lower = AnsiUpperCase(lower);
  size_t changed = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    if (upper[i] != all[i]) {
      ++changed;
      ASSERT_EQ(lower_of_upper[i], all[i]) << "at code unit " << i;
    }
    if (lower[i] != all[i]) {
      ASSERT_EQ(upper_of_lower[i], all[i]) << "at code unit " << i;
    }
  }
  EXPECT_GT(changed, 1000u);
  const String lone = u"a" + String(1, char16_t(0xD801)) + u"b" + String(1, char16_t(0xDC28));
  EXPECT_EQ(AnsiUpperCase(lone), u"A" + String(1, char16_t(0xD801)) + u"B" + String(1, char16_t(0xDC28)));
}

TEST(TextUtils, UnicodeCompareIgnoresCaseBeyondShortTexts) {
  // Text beyond ASCII is compared piece by piece; a surrogate pair across a
  // piece's end still compares as one character.
  for (const size_t prefix : {size_t(0), size_t(62), size_t(63), size_t(64), size_t(200)}) {
    SCOPED_TRACE(prefix);
    const String small_prefix(prefix, u'\u0561'), capital_prefix(prefix, u'\u0531');  // Armenian
    const String small = u"ab" + small_prefix + u"\U00010428\u0562x";
    const String capital = u"AB" + capital_prefix + u"\U00010400\u0532X";
    EXPECT_EQ(AnsiCompareText(small, capital), 0);
    EXPECT_LT(AnsiCompareText(small, capital + u"!"), 0);
    EXPECT_GT(AnsiCompareText(small + u"y", capital + u"X"), 0);
    EXPECT_LT(AnsiCompareText(small_prefix + u"\u0561", capital_prefix + u"\u0532"), 0);
    EXPECT_GT(AnsiCompareText(u"b" + small_prefix, u"A" + capital_prefix), 0);
  }
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
