#pragma once
// Shared pieces of the pixel kernel tests: seeded random bytes biased to the
// extremes, pictures in guarded buffers, the SIMD levels to compare, and an
// independent model of the composition written with plain arithmetic.

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "engine/image/pixels/compose.h"
#include "engine/image/pixels/pixel_view.h"
#include "guarded_buffer.h"
#include "rtl/cpu_features.h"

// Random bytes, a quarter of them 0x00 and a quarter 0xFF: transparent and
// opaque pixels and saturated channels are the cases kernels special-case.
class TByteSource {
 public:
  explicit TByteSource(uint32_t seed) : engine_(seed) {}
  uint8_t Next() {
    const uint32_t r = engine_();
    switch (r & 3) {
      case 0: return 0x00;
      case 1: return 0xFF;
      default: return uint8_t(r >> 8);
    }
  }
  int32_t Below(int32_t n) { return int32_t(engine_() % uint32_t(n)); }
  void Fill(uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) p[i] = Next();
  }

 private:
  std::mt19937 engine_;
};

// A picture whose last row ends at an inaccessible page.
struct TGuardedPicture {
  TGuardedPicture(int32_t width, int32_t height, TPixelLayout layout, int32_t padding = 0)
      : Buffer(std::make_unique<TGuardedBuffer>(
            size_t((int64_t(width) * BitsPerPixel(layout) + 7) / 8 + padding) * size_t(height))) {
    View = TPixelView{Buffer->Data(), width, height, ptrdiff_t((int64_t(width) * BitsPerPixel(layout) + 7) / 8 + padding),
                      layout};
  }
  std::unique_ptr<TGuardedBuffer> Buffer;
  TPixelView View;
};

// A random picture of random layout and row padding (up to `max_padding`
// bytes); a 24-bit one has, half the time, a random alpha plane beside it.
struct TRandomPicture {
  TRandomPicture(TByteSource& random, int32_t width, int32_t height, int32_t max_padding)
      : TRandomPicture(random, width, height, random.Below(2) ? TPixelLayout::Bgr24 : TPixelLayout::Bgra32,
                       max_padding) {}
  TGuardedPicture Picture;
  TGuardedBuffer Plane;
  TPictureSource Source;

 private:
  // The layout is drawn before the padding, in this order on every compiler.
  TRandomPicture(TByteSource& random, int32_t width, int32_t height, TPixelLayout layout, int32_t max_padding)
      : Picture(width, height, layout, random.Below(max_padding + 1)), Plane(size_t(width) * size_t(height)) {
    random.Fill(Picture.Buffer->Data(), Picture.Buffer->Size());
    random.Fill(Plane.Data(), Plane.Size());
    Source.Pixels = Picture.View;
    if (layout == TPixelLayout::Bgr24 && random.Below(2)) Source.Alpha = {Plane.Data(), width};
  }
};

// Every level above Scalar that this processor runs, to compare with Scalar.
inline std::vector<TSimdLevel> FastLevels() {
  std::vector<TSimdLevel> levels;
  for (TSimdLevel l : {TSimdLevel::Sse2, TSimdLevel::Ssse3, TSimdLevel::Sse41, TSimdLevel::Avx2})
    if (l <= DetectedSimdLevel()) levels.push_back(l);
  return levels;
}

// round(x * y / 255) in floating point: a product of two bytes is never
// exactly halfway, so plain rounding is unambiguous.
inline int RoundMul(int x, int y) { return int(std::lround(x * y / 255.0)); }

// The composition of one pixel, modelled from its definition.
inline void ModelCompose(uint8_t* d, const uint8_t* s, const TComposeParams& p) {
  const int a = RoundMul(s[3], p.Alpha);
  const uint32_t colour = uint32_t(s[2] | s[1] << 8 | s[0] << 16);
  if (a == 0 || (p.UseKey && colour == p.Key)) return;
  const int k = p.Premultiplied ? p.Alpha : a;
  const int grey = (s[2] * 77 + s[1] * 151 + s[0] * 28) / 256;
  for (int c = 0; c < 3; ++c) {
    const int v = RoundMul(p.Gray ? grey : s[c], k) + RoundMul(d[c], 255 - a);
    d[c] = uint8_t(v > 255 ? 255 : v);
  }
  d[3] = uint8_t(255 - RoundMul(255 - d[3], 255 - a));
}
