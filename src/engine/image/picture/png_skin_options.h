#pragma once
// The three skin options a PNG picture carries in its "RDPNG" text chunk:
// lines Name=Value separated by CR LF, written only for options away from
// their defaults.
//
//   AlphaBlendValue  decimal 0..255, default 255 (low 8 bits kept on reading)
//   GrayMode         decimal, non-zero = on, default 0
//   SmoothFilter     0, 1, 2 (psfDefault, psfFastSmooth, psfSmooth), default 0;
//                    read through its low 8 bits, above 2 becomes psfDefault

#include <cstdint>

#include "engine/image/pixels/compose_picture.h"
#include "rtl/ustring.h"

inline constexpr char16_t kSkinOptionsKeyword[] = u"RDPNG";

struct TPngSkinOptions {
  uint8_t AlphaBlendValue = 255;
  bool GrayMode = false;
  TPngSmoothFilter SmoothFilter = psfDefault;

  bool AtDefaults() const { return AlphaBlendValue == 255 && !GrayMode && SmoothFilter == psfDefault; }
  bool operator==(const TPngSkinOptions&) const = default;
};

// Each option present in `text` whose value parses as an integer replaces
// the one in `options`; others stay as they are.
void ReadSkinOptions(StringView text, TPngSkinOptions& options);

// `text` with the option lines set to `options`: options at their defaults
// are removed, the others set (in place when present, else appended); lines
// of other names are kept. Every line ends in CR LF.
String WriteSkinOptions(StringView text, const TPngSkinOptions& options);
