#include "engine/image/png/png_rows.h"

#include <cstring>

#include "engine/image/png/png_format.h"

namespace {

// Four 2-bit samples of one byte → two bytes of two 4-bit samples each.
struct TDepth2Table {
  uint16_t Pairs[256];
  constexpr TDepth2Table() : Pairs() {
    for (int b = 0; b < 256; ++b) {
      const int p0 = (b >> 6) & 3, p1 = (b >> 4) & 3, p2 = (b >> 2) & 3, p3 = b & 3;
      Pairs[b] = uint16_t((p0 << 4 | p1) | (p2 << 4 | p3) << 8);
    }
  }
};
constexpr TDepth2Table kDepth2;

void ZeroTail(uint8_t* row, size_t used, size_t stride) {
  if (used < stride) std::memset(row + used, 0, stride - used);
}

// Splits big-endian 16-bit samples: high bytes to `high`, low bytes to `low`,
// sample k of a pixel going to position order[k] of the output pixel.
void Split16(const uint8_t* raw, uint8_t* high, uint8_t* low, size_t pixels, int channels, const int* order) {
  for (size_t i = 0; i < pixels; ++i, raw += 2 * channels, high += channels, low += channels) {
    for (int k = 0; k < channels; ++k) {
      high[order[k]] = raw[2 * k];
      low[order[k]] = raw[2 * k + 1];
    }
  }
}

constexpr int kKeep[4] = {0, 1, 2, 3};
constexpr int kSwapRb[4] = {2, 1, 0, 3};

// Colours multiplied by alpha back to straight ones: c · 255 / a, rounded.
uint8_t Unpremultiply(uint8_t c, uint8_t a) {
  if (a == 0) return 0;
  const unsigned v = (unsigned(c) * 255 + a / 2) / a;
  return uint8_t(v > 255 ? 255 : v);
}

}  // namespace

void ExpandRow(const TPngKernels& k, const TPngPixelTarget& t, const uint8_t* raw, uint32_t y) {
  uint8_t* pix = t.Pixels + size_t(y) * t.BytesPerRow;
  uint8_t* extra = t.Extra ? t.Extra + size_t(y) * t.BytesPerRow : nullptr;
  uint8_t* alpha = t.Alpha ? t.Alpha + size_t(y) * t.Width : nullptr;
  const size_t w = t.Width;
  size_t used = 0;
  switch (t.ColorType) {
    case kPngGrey:
    case kPngIndexed:
      if (t.BitDepth == 2) {
        used = (w + 1) / 2;
        const size_t in_bytes = (w + 3) / 4;
        for (size_t i = 0; i < in_bytes; ++i) {
          const uint16_t pair = kDepth2.Pairs[raw[i]];
          pix[2 * i] = uint8_t(pair);
          if (2 * i + 1 < used) pix[2 * i + 1] = uint8_t(pair >> 8);
        }
      } else if (t.BitDepth == 16) {
        used = w;
        Split16(raw, pix, extra, w, 1, kKeep);
      } else {
        used = size_t(PngRowBytes(t.Width, t.BitDepth));
        std::memcpy(pix, raw, used);
      }
      break;
    case kPngGreyAlpha:
      used = w;
      if (t.BitDepth == 8) {
        k.SplitGreyAlpha(raw, pix, alpha, w);
      } else {
        for (size_t i = 0; i < w; ++i) {
          pix[i] = raw[4 * i];
          extra[i] = raw[4 * i + 1];
          alpha[i] = raw[4 * i + 2];
        }
      }
      break;
    case kPngTrueColor:
      used = 3 * w;
      if (t.BitDepth == 8) k.SwapRgb(raw, pix, w);
      else Split16(raw, pix, extra, w, 3, kSwapRb);
      break;
    case kPngTrueColorAlpha:
      if (t.LayoutBits == 32) {
        used = 4 * w;
        if (t.BitDepth == 8) k.SwapRgba(raw, pix, w);
        else Split16(raw, pix, extra, w, 4, kSwapRb);
      } else {
        used = 3 * w;
        if (t.BitDepth == 8) {
          k.SplitRgba(raw, pix, alpha, w);
        } else {
          for (size_t i = 0; i < w; ++i) {
            const uint8_t* s = raw + 8 * i;
            for (int c = 0; c < 3; ++c) {
              pix[3 * i + 2 - c] = s[2 * c];
              extra[3 * i + 2 - c] = s[2 * c + 1];
            }
            alpha[i] = s[6];
          }
        }
      }
      break;
    default:
      break;
  }
  ZeroTail(pix, used, t.BytesPerRow);
  if (extra) ZeroTail(extra, used, t.BytesPerRow);
}

