#include "rtl/datetime.h"

#include <chrono>
#include <cmath>
#include <ctime>

#include "rtl/exceptions.h"
#include "rtl/numbers.h"
#include "rtl/textutils.h"

namespace {

// Days from 1970-01-01 to the civil date (proleptic Gregorian calendar).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int32_t& year, int32_t& month, int32_t& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = int32_t(doy - (153 * mp + 2) / 5 + 1);
  month = int32_t(mp < 10 ? mp + 3 : mp - 9);
  year = int32_t(yoe + era * 400 + (month <= 2));
}

const int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);  // the framework's day 0
// Day numbers of 0001-01-01 and 9999-12-31.
const int64_t kMinDay = DaysFromCivil(1, 1, 1) - kEpochOffset;
const int64_t kMaxDay = DaysFromCivil(9999, 12, 31) - kEpochOffset;

// Whole days and milliseconds of the day, the millisecond rounded.
struct DayAndTime {
  int64_t day;
  int32_t msec;
};

DayAndTime Split(TDateTime value) {
  if (!std::isfinite(value) || value < double(kMinDay) - 1 || value > double(kMaxDay) + 1) {
    throw EConvertError(u"Invalid date-time value");
  }
  int64_t day = int64_t(std::trunc(value));
  int64_t msec = std::llround(std::fabs(value - double(day)) * MSecsPerDay);
  if (msec >= MSecsPerDay) {  // rounded up to the next midnight
    msec -= MSecsPerDay;
    day += value < 0 ? -1 : 1;
  }
  if (day < kMinDay || day > kMaxDay) throw EConvertError(u"Invalid date-time value");
  return {day, int32_t(msec)};
}

String Padded(int32_t value, int32_t digits) {
  String text = IntToStr(value);
  if (int32_t(text.size()) < digits) text.insert(0, size_t(digits) - text.size(), u'0');
  return text;
}

char16_t Lower(char16_t c) { return LowCaseAscii(c); }

// Length of the 12-hour marker at `p` ("am/pm", "a/p", "ampm"), or 0.
size_t AmPmLength(StringView f, size_t p) {
  const StringView rest = f.substr(p);
  if (StartsText(u"am/pm", rest)) return 5;
  if (StartsText(u"ampm", rest)) return 4;
  if (StartsText(u"a/p", rest)) return 3;
  return 0;
}

bool HasAmPm(StringView f, size_t from) {
  for (size_t i = from; i < f.size(); ++i) {
    if (AmPmLength(f, i) != 0) return true;
  }
  return false;
}

class DateTimeFormatter {
 public:
  DateTimeFormatter(TDateTime value, const TFormatSettings& settings)
      : settings_(settings) {
    const DayAndTime dt = Split(value);
    CivilFromDays(dt.day + kEpochOffset, year_, month_, day_);
    hour_ = dt.msec / 3600000;
    minute_ = dt.msec / 60000 % 60;
    second_ = dt.msec / 1000 % 60;
    msec_ = dt.msec % 1000;
    day_of_week_ = int32_t(((dt.day + kEpochOffset) % 7 + 7 + 4) % 7);  // 1970-01-01 was a Thursday
    is_midnight_ = dt.msec == 0;
  }

