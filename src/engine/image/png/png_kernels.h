#pragma once
// The codec's inner loops: undoing row filters, applying the Sub filter when
// saving, and moving 8-bit samples between PNG order (R,G,B,A) and the
// engine's layout (B,G,R with the alpha plane apart, or B,G,R,A).
//
// Each kernel has a scalar reference and, where it pays, SSE2 and SSSE3
// variants compiled with per-function target attributes. PngKernels()
// returns the table for the level in force (ActiveSimdLevel()), so callers
// fetch it once per image and a test can compare every level against the
// scalar one.

#include <cstddef>
#include <cstdint>

#include "rtl/cpu_features.h"

// Undoes one filter in place: `row` holds `row_bytes` filtered bytes, `prior`
// the unfiltered previous row (all zeros for the first row of a pass).
using TUnfilterKernel = void (*)(uint8_t* row, const uint8_t* prior, size_t row_bytes);

struct TPngKernels {
  // Indexed by bytes per pixel 3 and 4; other widths use the generic scalar loops.
  TUnfilterKernel Sub3, Sub4, Average3, Average4, Paeth3, Paeth4;
  TUnfilterKernel Up;
  // out[i] = row[i] - row[i - bpp] (0 before the first pixel), for saving.
  void (*FilterSub)(const uint8_t* row, uint8_t* out, size_t row_bytes, int bpp);
  // R,G,B → B,G,R (the same swap serves both directions).
  void (*SwapRgb)(const uint8_t* src, uint8_t* dst, size_t pixels);
  // R,G,B,A → B,G,R,A (both directions).
  void (*SwapRgba)(const uint8_t* src, uint8_t* dst, size_t pixels);
  // R,G,B,A → B,G,R plus the alpha plane.
  void (*SplitRgba)(const uint8_t* src, uint8_t* bgr, uint8_t* alpha, size_t pixels);
  // B,G,R plus alpha plane → R,G,B,A.
  void (*JoinBgrAlpha)(const uint8_t* bgr, const uint8_t* alpha, uint8_t* dst, size_t pixels);
  // G,A pairs → grey bytes plus the alpha plane.
  void (*SplitGreyAlpha)(const uint8_t* src, uint8_t* grey, uint8_t* alpha, size_t pixels);
};

// The kernels for `level` (a level above what is built falls back to the best below it).
const TPngKernels& PngKernelsFor(TSimdLevel level);
// The kernels for ActiveSimdLevel().
inline const TPngKernels& PngKernels() { return PngKernelsFor(ActiveSimdLevel()); }

// Undoes a filter for any bytes-per-pixel (1..8) with the given kernels for 3 and 4.
// Returns false for an unknown filter type.
bool UnfilterRow(const TPngKernels& kernels, uint8_t filter, uint8_t* row, const uint8_t* prior,
                 size_t row_bytes, int bpp);

namespace png_kernels_detail {
// Variant tables; x86 ones are empty (null) where the compiler cannot build them.
const TPngKernels& ScalarKernels();
const TPngKernels* Sse2Kernels();
const TPngKernels* Ssse3Kernels();
// Scalar loops shared with the wide variants for their tails.
void UnfilterSubScalar(uint8_t* row, size_t row_bytes, int bpp, size_t start);
void UnfilterAverageScalar(uint8_t* row, const uint8_t* prior, size_t row_bytes, int bpp, size_t start);
void UnfilterPaethScalar(uint8_t* row, const uint8_t* prior, size_t row_bytes, int bpp, size_t start);
}  // namespace png_kernels_detail
