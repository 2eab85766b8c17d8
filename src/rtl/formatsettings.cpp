#include "rtl/formatsettings.h"

const TFormatSettings& TFormatSettings::Invariant() {
  static const TFormatSettings invariant;
  return invariant;
}

TFormatSettings FormatSettings;