  void Append(StringView f, String& out, int depth) {
    if (depth > 2) return;  // formats that name each other must not loop
    size_t i = 0;
    while (i < f.size()) {
      const char16_t c = f[i];
      const char16_t lc = Lower(c);
      const size_t run = RunLength(f, i);
      if (c == u'\'' || c == u'"') {
        const size_t close = f.find(c, i + 1);
        const size_t end = close == StringView::npos ? f.size() : close;
        out.append(f.substr(i + 1, end - i - 1));
        i = end == f.size() ? end : end + 1;
        continue;
      }
      if (const size_t marker = AmPmLength(f, i)) {
        AppendAmPm(f.substr(i, marker), out);
        i += marker;
        continue;
      }
      switch (lc) {
        case u'c':
          Append(settings_.ShortDateFormat, out, depth + 1);
          if (!is_midnight_) {
            out.push_back(u' ');
            Append(settings_.LongTimeFormat, out, depth + 1);
          }
          i += 1;
          break;
        case u'd':
          if (run >= 6) {
            Append(settings_.LongDateFormat, out, depth + 1);
          } else if (run == 5) {
            Append(settings_.ShortDateFormat, out, depth + 1);
          } else if (run == 4) {
            out += settings_.LongDayNames[size_t(day_of_week_)];
          } else if (run == 3) {
            out += settings_.ShortDayNames[size_t(day_of_week_)];
          } else {
            out += Padded(day_, int32_t(run));
          }
          i += run > 6 ? 6 : run;
          last_ = u'd';
          break;
        case u'm': {
          const size_t n = run > 4 ? 4 : run;
          if (last_ == u'h' && n <= 2) {
            out += Padded(minute_, int32_t(n));
          } else if (n == 4) {
            out += settings_.LongMonthNames[size_t(month_ - 1)];
          } else if (n == 3) {
            out += settings_.ShortMonthNames[size_t(month_ - 1)];
          } else {
            out += Padded(month_, int32_t(n));
          }
          i += n;
          last_ = u'm';
          break;
        }
        case u'y':
          out += run <= 2 ? Padded(year_ % 100, 2) : Padded(year_, 4);
          i += run;
          last_ = u'y';
          break;
        case u'h': {
          const size_t n = run > 2 ? 2 : run;
          int32_t hour = hour_;
          if (HasAmPm(f, i)) {
            hour %= 12;
            if (hour == 0) hour = 12;
          }
          out += Padded(hour, int32_t(n));
          i += n;
          last_ = u'h';
          break;
        }
        case u'n': {
          const size_t n = run > 2 ? 2 : run;
          out += Padded(minute_, int32_t(n));
          i += n;
          last_ = u'n';
          break;
        }
        case u's': {
          const size_t n = run > 2 ? 2 : run;
          out += Padded(second_, int32_t(n));
          i += n;
          last_ = u's';
          break;
        }
        case u'z': {
          const size_t n = run >= 3 ? 3 : 1;
          out += Padded(msec_, n == 3 ? 3 : 1);
          i += n;
          last_ = u'z';
          break;
        }
        case u't':
          Append(run >= 2 ? settings_.LongTimeFormat : settings_.ShortTimeFormat, out, depth + 1);
          i += run >= 2 ? 2 : 1;
          break;
        case u'/':
          out.push_back(settings_.DateSeparator);
          ++i;
          break;
        case u':':
          out.push_back(settings_.TimeSeparator);
          ++i;
          break;
        default:
          out.push_back(c);
          ++i;
          break;
      }
    }
  }

 private:
  // How many times the letter at i repeats (case-insensitively).
  static size_t RunLength(StringView f, size_t i) {
    size_t n = 1;
    while (i + n < f.size() && Lower(f[i + n]) == Lower(f[i])) ++n;
    return n;
  }

  void AppendAmPm(StringView marker, String& out) const {
    const bool pm = hour_ >= 12;
    if (marker.size() == 4) {  // ampm
      out += pm ? settings_.TimePMString : settings_.TimeAMString;
      return;
    }
    // "am/pm" or "a/p": the half that applies, in the case it is written in.
    const size_t slash = marker.find(u'/');
    out.append(pm ? marker.substr(slash + 1) : marker.substr(0, slash));
  }

  const TFormatSettings& settings_;
  int32_t year_ = 0, month_ = 0, day_ = 0, hour_ = 0, minute_ = 0, second_ = 0, msec_ = 0;
  int32_t day_of_week_ = 0;  // 0 = Sunday
  bool is_midnight_ = false;
  char16_t last_ = 0;
};

// Reads dates and times the way the framework does (see the header).
class DateTimeScanner {
 public:
  DateTimeScanner(StringView s, const TFormatSettings& settings) : s_(s), settings_(settings) {}

  size_t pos() const { return pos_; }
  void Reset() { pos_ = 0; }
  bool AtEnd() {
    SkipBlanks();
    return pos_ == s_.size();
  }

  bool Date(TDateTime& value) {
    int32_t n[3];
    int32_t digits[3];
    int count = 0;
    for (; count < 3; ++count) {
      if (count > 0 && !Separator(settings_.DateSeparator)) break;
      if (!Number(n[count], digits[count])) return false;
    }
    if (count < 2) return false;
    enum { MDY, DMY, YMD } order = MDY;
    for (char16_t c : settings_.ShortDateFormat) {
      const char16_t lc = Lower(c);
      if (lc == u'd') { order = DMY; break; }
      if (lc == u'm') { order = MDY; break; }
      if (lc == u'y') { order = YMD; break; }
    }
    int32_t y, m, d, year_digits;
    if (count == 2) {
      y = CurrentYear();
      year_digits = 4;
      if (order == DMY) {
        d = n[0], m = n[1];
      } else {
        m = n[0], d = n[1];
      }
    } else if (order == MDY) {
      m = n[0], d = n[1], y = n[2], year_digits = digits[2];
    } else if (order == DMY) {
      d = n[0], m = n[1], y = n[2], year_digits = digits[2];
    } else {
      y = n[0], m = n[1], d = n[2], year_digits = digits[0];
    }
    if (year_digits <= 2 && y < 100) y = PlaceTwoDigitYear(y);
    return TryEncodeDate(y, m, d, value);
  }

