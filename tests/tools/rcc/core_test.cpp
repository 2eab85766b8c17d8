// The portable core's own rules, on every platform (the Windows build runs
// these under Wine; the native build also checks them against the reference).

#include <gtest/gtest.h>

#include "resource_collection.h"
#include "resource_list.h"
#include "resource_locale.h"
#include "unicode.h"

namespace {

TEST(RccPaths, CleanPathKeepsDotDotThatCannotClimb) {
  const std::pair<const char*, const char*> cases[] = {
      {"", ""},           {"/", "/"},       {"//a//b/", "/a/b"}, {"/./a", "/a"},        {"/a/.", "/a"},
      {"/a/..", "/"},     {"/..", "/.."},   {"/a/../..", "/.."}, {"/../a", "/../a"},    {"a/../..", ".."},
      {"../a", "../a"},   {"./a", "a"},     {"a/./..", "."},     {"/...", "/..."},      {"/a/b/../../..", "/.."},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(rcc::CleanPath(in), out) << in;
}

TEST(RccPaths, ResourcePathJoinsRootPrefixAndAlias) {
  using Names = std::vector<std::string>;
  struct Case {
    const char* root;
    const char* prefix;
    const char* alias;
    Names names;
  };
  const Case cases[] = {
      {"/skin", "", "./images/a.png", {"skin", "images", "a.png"}},
      {"", "/", "a.txt", {"a.txt"}},
      {"/s", "pre", "fix/x", {"s", "pre", "fix", "x"}},
      {"/s", "/p/../..", "a", {"s", "p", "..", "..", "a"}},  // the prefix is taken as written
      {"/s", "", "../../a", {"s", "a"}},                     // a relative alias cannot climb
      {"/s", "", "/../a", {"s", "..", "a"}},
      {"/a/../b", "", "x", {"b", "x"}},
      {"/..", "", "x", {"..", "x"}},
      {"/s", "", "x/..", {"s", "."}},
      {"/s", "X//e", "", {"s", "X", "e", ""}},  // an empty alias names a file without a name
  };
  for (const Case& c : cases) EXPECT_EQ(rcc::ResourcePath(c.root, c.prefix, c.alias), c.names) << c.alias;
}

TEST(RccUnicode, RoundTripsNamesIncludingLoneSurrogates) {
  const std::u16string names[] = {u"plain", u"\u00E9t\u00E9", u"\u65E5\u672C", u"emoji \U0001F3A8",
                                  std::u16string(u"lone ") + char16_t(0xD83C) + u"!"};
  for (const std::u16string& name : names) EXPECT_EQ(rcc::Utf8ToUtf16(rcc::Utf16ToUtf8(name)), name);
  EXPECT_EQ(rcc::Utf8ToUtf16("a\x80z"), u"a\uFFFDz");
  EXPECT_EQ(rcc::Utf8ToUtf16("ok\xE4\xB8"), u"ok\uFFFD\uFFFD");
}

TEST(RccUnicode, CompareIgnoreCaseFoldsBeyondAscii) {
  EXPECT_EQ(rcc::CompareIgnoreCase(u"B.txt", u"b.txt"), 0);
  EXPECT_EQ(rcc::CompareIgnoreCase(u"\u00C9", u"\u00E9"), 0);
  EXPECT_EQ(rcc::CompareIgnoreCase(u"\u01C4", u"\u01C5"), 0);  // DZ caron, Dz caron
  EXPECT_LT(rcc::CompareIgnoreCase(u"_u", u"a"), 0);            // folding goes to lower case
  EXPECT_LT(rcc::CompareIgnoreCase(u"a", u"a-"), 0);
  EXPECT_GT(rcc::CompareIgnoreCase(u"\u00DF", u"ss"), 0);      // simple folding keeps sharp s
}

TEST(RccHashes, MatchTheReferenceOutput) {
  // Values read from packages the reference wrote.
  EXPECT_EQ(rcc::ResourceNameHash(u"skin"), 0x7a1feu);
  EXPECT_EQ(rcc::ResourceNameHash(u"empty.txt"), 0x07bc8374u);
  EXPECT_EQ(rcc::ResourceNameHash(u"ias.txt"), 0x0f865b34u);  // folds the top bits
  EXPECT_EQ(rcc::TableHash(u"sub"), 0x1be40u);
  EXPECT_EQ(rcc::TableHash(u"empty.txt"), 0xab4bc24fu);
}

TEST(RccLocale, MapsLangAttributes) {
  struct Case {
    const char* lang;
    bool ok;
    uint16_t language;
    uint16_t country;
  };
  const Case cases[] = {
      {"", true, 1, 0},          {"C", true, 1, 0},        {"de", true, 42, 0},     {"agq", true, 237, 37},
      {"fr_CA", true, 37, 38},   {"de-CH", true, 42, 206}, {"en_AE", true, 31, 223}, {"en_AA", true, 31, 225},
      {"xx_YY", true, 1, 0},     {"C_XX", true, 1, 0},     {"DE", false, 0, 0},     {"de_Latn_CH", false, 0, 0},
      {"en_419", false, 0, 0},
  };
  for (const Case& c : cases) {
    rcc::LocaleNumbers n;
    ASSERT_EQ(rcc::LookUpLocale(c.lang, n), c.ok) << c.lang;
    if (!c.ok) continue;
    EXPECT_EQ(n.language, c.language) << c.lang;
    EXPECT_EQ(n.country, c.country) << c.lang;
  }
}

}  // namespace
