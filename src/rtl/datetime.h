#pragma once
// Date-time values as the framework keeps them: a double whose integer part
// counts days since 1899-12-30 and whose fraction is the time of day. Days
// before that date are negative while the time still counts forward from
// midnight: -1.25 is 1899-12-29 06:00. Times are kept to the millisecond;
// decoding rounds to the nearest millisecond.
//
// Text conversions take explicit format settings (date and time separators,
// formats, names, decimal separator); the overloads without settings use the
// process-wide FormatSettings.

#include <cstdint>

#include "rtl/formatsettings.h"
#include "rtl/ustring.h"

using TDateTime = double;

inline constexpr int32_t MSecsPerDay = 86400000;

bool IsLeapYear(int32_t year);
int32_t DaysInAMonth(int32_t year, int32_t month);

// Years 1..9999. Encode* raise EConvertError "Invalid argument to date encode"
// / "Invalid argument to time encode".
bool TryEncodeDate(int32_t year, int32_t month, int32_t day, TDateTime& value);
bool TryEncodeTime(int32_t hour, int32_t minute, int32_t second, int32_t msec, TDateTime& value);
TDateTime EncodeDate(int32_t year, int32_t month, int32_t day);
TDateTime EncodeTime(int32_t hour, int32_t minute, int32_t second, int32_t msec);
// Joins a date (whole days) and a time of day (0 <= time < 1).
TDateTime ComposeDateTime(TDateTime date, TDateTime time);

struct TDateTimeParts {
  int32_t Year, Month, Day, Hour, Minute, Second, MSec;
  int32_t DayOfWeek;  // 1 = Sunday .. 7 = Saturday
};
// Values outside years 1..9999 raise EConvertError "Invalid date-time value".
TDateTimeParts DecodeDateTime(TDateTime value);
void DecodeDate(TDateTime value, int32_t& year, int32_t& month, int32_t& day);
void DecodeTime(TDateTime value, int32_t& hour, int32_t& minute, int32_t& second, int32_t& msec);
int32_t DayOfWeek(TDateTime value);

// The local date and time of the system clock.
TDateTime Now();
TDateTime Date();

// The framework's date-time format letters (case-insensitive):
//   c  short date, then long time unless the time is exactly midnight
//   d dd ddd dddd ddddd dddddd   day, zero-padded day, short / long day name,
//                                short / long date format
//   m mm mmm mmmm  month, zero-padded, short / long name; right after an
//                  hour, m and mm are minutes
//   yy yyyy  year in two or four digits
//   h hh n nn s ss z zzz  hour, minute, second, millisecond (zzz: 3 digits)
//   t tt  short / long time format
//   am/pm a/p ampm  12-hour clock and its marker (ampm: the settings' strings)
//   /  date separator   :  time separator
//   'x' "x"  literal text; any other character stands for itself
String FormatDateTime(StringView format, TDateTime value, const TFormatSettings& settings);
String FormatDateTime(StringView format, TDateTime value);
String DateTimeToStr(TDateTime value, const TFormatSettings& settings);  // "c"
String DateTimeToStr(TDateTime value);
String DateToStr(TDateTime value, const TFormatSettings& settings);  // "ddddd"
String TimeToStr(TDateTime value, const TFormatSettings& settings);  // "tt"

// Reading: a date is two or three numbers separated by the date separator, in
// the order of the short date format (a missing year is the current one; a
// year of one or two digits is placed by the two-digit-year window). A time
// is hour and minute, optionally seconds and, after the decimal separator,
// milliseconds, all separated by the time separator, optionally followed by
// an AM or PM marker. Blanks may surround the parts. StrToDateTime accepts a
// date, a date and a time, or a time alone. Failures raise EConvertError
// "'<text>' is not a valid date and time" (date / time for the others).
bool TryStrToDateTime(StringView s, TDateTime& value, const TFormatSettings& settings);
bool TryStrToDate(StringView s, TDateTime& value, const TFormatSettings& settings);
bool TryStrToTime(StringView s, TDateTime& value, const TFormatSettings& settings);
TDateTime StrToDateTime(StringView s, const TFormatSettings& settings);
TDateTime StrToDateTime(StringView s);
TDateTime StrToDate(StringView s, const TFormatSettings& settings);
TDateTime StrToTime(StringView s, const TFormatSettings& settings);