void PackRow(const TPngKernels& k, const TPngPixelTarget& t, TPngAlphaMode alpha_mode, uint8_t* raw, uint32_t y) {
  const uint8_t* pix = t.Pixels + size_t(y) * t.BytesPerRow;
  const uint8_t* extra = t.Extra ? t.Extra + size_t(y) * t.BytesPerRow : nullptr;
  const uint8_t* alpha = t.Alpha ? t.Alpha + size_t(y) * t.Width : nullptr;
  const size_t w = t.Width;
  switch (t.ColorType) {
    case kPngGrey:
    case kPngIndexed:
      if (t.BitDepth == 2) {
        // Stored one pixel per nibble; saved at depth 4. Grey levels 0..3 become 0, 5, 10, 15.
        const uint8_t scale = t.ColorType == kPngGrey ? 5 : 1;
        for (size_t i = 0; i < (w + 1) / 2; ++i) {
          const uint8_t hi = uint8_t((pix[i] >> 4) & 3), lo = uint8_t(pix[i] & 3);
          raw[i] = uint8_t((hi * scale) << 4 | (2 * i + 1 < w ? lo * scale : 0));
        }
      } else if (t.BitDepth == 16) {
        for (size_t i = 0; i < w; ++i) {
          raw[2 * i] = pix[i];
          raw[2 * i + 1] = extra ? extra[i] : pix[i];
        }
      } else {
        std::memcpy(raw, pix, size_t(PngRowBytes(t.Width, t.BitDepth)));
      }
      break;
    case kPngGreyAlpha:
      for (size_t i = 0; i < w; ++i) {
        const uint8_t a = alpha ? alpha[i] : 255;
        if (t.BitDepth == 8) {
          raw[2 * i] = pix[i];
          raw[2 * i + 1] = a;
        } else {
          raw[4 * i] = pix[i];
          raw[4 * i + 1] = extra ? extra[i] : pix[i];
          raw[4 * i + 2] = a;
          raw[4 * i + 3] = a;
        }
      }
      break;
    case kPngTrueColor:
      if (t.BitDepth == 8) {
        k.SwapRgb(pix, raw, w);
      } else {
        for (size_t i = 0; i < w; ++i)
          for (int c = 0; c < 3; ++c) {
            raw[6 * i + 2 * c] = pix[3 * i + 2 - c];
            raw[6 * i + 2 * c + 1] = extra ? extra[3 * i + 2 - c] : pix[3 * i + 2 - c];
          }
      }
      break;
    case kPngTrueColorAlpha: {
      const int step = t.LayoutBits == 32 ? 4 : 3;
      if (t.BitDepth == 8 && alpha_mode == TPngAlphaMode::Straight) {
        if (step == 4) k.SwapRgba(pix, raw, w);
        else if (alpha) k.JoinBgrAlpha(pix, alpha, raw, w);
        break;
      }
      const int bytes = t.BitDepth / 8;
      for (size_t i = 0; i < w; ++i) {
        const uint8_t* p = pix + step * i;
        uint8_t a = step == 4 ? p[3] : (alpha ? alpha[i] : 255);
        if (alpha_mode == TPngAlphaMode::Invalid) a = 255;
        uint8_t* d = raw + 4 * bytes * i;
        for (int c = 0; c < 3; ++c) {
          uint8_t hi = p[2 - c];
          uint8_t lo = extra ? extra[step * i + 2 - c] : hi;
          if (alpha_mode == TPngAlphaMode::Premultiplied) {
            hi = Unpremultiply(hi, a);
            lo = hi;
          }
          d[bytes * c] = hi;
          if (bytes == 2) d[2 * c + 1] = lo;
        }
        d[bytes * 3] = a;
        if (bytes == 2) d[7] = a;
      }
      break;
    }
    default:
      break;
  }
}

void ScatterPixels(const uint8_t* src, uint8_t* dst, uint32_t count, int bits, uint32_t first, uint32_t step) {
  if (bits >= 8) {
    const size_t bytes = size_t(bits) / 8;
    for (uint32_t i = 0; i < count; ++i) std::memcpy(dst + (first + size_t(i) * step) * bytes, src + i * bytes, bytes);
    return;
  }
  const unsigned mask = (1u << bits) - 1;
  for (uint32_t i = 0; i < count; ++i) {
    const size_t sbit = size_t(i) * bits;
    const unsigned v = (src[sbit / 8] >> (8 - bits - sbit % 8)) & mask;
    const size_t dbit = (first + size_t(i) * step) * bits;
    const unsigned shift = unsigned(8 - bits - dbit % 8);
    dst[dbit / 8] = uint8_t((dst[dbit / 8] & ~(mask << shift)) | v << shift);
  }
}

void GatherPixels(const uint8_t* src, uint8_t* dst, uint32_t count, int bits, uint32_t first, uint32_t step) {
  if (bits >= 8) {
    const size_t bytes = size_t(bits) / 8;
    for (uint32_t i = 0; i < count; ++i) std::memcpy(dst + i * bytes, src + (first + size_t(i) * step) * bytes, bytes);
    return;
  }
  const unsigned mask = (1u << bits) - 1;
  std::memset(dst, 0, (size_t(count) * bits + 7) / 8);
  for (uint32_t i = 0; i < count; ++i) {
    const size_t sbit = (first + size_t(i) * step) * bits;
    const unsigned v = (src[sbit / 8] >> (8 - bits - sbit % 8)) & mask;
    const size_t dbit = size_t(i) * bits;
    dst[dbit / 8] = uint8_t(dst[dbit / 8] | v << (8 - bits - dbit % 8));
  }
}
