#include "rtl/datetime.h"

#include <gtest/gtest.h>

#include <cmath>

#include "rtl/exceptions.h"

namespace {

TEST(DateTime, DayNumbersAndTimeFractions) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(1899, 12, 29), -1.0);
  EXPECT_EQ(EncodeDate(2000, 2, 29), 36585.0);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
  EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
  EXPECT_EQ(ComposeDateTime(EncodeDate(1899, 12, 29), 0.25), -1.25);

  const TDateTimeParts p = DecodeDateTime(-1.25);  // before day 0 the time still runs forward
  EXPECT_EQ(p.Year, 1899);
  EXPECT_EQ(p.Month, 12);
  EXPECT_EQ(p.Day, 29);
  EXPECT_EQ(p.Hour, 6);
  EXPECT_EQ(DayOfWeek(EncodeDate(2009, 3, 7)), 7);  // a Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 31)), 1);  // a Sunday

  struct Bad {
    int y, m, d;
  };
  for (const Bad& b : {Bad{2001, 2, 29}, Bad{1900, 2, 29}, Bad{0, 1, 1}, Bad{10000, 1, 1},
                       Bad{2000, 13, 1}, Bad{2000, 4, 31}, Bad{2000, 1, 0}}) {
    TDateTime v = 7;
    EXPECT_FALSE(TryEncodeDate(b.y, b.m, b.d, v)) << b.y << "-" << b.m << "-" << b.d;
    EXPECT_EQ(v, 7);
  }
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
  EXPECT_THROW(DecodeDateTime(NAN), EConvertError);
  EXPECT_THROW(DecodeDateTime(3e6), EConvertError);
}

TEST(DateTime, EveryMillisecondOfADayRoundTrips) {
  const TDateTime day = EncodeDate(2009, 3, 7);
  for (int32_t ms = 0; ms < MSecsPerDay; ms += 997) {
    const TDateTime t = ComposeDateTime(day, EncodeTime(ms / 3600000, ms / 60000 % 60,
                                                        ms / 1000 % 60, ms % 1000));
    int32_t h, n, s, z;
    DecodeTime(t, h, n, s, z);
    ASSERT_EQ(((h * 60 + n) * 60 + s) * 1000 + z, ms);
  }
  // Just below midnight rounds up into the next day.
  int32_t y, m, d;
  DecodeDate(day + 0.9999999999, y, m, d);
  EXPECT_EQ(d, 8);
}

// The settings an INI file uses for its fixed date-time text.
TFormatSettings IniSettings() {
  TFormatSettings s;
  s.DateSeparator = u'/';
  s.TimeSeparator = u':';
  s.ShortDateFormat = s.LongDateFormat = u"mm/dd/yyyy";
  s.ShortTimeFormat = s.LongTimeFormat = u"hh:nn:ss:zzz";
  s.DecimalSeparator = u':';
  return s;
}

TEST(DateTime, FormatsWithExplicitSettings) {
  const TDateTime t = ComposeDateTime(EncodeDate(2009, 3, 7), EncodeTime(14, 5, 9, 42));
  const TFormatSettings ini = IniSettings();
  EXPECT_EQ(FormatDateTime(u"mm/dd/yyyy hh:nn:ss:zzz", t, ini), u"03/07/2009 14:05:09:042");

  TFormatSettings german;
  german.DateSeparator = u'.';
  german.TimeSeparator = u'-';
  german.ShortDateFormat = u"dd/mm/yy";
  german.LongTimeFormat = u"hh:nn";
  struct Case {
    const char16_t* format;
    const char16_t* text;
  };
  const Case cases[] = {
      {u"d/m/yy", u"7.3.09"},
      {u"ddd dddd mmm mmmm", u"Sat Saturday Mar March"},
      {u"c", u"07.03.09 14-05"},
      {u"ddddd", u"07.03.09"},
      {u"h:m:s.z", u"14-5-9.42"},  // m right after h is the minute
      {u"hh:mm", u"14-05"},
      {u"h AM/PM a/p ampm", u"2 PM p PM"},
      {u"yyyy'mm'\"dd\"", u"2009mmdd"},
      {u"tt", u"14-05"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatDateTime(c.format, t, german), c.text) << StringToUtf8(c.format);
  }
  EXPECT_EQ(FormatDateTime(u"c", EncodeDate(2009, 3, 7), german), u"07.03.09");  // midnight: date only
  EXPECT_EQ(FormatDateTime(u"h am/pm", EncodeTime(0, 30, 0, 0), german), u"12 am");
  // A format that names itself ends instead of looping.
  TFormatSettings loop;
  loop.ShortDateFormat = u"c";
  loop.LongTimeFormat = u"t";
  loop.ShortTimeFormat = u"tt";
  EXPECT_NO_THROW(FormatDateTime(u"c", t, loop));
}

