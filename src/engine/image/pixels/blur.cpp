#include "engine/image/pixels/blur.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "engine/image/pixels/blur_variants.h"
#include "engine/image/pixels/pixel_errors.h"
#include "engine/image/pixels/simd_target.h"
#include "rtl/cpu_features.h"

namespace {

bool UseSse2() {
#if RD_PIXELS_X86
  return ActiveSimdLevel() >= TSimdLevel::Sse2;
#else
  return false;
#endif
}

void GaussianRow(const float* ext, float* out, int32_t count, const float* weights, int32_t radius) {
#if RD_PIXELS_X86
  if (UseSse2()) return GaussianRowSse2(ext, out, count, weights, radius);
#endif
  GaussianRowPortable(ext, out, count, weights, radius);
}

void GaussianColumn(const float* const* taps, uint8_t* out, int32_t floats, const float* weights, int32_t radius) {
#if RD_PIXELS_X86
  if (UseSse2()) return GaussianColumnSse2(taps, out, floats, weights, radius);
#endif
  GaussianColumnPortable(taps, out, floats, weights, radius);
}

struct TRect {
  int32_t Left, Top, Width, Height;
};

void Gaussian(const TPixelView& pixels, const TRect& r, int32_t passes) {
  const std::vector<float> weights = GaussianWeights(passes);
  const int32_t radius = int32_t(weights.size()) - 1;
  const size_t row_floats = 4 * size_t(r.Width);
  std::vector<float> blurred_rows(row_floats * size_t(r.Height));
  std::vector<float> ext(4 * (size_t(r.Width) + 2 * size_t(radius)));
  for (int32_t y = 0; y < r.Height; ++y) {
    const uint8_t* row = pixels.Row(r.Top + y) + 4 * size_t(r.Left);
    for (int32_t k = -radius; k < r.Width + radius; ++k) {
      const uint8_t* p = row + 4 * size_t(std::clamp(k, 0, r.Width - 1));
      for (int c = 0; c < 4; ++c) ext[4 * size_t(k + radius) + size_t(c)] = float(p[c]);
    }
    GaussianRow(ext.data() + 4 * size_t(radius), blurred_rows.data() + row_floats * size_t(y), r.Width,
                weights.data(), radius);
  }
  std::vector<const float*> taps(2 * size_t(radius) + 1);
  const auto row_at = [&](int32_t y) { return blurred_rows.data() + row_floats * size_t(std::clamp(y, 0, r.Height - 1)); };
  for (int32_t y = 0; y < r.Height; ++y) {
    taps[0] = row_at(y);
    for (int32_t j = 1; j <= radius; ++j) {
      taps[2 * size_t(j) - 1] = row_at(y - j);
      taps[2 * size_t(j)] = row_at(y + j);
    }
    GaussianColumn(taps.data(), pixels.Row(r.Top + y) + 4 * size_t(r.Left), int32_t(row_floats), weights.data(),
                   radius);
  }
}

// One round of the 3 x 3 kernel over one channel: `at(x, y)` is the byte of
// pixel (x, y) of the rectangle.
template <class At>
void Box3x3Round(int32_t width, int32_t height, At at) {
  for (int32_t y = 0; y < height; ++y) {
    const int32_t up = std::max(y - 1, 0), down = std::min(y + 1, height - 1);
    for (int32_t x = 0; x < width; ++x) {
      const int32_t l = std::max(x - 1, 0), r = std::min(x + 1, width - 1);
      const int v = at(l, up) / 2 + at(x, up) + at(r, up) / 2 + at(l, y) + 2 * at(x, y) + at(r, y) +
                    at(l, down) / 2 + at(x, down) + at(r, down) / 2;
      at(x, y) = uint8_t(v >> 3);
    }
  }
}

void Box3x3(const TPixelView& pixels, const TAlphaPlane& alpha, const TRect& r, int32_t rounds) {
  const size_t bytes = pixels.Layout == TPixelLayout::Bgra32 ? 4 : 3;
  for (int32_t n = 0; n < rounds; ++n) {
    for (size_t c = 0; c < bytes; ++c)
      Box3x3Round(r.Width, r.Height, [&](int32_t x, int32_t y) -> uint8_t& {
        return pixels.Row(r.Top + y)[bytes * size_t(r.Left + x) + c];
      });
    if (alpha && bytes == 3)
      Box3x3Round(r.Width, r.Height,
                  [&](int32_t x, int32_t y) -> uint8_t& { return alpha.Row(r.Top + y)[r.Left + x]; });
  }
}

}  // namespace

