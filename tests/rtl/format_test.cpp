#include "rtl/format.h"

#include <gtest/gtest.h>

#include "rtl/exceptions.h"

namespace {

TEST(Format, Specifiers) {
  const String name = u"skin";
  EXPECT_EQ(Format(u"List index out of bounds (%d)", {-3}), u"List index out of bounds (-3)");
  EXPECT_EQ(Format(u"%s=%d%%", {name, 50}), u"skin=50%");
  EXPECT_EQ(Format(u"List does not allow duplicates ($0%x)", {0x1A2B}),
            u"List does not allow duplicates ($01A2B)");
  EXPECT_EQ(Format(u"%x %X %.6x", {int32_t(-1), 255, 0x80FF}), u"FFFFFFFF FF 0080FF");
  EXPECT_EQ(Format(u"%x", {int64_t(-1)}), u"FFFFFFFFFFFFFFFF");
  EXPECT_EQ(Format(u"%u %u", {int32_t(-1), uint64_t(18446744073709551615ull)}),
            u"4294967295 18446744073709551615");
  EXPECT_EQ(Format(u"[%5d][%-5d][%.3d][%5.3d]", {42, 42, -7, 7}), u"[   42][42   ][-007][  007]");
  EXPECT_EQ(Format(u"[%*d][%-*s]", {4, 1, 3, u"a"}), u"[   1][a  ]");
  EXPECT_EQ(Format(u"%1:s %0:s %s", {u"a", u"b"}), u"b a b");
  EXPECT_EQ(Format(u"%.2s|%s", {u"abc", char16_t(u'z')}), u"ab|z");
  EXPECT_EQ(Format(u"%f %.1f %e %g %n", {1.005, 0.25, 1234.5, 0.1, 1234567.0}),
            u"1.00 0.2 1.23450000000000E+003 0.1 1,234,567.00");
  EXPECT_EQ(Format(u"%s", {StringView(u"view")}), u"view");
  EXPECT_EQ(Format(u"no args", {}), u"no args");
}

TEST(Format, FloatsFollowTheSettings) {
  TFormatSettings comma;
  comma.DecimalSeparator = u',';
  comma.ThousandSeparator = u'.';
  EXPECT_EQ(Format(u"%.2f %n", {1.5, 1234.5}, comma), u"1,50 1.234,50");
}

TEST(Format, BadFormatsRaiseConvertError) {
  auto message_of = [](auto&& call) -> String {
    try {
      call();
    } catch (const EConvertError& e) {
      return e.Message();
    }
    return u"(no error)";
  };
  EXPECT_EQ(message_of([] { Format(u"%s %s", {u"x"}); }), u"No argument for format '%s %s'");
  EXPECT_EQ(message_of([] { Format(u"%5:d", {1}); }), u"No argument for format '%5:d'");
  EXPECT_EQ(message_of([] { Format(u"%d", {u"text"}); }),
            u"Format '%d' invalid or incompatible with argument");
  const char16_t* invalid = u"invalid or incompatible with argument";
  EXPECT_NE(message_of([] { Format(u"%q", {1}); }).find(invalid), String::npos);
  EXPECT_NE(message_of([] { Format(u"abc %", {1}); }).find(invalid), String::npos);
  EXPECT_NE(message_of([] { Format(u"%f", {1}); }).find(invalid), String::npos);  // not a float
  EXPECT_NE(message_of([] { Format(u"%s", {2.0}); }).find(invalid), String::npos);
  EXPECT_NE(message_of([] { Format(u"%*d", {u"w", 1}); }).find(invalid), String::npos);
}

}  // namespace
