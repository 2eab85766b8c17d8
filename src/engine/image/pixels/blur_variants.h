#pragma once
// The Gaussian blur's two inner loops, portable and SSE2, equal bit for bit
// (the same single-precision operations in the same order, one pixel's four
// channels per vector).

#include <cstdint>

// out[x] = ext[x] * w[0] + sum over j = 1..r of (ext[x - j] + ext[x + j]) * w[j],
// for `count` pixels of four floats; ext points at the first pixel and
// reaches r pixels before and after the run.
void GaussianRowPortable(const float* ext, float* out, int32_t count, const float* weights, int32_t radius);
void GaussianRowSse2(const float* ext, float* out, int32_t count, const float* weights, int32_t radius);

// The same across rows: taps[0] the centre row, taps[2j - 1] and taps[2j]
// the rows j above and below; writes the bytes round(value) clamped to 255.
// `floats` is a multiple of 4 (whole pixels).
void GaussianColumnPortable(const float* const* taps, uint8_t* out, int32_t floats, const float* weights,
                            int32_t radius);
void GaussianColumnSse2(const float* const* taps, uint8_t* out, int32_t floats, const float* weights,
                        int32_t radius);
