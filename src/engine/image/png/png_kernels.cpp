#include "engine/image/png/png_kernels.h"

#include <cstdlib>

#include "engine/image/png/png_format.h"

namespace png_kernels_detail {

void UnfilterSubScalar(uint8_t* row, size_t row_bytes, int bpp, size_t start) {
  for (size_t i = start < size_t(bpp) ? size_t(bpp) : start; i < row_bytes; ++i) row[i] = uint8_t(row[i] + row[i - bpp]);
}

void UnfilterAverageScalar(uint8_t* row, const uint8_t* prior, size_t row_bytes, int bpp, size_t start) {
  size_t i = start;
  for (; i < size_t(bpp) && i < row_bytes; ++i) row[i] = uint8_t(row[i] + (prior[i] >> 1));
  for (; i < row_bytes; ++i) row[i] = uint8_t(row[i] + ((row[i - bpp] + prior[i]) >> 1));
}

// Paeth predictor: of left (a), above (b) and upper-left (c), the one nearest
// to a + b - c, ties going to a, then b.
static inline uint8_t PaethPredict(int a, int b, int c) {
  const int pa = std::abs(b - c);
  const int pb = std::abs(a - c);
  const int pc = std::abs(a + b - 2 * c);
  if (pa <= pb && pa <= pc) return uint8_t(a);
  return uint8_t(pb <= pc ? b : c);
}

void UnfilterPaethScalar(uint8_t* row, const uint8_t* prior, size_t row_bytes, int bpp, size_t start) {
  size_t i = start;
  for (; i < size_t(bpp) && i < row_bytes; ++i) row[i] = uint8_t(row[i] + prior[i]);
  for (; i < row_bytes; ++i) row[i] = uint8_t(row[i] + PaethPredict(row[i - bpp], prior[i], prior[i - bpp]));
}

}  // namespace png_kernels_detail

using namespace png_kernels_detail;

namespace {

void Sub3(uint8_t* row, const uint8_t*, size_t n) { UnfilterSubScalar(row, n, 3, 0); }
void Sub4(uint8_t* row, const uint8_t*, size_t n) { UnfilterSubScalar(row, n, 4, 0); }
void Average3(uint8_t* row, const uint8_t* prior, size_t n) { UnfilterAverageScalar(row, prior, n, 3, 0); }
void Average4(uint8_t* row, const uint8_t* prior, size_t n) { UnfilterAverageScalar(row, prior, n, 4, 0); }
void Paeth3(uint8_t* row, const uint8_t* prior, size_t n) { UnfilterPaethScalar(row, prior, n, 3, 0); }
void Paeth4(uint8_t* row, const uint8_t* prior, size_t n) { UnfilterPaethScalar(row, prior, n, 4, 0); }
void Up(uint8_t* row, const uint8_t* prior, size_t n) {
  for (size_t i = 0; i < n; ++i) row[i] = uint8_t(row[i] + prior[i]);
}

void FilterSub(const uint8_t* row, uint8_t* out, size_t n, int bpp) {
  for (size_t i = 0; i < n && i < size_t(bpp); ++i) out[i] = row[i];
  for (size_t i = bpp; i < n; ++i) out[i] = uint8_t(row[i] - row[i - bpp]);
}

void SwapRgb(const uint8_t* src, uint8_t* dst, size_t pixels) {
  for (size_t i = 0; i < pixels; ++i, src += 3, dst += 3) {
    const uint8_t r = src[0], g = src[1], b = src[2];
    dst[0] = b;
    dst[1] = g;
    dst[2] = r;
  }
}

void SwapRgba(const uint8_t* src, uint8_t* dst, size_t pixels) {
  for (size_t i = 0; i < pixels; ++i, src += 4, dst += 4) {
    const uint8_t r = src[0], g = src[1], b = src[2], a = src[3];
    dst[0] = b;
    dst[1] = g;
    dst[2] = r;
    dst[3] = a;
  }
}

void SplitRgba(const uint8_t* src, uint8_t* bgr, uint8_t* alpha, size_t pixels) {
  for (size_t i = 0; i < pixels; ++i, src += 4, bgr += 3) {
    bgr[0] = src[2];
    bgr[1] = src[1];
    bgr[2] = src[0];
    alpha[i] = src[3];
  }
}

void JoinBgrAlpha(const uint8_t* bgr, const uint8_t* alpha, uint8_t* dst, size_t pixels) {
  for (size_t i = 0; i < pixels; ++i, bgr += 3, dst += 4) {
    dst[0] = bgr[2];
    dst[1] = bgr[1];
    dst[2] = bgr[0];
    dst[3] = alpha[i];
  }
}

void SplitGreyAlpha(const uint8_t* src, uint8_t* grey, uint8_t* alpha, size_t pixels) {
  for (size_t i = 0; i < pixels; ++i) {
    grey[i] = src[2 * i];
    alpha[i] = src[2 * i + 1];
  }
}

const TPngKernels kScalar = {Sub3, Sub4, Average3, Average4, Paeth3, Paeth4, Up, FilterSub,
                             SwapRgb, SwapRgba, SplitRgba, JoinBgrAlpha, SplitGreyAlpha};

}  // namespace

const TPngKernels& png_kernels_detail::ScalarKernels() { return kScalar; }

const TPngKernels& PngKernelsFor(TSimdLevel level) {
  if (level >= TSimdLevel::Ssse3) {
    if (const TPngKernels* k = Ssse3Kernels()) return *k;
  }
  if (level >= TSimdLevel::Sse2) {
    if (const TPngKernels* k = Sse2Kernels()) return *k;
  }
  return kScalar;
}

bool UnfilterRow(const TPngKernels& kernels, uint8_t filter, uint8_t* row, const uint8_t* prior,
                 size_t row_bytes, int bpp) {
  switch (filter) {
    case uint8_t(TPngFilter::None):
      return true;
    case uint8_t(TPngFilter::Sub):
      if (bpp == 3) kernels.Sub3(row, prior, row_bytes);
      else if (bpp == 4) kernels.Sub4(row, prior, row_bytes);
      else UnfilterSubScalar(row, row_bytes, bpp, 0);
      return true;
    case uint8_t(TPngFilter::Up):
      kernels.Up(row, prior, row_bytes);
      return true;
    case uint8_t(TPngFilter::Average):
      if (bpp == 3) kernels.Average3(row, prior, row_bytes);
      else if (bpp == 4) kernels.Average4(row, prior, row_bytes);
      else UnfilterAverageScalar(row, prior, row_bytes, bpp, 0);
      return true;
    case uint8_t(TPngFilter::Paeth):
      if (bpp == 3) kernels.Paeth3(row, prior, row_bytes);
      else if (bpp == 4) kernels.Paeth4(row, prior, row_bytes);
      else UnfilterPaethScalar(row, prior, row_bytes, bpp, 0);
      return true;
    default:
      return false;
  }
}
