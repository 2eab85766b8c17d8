#include "rtl/ustring.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf8, RoundTripsEveryPlane) {
  // ASCII, Latin-1, BMP (CJK), a code point just below the surrogates, one
  // right after them, and astral code points including the last one.
  const String text = u"Skin-\u00E9\u00DF\u4E2D\uD7FF\uE000 \U0001F3A8\U0010FFFF";
  const std::string utf8 = StringToUtf8(text);
  EXPECT_EQ(utf8, "Skin-\xC3\xA9\xC3\x9F\xE4\xB8\xAD\xED\x9F\xBF\xEE\x80\x80 "
                  "\xF0\x9F\x8E\xA8\xF4\x8F\xBF\xBF");
  EXPECT_EQ(Utf8ToString(utf8), text);
}

TEST(Utf8, IllFormedInputBecomesReplacementCharacters) {
  struct Case {
    const char* name;
    std::string_view utf8;
    String expected;
  };
  const Case cases[] = {
      {"stray trail byte", "a\x80z", u"a\uFFFDz"},
      {"invalid lead bytes", "\xC0\xC1\xF5\xFF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"overlong two-byte slash", "\xC0\xAF", u"\uFFFD\uFFFD"},
      {"overlong three-byte", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"truncated at end", "ok\xE4\xB8", u"ok\uFFFD"},
      {"truncated before ASCII", "\xF0\x9F\x8E!", u"\uFFFD!"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8ToString(c.utf8), c.expected) << c.name;
  }
}

TEST(Utf8, UnpairedSurrogatesEncodeAsReplacement) {
  const String lone_high = u"x" + String(1, char16_t(0xD83C)) + u"y";
  const String lone_low = String(1, char16_t(0xDFA8));
  EXPECT_EQ(StringToUtf8(lone_high), "x\xEF\xBF\xBDy");
  EXPECT_EQ(StringToUtf8(lone_low), "\xEF\xBF\xBD");
}

}  // namespace
