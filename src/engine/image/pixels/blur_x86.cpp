#include "engine/image/pixels/simd_target.h"

#if RD_PIXELS_X86

#include <immintrin.h>

#include "engine/image/pixels/blur_variants.h"

RD_TARGET_SSE2 void GaussianRowSse2(const float* ext, float* out, int32_t count, const float* weights,
                                    int32_t radius) {
  const __m128 centre = _mm_set1_ps(weights[0]);
  for (int32_t x = 0; x < count; ++x) {
    const float* p = ext + 4 * ptrdiff_t(x);
    __m128 acc = _mm_mul_ps(_mm_loadu_ps(p), centre);
    for (int32_t j = 1; j <= radius; ++j) {
      const __m128 pair = _mm_add_ps(_mm_loadu_ps(p - 4 * ptrdiff_t(j)), _mm_loadu_ps(p + 4 * ptrdiff_t(j)));
      acc = _mm_add_ps(acc, _mm_mul_ps(pair, _mm_set1_ps(weights[j])));
    }
    _mm_storeu_ps(out + 4 * ptrdiff_t(x), acc);
  }
}

RD_TARGET_SSE2 void GaussianColumnSse2(const float* const* taps, uint8_t* out, int32_t floats, const float* weights,
                                       int32_t radius) {
  const __m128 half = _mm_set1_ps(0.5f);
  int32_t n = 0;
  for (; n + 4 <= floats; n += 4) {
    __m128 acc = _mm_mul_ps(_mm_loadu_ps(taps[0] + n), _mm_set1_ps(weights[0]));
    for (int32_t j = 1; j <= radius; ++j) {
      const __m128 pair = _mm_add_ps(_mm_loadu_ps(taps[2 * j - 1] + n), _mm_loadu_ps(taps[2 * j] + n));
      acc = _mm_add_ps(acc, _mm_mul_ps(pair, _mm_set1_ps(weights[j])));
    }
    const __m128i v = _mm_cvttps_epi32(_mm_add_ps(acc, half));
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(v, v), _mm_setzero_si128());
    const int32_t four = _mm_cvtsi128_si32(bytes);
    __builtin_memcpy(out + n, &four, 4);
  }
}

#endif