TEST(DateTime, ParsesWithExplicitSettingsAndRoundTrips) {
  const TFormatSettings ini = IniSettings();
  const TDateTime t = ComposeDateTime(EncodeDate(2009, 3, 7), EncodeTime(14, 5, 9, 42));
  EXPECT_EQ(StrToDateTime(u"03/07/2009 14:05:09:042", ini), t);
  EXPECT_EQ(StrToDateTime(FormatDateTime(u"mm/dd/yyyy hh:nn:ss:zzz", t, ini), ini), t);
  EXPECT_EQ(StrToDateTime(u" 3/7/2009 ", ini), EncodeDate(2009, 3, 7));
  EXPECT_EQ(StrToDateTime(u"14:05", ini), EncodeTime(14, 5, 0, 0));
  EXPECT_EQ(StrToTime(u"2:05 PM", ini), EncodeTime(14, 5, 0, 0));
  EXPECT_EQ(StrToTime(u"12:05 am", ini), EncodeTime(0, 5, 0, 0));

  TFormatSettings dmy;
  dmy.DateSeparator = u'.';
  dmy.ShortDateFormat = u"dd.mm.yyyy";
  EXPECT_EQ(StrToDate(u"07.03.2009", dmy), EncodeDate(2009, 3, 7));
  TFormatSettings ymd;
  ymd.DateSeparator = u'-';
  ymd.ShortDateFormat = u"yyyy-mm-dd";
  EXPECT_EQ(StrToDate(u"2009-03-07", ymd), EncodeDate(2009, 3, 7));

  const char16_t* bad[] = {u"yesterday", u"", u"02/30/2009", u"03/07/2009 25:00",
                           u"03/07/2009 x", u"13:00 PM", u"03/07/", u"14:", u"1/2/3/4"};
  for (const char16_t* text : bad) {
    TDateTime v = 5;
    EXPECT_FALSE(TryStrToDateTime(text, v, ini)) << StringToUtf8(text);
    EXPECT_EQ(v, 5);
  }
  try {
    StrToDateTime(u"yesterday", ini);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"'yesterday' is not a valid date and time");
  }
}

TEST(DateTime, TwoDigitYearsFollowTheWindow) {
  int32_t this_year, m, d;
  DecodeDate(Date(), this_year, m, d);
  TFormatSettings s;
  s.ShortDateFormat = u"m/d/yy";
  s.TwoDigitYearCenturyWindow = 50;
  int32_t y;
  DecodeDate(StrToDate(u"1/1/" + String(1, char16_t(u'0' + this_year / 10 % 10)) +
                           String(1, char16_t(u'0' + this_year % 10)),
                       s),
             y, m, d);
  EXPECT_EQ(y, this_year);
  // 51 years back would leave the window: the year moves to the next century.
  const int32_t old = (this_year - 51) % 100;
  const String old_text = String(1, char16_t(u'0' + old / 10)) + String(1, char16_t(u'0' + old % 10));
  DecodeDate(StrToDate(u"1/1/" + old_text, s), y, m, d);
  EXPECT_EQ(y, this_year - 51 + 100);
  DecodeDate(StrToDate(u"1/1/0099", s), y, m, d);  // four digits are taken as written
  EXPECT_EQ(y, 99);
}

}  // namespace
