#include "engine/image/pixels/source_pixels.h"

#include <cstring>

#include "engine/image/pixels/pixel_tables.h"

namespace {

uint8_t Sample(const uint8_t* row, int32_t x, int bits) {
  const int32_t bit = x * bits;
  const int shift = 8 - bits - (bit & 7);
  return uint8_t((row[bit >> 3] >> shift) & ((1 << bits) - 1));
}

void IndexedPixel(const TPictureSource& source, uint8_t sample, int bits, uint8_t* bgra) {
  if (source.Palette) {
    std::memcpy(bgra, source.Palette + 4 * sample, 3);
  } else {
    bgra[0] = bgra[1] = bgra[2] = ExpandSample(sample, bits);
  }
  bgra[3] = sample < source.PaletteAlphaCount ? source.PaletteAlpha[sample] : 255;
}

}  // namespace

void ReadSourceRow(const TPictureSource& source, int32_t x, int32_t y, int32_t count, uint8_t* bgra) {
  const TPixelView& pixels = source.Pixels;
  const uint8_t* row = pixels.Row(y);
  const uint8_t* alpha = source.Alpha ? source.Alpha.Row(y) + x : nullptr;
  switch (pixels.Layout) {
    case TPixelLayout::Bgra32:
      std::memcpy(bgra, row + 4 * ptrdiff_t(x), 4 * size_t(count));
      return;
    case TPixelLayout::Bgr24:
      row += 3 * ptrdiff_t(x);
      for (int32_t i = 0; i < count; ++i, row += 3, bgra += 4) {
        bgra[0] = row[0];
        bgra[1] = row[1];
        bgra[2] = row[2];
        bgra[3] = alpha ? alpha[i] : 255;
      }
      return;
    default: {
      const int bits = BitsPerPixel(pixels.Layout);
      for (int32_t i = 0; i < count; ++i, bgra += 4) {
        IndexedPixel(source, Sample(row, x + i, bits), bits, bgra);
        if (alpha) bgra[3] = alpha[i];
      }
    }
  }
}