  bool Time(TDateTime& value) {
    int32_t hour, minute = 0, second = 0, msec = 0, digits;
    if (!Number(hour, digits)) return false;
    if (!Separator(settings_.TimeSeparator) || !Number(minute, digits)) return false;
    if (Separator(settings_.TimeSeparator)) {
      if (!Number(second, digits)) return false;
      if (Separator(settings_.DecimalSeparator) && !Number(msec, digits)) return false;
    }
    SkipBlanks();
    const int half = AmPm();
    if (half >= 0) {
      if (hour == 0 || hour > 12) return false;
      hour = hour % 12 + (half == 1 ? 12 : 0);
    }
    return TryEncodeTime(hour, minute, second, msec, value);
  }

 private:
  void SkipBlanks() {
    while (pos_ < s_.size() && s_[pos_] == u' ') ++pos_;
  }

  bool Separator(char16_t sep) {
    SkipBlanks();
    if (pos_ < s_.size() && s_[pos_] == sep) {
      ++pos_;
      return true;
    }
    return false;
  }

  bool Number(int32_t& value, int32_t& digits) {
    SkipBlanks();
    const size_t start = pos_;
    int64_t v = 0;
    while (pos_ < s_.size() && s_[pos_] >= u'0' && s_[pos_] <= u'9') {
      v = v * 10 + (s_[pos_++] - u'0');
      if (v > 99999) return false;
    }
    digits = int32_t(pos_ - start);
    value = int32_t(v);
    return digits > 0;
  }

  // 0 for AM, 1 for PM, -1 for no marker.
  int AmPm() {
    const StringView rest = s_.substr(pos_);
    const StringView candidates[][2] = {{settings_.TimeAMString, settings_.TimePMString},
                                        {u"AM", u"PM"}};
    for (const auto& pair : candidates) {
      for (int half = 0; half < 2; ++half) {
        if (!pair[half].empty() && StartsText(pair[half], rest)) {
          pos_ += pair[half].size();
          return half;
        }
      }
    }
    return -1;
  }

  static int32_t CurrentYear() {
    int32_t y, m, d;
    DecodeDate(::Date(), y, m, d);
    return y;
  }

  int32_t PlaceTwoDigitYear(int32_t y) const {
    const int32_t current = CurrentYear();
    const int32_t window = settings_.TwoDigitYearCenturyWindow;
    if (window <= 0) return current / 100 * 100 + y;
    const int32_t base = current - window;
    y += base / 100 * 100;
    if (y < base) y += 100;
    return y;
  }

  StringView s_;
  const TFormatSettings& settings_;
  size_t pos_ = 0;
};

[[noreturn]] void ThrowNot(StringView s, const char16_t* what) {
  throw EConvertError(u"'" + String(s) + u"' is not a valid " + what);
}

}  // namespace

bool IsLeapYear(int32_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int32_t DaysInAMonth(int32_t year, int32_t month) {
  static const int32_t days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool TryEncodeDate(int32_t year, int32_t month, int32_t day, TDateTime& value) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInAMonth(year, month)) {
    return false;
  }
  value = double(DaysFromCivil(year, month, day) - kEpochOffset);
  return true;
}

bool TryEncodeTime(int32_t hour, int32_t minute, int32_t second, int32_t msec, TDateTime& value) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      msec < 0 || msec > 999) {
    return false;
  }
  value = double(((hour * 60 + minute) * 60 + second) * 1000 + msec) / MSecsPerDay;
  return true;
}

TDateTime EncodeDate(int32_t year, int32_t month, int32_t day) {
  TDateTime v;
  if (!TryEncodeDate(year, month, day, v)) throw EConvertError(u"Invalid argument to date encode");
  return v;
}

