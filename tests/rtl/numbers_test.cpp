#include "rtl/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "rtl/exceptions.h"

namespace {

TEST(IntegerText, Formats) {
  EXPECT_EQ(IntToStr(int32_t(-2147483647 - 1)), u"-2147483648");
  EXPECT_EQ(IntToStr(std::numeric_limits<int64_t>::max()), u"9223372036854775807");
  EXPECT_EQ(UIntToStr(uint32_t(4294967295u)), u"4294967295");
  EXPECT_EQ(IntToHex(int32_t(0x80FF), 6), u"0080FF");
  EXPECT_EQ(IntToHex(int32_t(0x1234567), 2), u"1234567");  // minimum, not maximum
  EXPECT_EQ(IntToHex(int32_t(-1), 4), u"FFFFFFFF");
  EXPECT_EQ(IntToHex(int64_t(-2), 1), u"FFFFFFFFFFFFFFFE");
  EXPECT_EQ(IntToHex(int32_t(0), 0), u"0");
  EXPECT_EQ(IntToStr(static_cast<long long>(-5)), u"-5");
  EXPECT_EQ(IntToStr(static_cast<unsigned long>(5)), u"5");
  EXPECT_EQ(IntToHex(static_cast<short>(-1), 1), u"FFFFFFFF");
  EXPECT_EQ(IntToHex(static_cast<long long>(-1), 1), u"FFFFFFFFFFFFFFFF");
  EXPECT_EQ(IntToHex(size_t(255), 4), u"00FF");
}

TEST(IntegerText, ParsesTheFrameworkForms) {
  struct Case {
    const char16_t* text;
    int32_t value;
  };
  const Case good[] = {
      {u"0", 0},           {u"-12", -12},         {u"+7", 7},
      {u"  42", 42},       {u"$1F", 31},          {u"0x1f", 31},
      {u"0X1F", 31},       {u"x1F", 31},          {u"-$10", -16},
      {u"$FF8000", 0xFF8000}, {u"$FFFFFFFF", -1}, {u"2147483647", 2147483647},
      {u"-2147483648", -2147483647 - 1},          {u"007", 7},
  };
  for (const Case& c : good) {
    int32_t v = 12345;
    EXPECT_TRUE(TryStrToInt(c.text, v)) << StringToUtf8(c.text);
    EXPECT_EQ(v, c.value) << StringToUtf8(c.text);
  }
  const char16_t* bad[] = {u"",       u" ",          u"-",          u"$",     u"0x",
                           u"12 ",    u"1.5",        u"2147483648", u"-2147483649",
                           u"$100000000", u"0x1G",   u"\uFF11",     u"1e3",   u"--1"};
  for (const char16_t* text : bad) {
    int32_t v = 12345;
    EXPECT_FALSE(TryStrToInt(text, v)) << StringToUtf8(text);
    EXPECT_EQ(v, 12345) << "untouched on failure";
  }
  EXPECT_EQ(StrToIntDef(u"yes", -1), -1);
  EXPECT_EQ(StrToInt64(u"$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64(u"-9223372036854775808"), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(StrToInt64Def(u"9223372036854775808", 3), 3);
  try {
    StrToInt(u"abc");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"'abc' is not a valid integer value");
  }
}

TEST(FloatText, ShortestRoundTripWithPointWhateverTheSettings) {
  TFormatSettings comma;
  comma.DecimalSeparator = u',';
  struct Case {
    double value;
    const char16_t* text;
  };
  const Case cases[] = {
      {0.0, u"0"},          {-0.0, u"0"},           {1.5, u"1.5"},
      {0.1, u"0.1"},        {-2.25, u"-2.25"},      {100, u"100"},
      {1e-5, u"0.00001"},   {1.5e-6, u"1.5E-6"},    {123456789012345.0, u"123456789012345"},
      {1e15, u"1E15"},      {1.7976931348623157e308, u"1.7976931348623157E308"},
      {0.30000000000000004, u"0.30000000000000004"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FloatToStr(c.value, TFormatSettings::Invariant()), c.text);
  }
  EXPECT_EQ(FloatToStr(1.5, comma), u"1,5");
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN()), u"NAN");
  EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity()), u"-INF");

  std::mt19937_64 random(7);
  for (int i = 0; i < 2000; ++i) {
    const uint64_t bits = random();
    double v;
    static_assert(sizeof v == sizeof bits);
    std::memcpy(&v, &bits, sizeof v);
    if (!std::isfinite(v)) continue;
    double back = 0;
    ASSERT_TRUE(TryStrToFloat(FloatToStr(v, comma), back, comma));
    EXPECT_EQ(back, v) << StringToUtf8(FloatToStr(v, comma));
  }
}

TEST(FloatText, FrameworkFormats) {
  const TFormatSettings& inv = TFormatSettings::Invariant();
  using F = TFloatFormat;
  struct Case {
    double value;
    F format;
    int precision, digits;
    const char16_t* text;
  };
  const Case cases[] = {
      // The component text form writes floats this way.
      {1.5, F::ffFixed, 16, 18, u"1.500000000000000000"},
      {0.1, F::ffFixed, 16, 18, u"0.100000000000000000"},
      {-3.0, F::ffFixed, 16, 18, u"-3.000000000000000000"},
      {1.0 / 3, F::ffFixed, 16, 18, u"0.333333333333333300"},
      {1e20, F::ffFixed, 16, 18, u"1.000000000000000E+20"},
      {1.23456, F::ffFixed, 15, 2, u"1.23"},
      {2.5, F::ffFixed, 15, 0, u"2"},  // exact tie goes to even
      {-0.001, F::ffFixed, 15, 2, u"0.00"},
      {9.996, F::ffFixed, 15, 2, u"10.00"},
      {1234567.891, F::ffNumber, 15, 2, u"1,234,567.89"},
      {-123.0, F::ffNumber, 15, 0, u"-123"},
      {123.456, F::ffExponent, 4, 2, u"1.235E+02"},
      {0.000123, F::ffExponent, 3, 0, u"1.23E-4"},
      {123.456, F::ffGeneral, 4, 0, u"123.5"},
      {123456.0, F::ffGeneral, 4, 0, u"1.235E5"},
      {0.5, F::ffGeneral, 15, 0, u"0.5"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FloatToStrF(c.value, c.format, c.precision, c.digits, inv), c.text)
        << c.value << " " << c.precision << " " << c.digits;
  }
}

TEST(FloatText, ParsesWithTheGivenSeparator) {
  TFormatSettings colon;
  colon.DecimalSeparator = u':';
  EXPECT_EQ(StrToFloat(u" -1.25e2 ", TFormatSettings::Invariant()), -125.0);
  EXPECT_EQ(StrToFloat(u".5", TFormatSettings::Invariant()), 0.5);
  EXPECT_EQ(StrToFloat(u"7.", TFormatSettings::Invariant()), 7.0);
  EXPECT_EQ(StrToFloat(u"9:042", colon), 9.042);
  const char16_t* bad[] = {u"", u".", u"1.5.2", u"1,5", u"1e", u"e5", u"1e999", u"INF", u"0x10", u"1 2"};
  for (const char16_t* text : bad) {
    double v = 3;
    EXPECT_FALSE(TryStrToFloat(text, v, TFormatSettings::Invariant())) << StringToUtf8(text);
    EXPECT_EQ(v, 3);
  }
  EXPECT_EQ(StrToFloatDef(u"9:042", 1.0, TFormatSettings::Invariant()), 1.0);
  EXPECT_THROW(StrToFloat(u"yesterday", colon), EConvertError);
}

}  // namespace
