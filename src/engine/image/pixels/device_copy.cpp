#include "engine/image/pixels/device_copy.h"

#include <algorithm>
#include <cstring>

#include "engine/image/pixels/pixel_errors.h"

void FixAlphaAfterGdiPixels(const TPixelView& surface, int32_t x, int32_t y, int32_t width, int32_t height,
                            bool copy_source) {
  if (surface.Layout != TPixelLayout::Bgra32) RaisePixelError(TPixelError::Must32Bit);
  const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(int64_t(x) + width, surface.Width);
  const int64_t bottom = std::min<int64_t>(int64_t(y) + height, surface.Height);
  for (int64_t j = top; j < bottom; ++j) {
    uint8_t* p = surface.Row(int32_t(j)) + 4 * left + 3;
    for (int64_t i = left; i < right; ++i, p += 4) *p = copy_source ? 255 : uint8_t(255 - *p);
  }
}

void StretchCopyPixels(const TPixelView& dest, int32_t dx, int32_t dy, int32_t dw, int32_t dh,
                       const TPixelView& source, int32_t sx, int32_t sy, int32_t sw, int32_t sh) {
  if (dest.Layout != TPixelLayout::Bgra32) RaisePixelError(TPixelError::Must32Bit);
  if (source.Layout != TPixelLayout::Bgra32 && source.Layout != TPixelLayout::Bgr24)
    RaisePixelError(TPixelError::FormatNotSupported);
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  const bool from32 = source.Layout == TPixelLayout::Bgra32;
  for (int32_t j = std::max(0, -dy); j < dh && int64_t(dy) + j < dest.Height; ++j) {
    const int64_t y = sy + int64_t(j) * sh / dh;
    if (y < 0 || y >= source.Height) continue;
    const uint8_t* row = source.Row(int32_t(y));
    uint8_t* out = dest.Row(dy + j);
    for (int32_t i = std::max(0, -dx); i < dw && int64_t(dx) + i < dest.Width; ++i) {
      const int64_t x = sx + int64_t(i) * sw / dw;
      if (x < 0 || x >= source.Width) continue;
      uint8_t* p = out + 4 * (int64_t(dx) + i);
      if (from32) {
        std::memcpy(p, row + 4 * x, 4);
      } else {
        std::memcpy(p, row + 3 * x, 3);
        p[3] = 0;
      }
    }
  }
}