std::vector<float> GaussianWeights(int32_t passes) {
  passes = std::clamp(passes, -kMaxBlurPasses, kMaxBlurPasses);
  const double sigma = std::clamp(std::abs(passes) / 2.0, 0.1, 250.0);
  const auto weight = [&](int32_t j) { return std::exp(-double(j) * j / (2 * sigma * sigma)); };
  const auto sum_to = [&](int32_t radius) {
    double sum = 0;
    for (int32_t j = 1; j <= radius; ++j) sum += weight(j);
    return sum;
  };
  int32_t radius = passes;
  if (passes < 0) {
    radius = int32_t(std::lround(sigma + 1));
    while (std::lround(weight(radius) / (2 * sum_to(radius) + 1) * 255) != 0) ++radius;
    radius = std::max(radius - 1, 1);
  }
  const double total = 2 * sum_to(radius) + 1;
  std::vector<float> weights(size_t(radius) + 1);
  weights[0] = float(1 / total);
  for (int32_t j = 1; j <= radius; ++j) weights[size_t(j)] = float(weight(j) / total);
  return weights;
}

void BlurPixels(const TPixelView& pixels, const TAlphaPlane& alpha, int32_t left, int32_t top, int32_t width,
                int32_t height, int32_t passes, TBlurKernel kernel) {
  if (!pixels.Bits) RaisePixelError(TPixelError::InvalidImageData);
  const int64_t right = int64_t(left) + (width == 0 ? pixels.Width : width);
  const int64_t bottom = int64_t(top) + (height == 0 ? pixels.Height : height);
  TRect r{std::max(left, 0), std::max(top, 0), 0, 0};
  r.Width = int32_t(std::clamp<int64_t>(std::min<int64_t>(right, pixels.Width) - r.Left, 0, pixels.Width));
  r.Height = int32_t(std::clamp<int64_t>(std::min<int64_t>(bottom, pixels.Height) - r.Top, 0, pixels.Height));
  if (r.Width == 0 || r.Height == 0) RaisePixelError(TPixelError::InvalidRectangle);
  if (passes == 0) return;
  passes = std::clamp(passes, -kMaxBlurPasses, kMaxBlurPasses);
  if (kernel == TBlurKernel::ByVectorLevel) kernel = UseSse2() ? TBlurKernel::Gaussian : TBlurKernel::Box3x3;
  try {
    if (kernel == TBlurKernel::Gaussian) {
      if (pixels.Layout != TPixelLayout::Bgra32) RaisePixelError(TPixelError::Must32Bit);
      Gaussian(pixels, r, passes);
    } else {
      if (pixels.Layout != TPixelLayout::Bgra32 && pixels.Layout != TPixelLayout::Bgr24)
        RaisePixelError(TPixelError::FormatNotSupported);
      Box3x3(pixels, alpha, r, std::abs(passes));
    }
  } catch (const std::bad_alloc&) {
    RaisePixelError(TPixelError::NotEnoughMemory);
  }
}

void GaussianRowPortable(const float* ext, float* out, int32_t count, const float* weights, int32_t radius) {
  for (int32_t x = 0; x < count; ++x)
    for (int c = 0; c < 4; ++c) {
      const float* p = ext + 4 * ptrdiff_t(x) + c;
      float acc = p[0] * weights[0];
      for (int32_t j = 1; j <= radius; ++j) acc = acc + (p[-4 * ptrdiff_t(j)] + p[4 * ptrdiff_t(j)]) * weights[j];
      out[4 * ptrdiff_t(x) + c] = acc;
    }
}

void GaussianColumnPortable(const float* const* taps, uint8_t* out, int32_t floats, const float* weights,
                            int32_t radius) {
  for (int32_t n = 0; n < floats; ++n) {
    float acc = taps[0][n] * weights[0];
    for (int32_t j = 1; j <= radius; ++j) acc = acc + (taps[2 * j - 1][n] + taps[2 * j][n]) * weights[j];
    const int32_t v = int32_t(acc + 0.5f);
    out[n] = uint8_t(std::clamp(v, 0, 255));
  }
}
