#pragma once
// The 4-byte options of a nine-grid draw, laid out as the platform's
// blend-function record so that the Windows drawer hands it over as it is.

#include <cstdint>

struct TDrawOptions {
  static constexpr uint8_t kSourceOver = 0;   // BlendOp
  static constexpr uint8_t kSourceAlpha = 1;  // AlphaFormat: the source has per-pixel alpha

  uint8_t BlendOp = kSourceOver;
  uint8_t BlendFlags = 0;
  uint8_t Opacity = 255;  // 0 draws nothing
  uint8_t AlphaFormat = kSourceAlpha;
};
static_assert(sizeof(TDrawOptions) == 4, "laid out as the blend-function record");
