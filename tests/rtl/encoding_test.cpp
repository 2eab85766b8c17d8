#include "rtl/encoding.h"

#include <gtest/gtest.h>

namespace {

TEST(Encoding, BytesOfEachEncoding) {
  const String text = u"A\u00E9\u20AC\U0001F3A8";
  EXPECT_EQ(TEncoding::UTF8().GetBytes(text),
            (TBytes{'A', 0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x8E, 0xA8}));
  EXPECT_EQ(TEncoding::Unicode().GetBytes(u"A\u20AC"), (TBytes{'A', 0, 0xAC, 0x20}));
  EXPECT_EQ(TEncoding::BigEndianUnicode().GetBytes(u"A\u20AC"), (TBytes{0, 'A', 0x20, 0xAC}));
  for (const TEncoding* e : {&TEncoding::UTF8(), &TEncoding::Unicode(), &TEncoding::BigEndianUnicode()}) {
    EXPECT_EQ(e->GetString(e->GetBytes(text)), text) << StringToUtf8(e->EncodingName());
  }
  // The ANSI code page: Latin-1 natively, the Windows code page on Windows;
  // both agree on U+00A0..U+00FF, and both write "?" for what they lack.
  EXPECT_EQ(TEncoding::ANSI().GetBytes(u"a\u00E9\u00FF\u4E2D\U0001F3A8"),
            (TBytes{'a', 0xE9, 0xFF, '?', '?'}));
  EXPECT_EQ(TEncoding::ANSI().GetString(TBytes{'a', 0xE9, 0xFF}), u"a\u00E9\u00FF");
  EXPECT_TRUE(TEncoding::ANSI().GetPreamble().empty());
}

TEST(Encoding, OddUtf16TailBecomesReplacement) {
  EXPECT_EQ(TEncoding::Unicode().GetString(TBytes{'A', 0, 'B'}), u"A\uFFFD");
  EXPECT_EQ(TEncoding::BigEndianUnicode().GetString(TBytes{0x4E}), u"\uFFFD");
}

TEST(Encoding, ByteOrderMarksDecide) {
  struct Case {
    TBytes bytes;
    const TEncoding* expected;
    size_t mark;
    String text;
  };
  const Case cases[] = {
      {{0xEF, 0xBB, 0xBF, 'h', 0xC3, 0xA9}, &TEncoding::UTF8(), 3, u"h\u00E9"},
      {{0xFF, 0xFE, 'h', 0, 0xE9, 0}, &TEncoding::Unicode(), 2, u"h\u00E9"},
      {{0xFE, 0xFF, 0, 'h', 0, 0xE9}, &TEncoding::BigEndianUnicode(), 2, u"h\u00E9"},
      {{'h', 0xE9}, &TEncoding::ANSI(), 0, u"h\u00E9"},
      {{0xEF, 0xBB}, &TEncoding::ANSI(), 0, u"\u00EF\u00BB"},  // half a mark is text
      {{}, &TEncoding::ANSI(), 0, u""},
  };
  for (const Case& c : cases) {
    const TEncoding* found = nullptr;
    EXPECT_EQ(TEncoding::GetBufferEncoding(c.bytes.data(), c.bytes.size(), found), c.mark);
    EXPECT_EQ(found, c.expected);
    const TEncoding* used = nullptr;
    EXPECT_EQ(DecodeText(c.bytes, used), c.text);
    EXPECT_EQ(used, c.expected);
  }
  // Without a mark the caller's fallback decides.
  const TEncoding* used = nullptr;
  EXPECT_EQ(DecodeText(TBytes{'h', 0xC3, 0xA9}, used, TEncoding::UTF8()), u"h\u00E9");
  EXPECT_EQ(used, &TEncoding::UTF8());
  // A given encoding skips only its own mark.
  const TEncoding* given = &TEncoding::UTF8();
  EXPECT_EQ(DecodeText(TBytes{0xFF, 0xFE, 'a'}, given), u"\uFFFD\uFFFDa");
  given = &TEncoding::Unicode();
  EXPECT_EQ(DecodeText(TBytes{0xFF, 0xFE, 'a', 0}, given), u"a");
}

TEST(Encoding, EncodeTextWithAndWithoutMark) {
  EXPECT_EQ(EncodeText(u"x", TEncoding::Unicode(), true), (TBytes{0xFF, 0xFE, 'x', 0}));
  EXPECT_EQ(EncodeText(u"x", TEncoding::UTF8(), true), (TBytes{0xEF, 0xBB, 0xBF, 'x'}));
  EXPECT_EQ(EncodeText(u"x", TEncoding::UTF8(), false), (TBytes{'x'}));
  EXPECT_EQ(EncodeText(u"x", TEncoding::ANSI(), true), (TBytes{'x'}));
}

}  // namespace