TDateTime EncodeTime(int32_t hour, int32_t minute, int32_t second, int32_t msec) {
  TDateTime v;
  if (!TryEncodeTime(hour, minute, second, msec, v)) {
    throw EConvertError(u"Invalid argument to time encode");
  }
  return v;
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time) {
  return date < 0 ? date - time : date + time;
}

TDateTimeParts DecodeDateTime(TDateTime value) {
  const DayAndTime dt = Split(value);
  TDateTimeParts p;
  CivilFromDays(dt.day + kEpochOffset, p.Year, p.Month, p.Day);
  p.Hour = dt.msec / 3600000;
  p.Minute = dt.msec / 60000 % 60;
  p.Second = dt.msec / 1000 % 60;
  p.MSec = dt.msec % 1000;
  p.DayOfWeek = int32_t(((dt.day + kEpochOffset) % 7 + 7 + 4) % 7) + 1;
  return p;
}

void DecodeDate(TDateTime value, int32_t& year, int32_t& month, int32_t& day) {
  const TDateTimeParts p = DecodeDateTime(value);
  year = p.Year, month = p.Month, day = p.Day;
}

void DecodeTime(TDateTime value, int32_t& hour, int32_t& minute, int32_t& second, int32_t& msec) {
  const TDateTimeParts p = DecodeDateTime(value);
  hour = p.Hour, minute = p.Minute, second = p.Second, msec = p.MSec;
}

int32_t DayOfWeek(TDateTime value) { return DecodeDateTime(value).DayOfWeek; }

TDateTime Now() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto msec = std::chrono::duration_cast<std::chrono::milliseconds>(
                        now.time_since_epoch()).count() % 1000;
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &seconds);
#else
  localtime_r(&seconds, &local);
#endif
  return ComposeDateTime(EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
                         EncodeTime(local.tm_hour, local.tm_min, local.tm_sec % 60,
                                    int32_t(msec < 0 ? 0 : msec)));
}

TDateTime Date() { return std::trunc(Now()); }

String FormatDateTime(StringView format, TDateTime value, const TFormatSettings& settings) {
  String out;
  DateTimeFormatter(value, settings).Append(format.empty() ? StringView(u"c") : format, out, 0);
  return out;
}

String FormatDateTime(StringView format, TDateTime value) {
  return FormatDateTime(format, value, FormatSettings);
}

String DateTimeToStr(TDateTime value, const TFormatSettings& settings) {
  return FormatDateTime(u"c", value, settings);
}
String DateTimeToStr(TDateTime value) { return DateTimeToStr(value, FormatSettings); }
String DateToStr(TDateTime value, const TFormatSettings& settings) {
  return FormatDateTime(u"ddddd", value, settings);
}
String TimeToStr(TDateTime value, const TFormatSettings& settings) {
  return FormatDateTime(u"tt", value, settings);
}

bool TryStrToDate(StringView s, TDateTime& value, const TFormatSettings& settings) {
  DateTimeScanner scan(s, settings);
  TDateTime v;
  if (!scan.Date(v) || !scan.AtEnd()) return false;
  value = v;
  return true;
}

bool TryStrToTime(StringView s, TDateTime& value, const TFormatSettings& settings) {
  DateTimeScanner scan(s, settings);
  TDateTime v;
  if (!scan.Time(v) || !scan.AtEnd()) return false;
  value = v;
  return true;
}

bool TryStrToDateTime(StringView s, TDateTime& value, const TFormatSettings& settings) {
  DateTimeScanner scan(s, settings);
  TDateTime date, time = 0;
  if (scan.Date(date)) {
    if (!scan.AtEnd() && (!scan.Time(time) || !scan.AtEnd())) return false;
    value = ComposeDateTime(date, time);
    return true;
  }
  return TryStrToTime(s, value, settings);
}

TDateTime StrToDateTime(StringView s, const TFormatSettings& settings) {
  TDateTime v;
  if (!TryStrToDateTime(s, v, settings)) ThrowNot(s, u"date and time");
  return v;
}

TDateTime StrToDateTime(StringView s) { return StrToDateTime(s, FormatSettings); }

TDateTime StrToDate(StringView s, const TFormatSettings& settings) {
  TDateTime v;
  if (!TryStrToDate(s, v, settings)) ThrowNot(s, u"date");
  return v;
}

TDateTime StrToTime(StringView s, const TFormatSettings& settings) {
  TDateTime v;
  if (!TryStrToTime(s, v, settings)) ThrowNot(s, u"time");
  return v;
}
