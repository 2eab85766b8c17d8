#pragma once
// Format settings: the separators, date and time formats and names that number
// and date-time conversions use. Every conversion takes its settings
// explicitly; the overloads without them use the process-wide FormatSettings.
// Files and streams that must read back on any machine pass
// TFormatSettings::Invariant() instead.

#include <array>
#include <cstdint>

#include "rtl/ustring.h"

struct TFormatSettings {
  char16_t DecimalSeparator = u'.';
  char16_t ThousandSeparator = u',';
  char16_t DateSeparator = u'/';
  char16_t TimeSeparator = u':';
  String ShortDateFormat = u"M/d/yyyy";
  String LongDateFormat = u"dddd, MMMM d, yyyy";
  String ShortTimeFormat = u"h:mm AMPM";
  String LongTimeFormat = u"h:mm:ss AMPM";
  String TimeAMString = u"AM";
  String TimePMString = u"PM";
  // A two-digit year is placed in the century that puts it at most this many
  // years before the current year; 0 means "the current century".
  int32_t TwoDigitYearCenturyWindow = 50;
  std::array<String, 12> ShortMonthNames{u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                         u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
  std::array<String, 12> LongMonthNames{u"January", u"February", u"March",     u"April",
                                        u"May",     u"June",     u"July",      u"August",
                                        u"September", u"October", u"November", u"December"};
  // Index 0 is Sunday.
  std::array<String, 7> ShortDayNames{u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
  std::array<String, 7> LongDayNames{u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                     u"Thursday", u"Friday", u"Saturday"};

  // English (United States) conventions with "." and ","; these are also the
  // defaults of a default-constructed TFormatSettings.
  static const TFormatSettings& Invariant();
};

// The process-wide settings used by the conversions that take none. Set at
// start-up; code that changes it temporarily restores it on every path.
extern TFormatSettings FormatSettings;
