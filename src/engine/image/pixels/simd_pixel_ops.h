#pragma once
// Vector building blocks shared by the SSE2/SSSE3 kernels. Pixels are widened
// to 16 bits per channel, two pixels (B, G, R, A, B, G, R, A) per register.
// Include only from files that compile vector variants.

#include "engine/image/pixels/simd_target.h"

#if RD_PIXELS_X86

#include <immintrin.h>

// x div 255 rounded as the Mul table rounds, for x <= 255 * 255:
// t = x + 128, (t + (t >> 8)) >> 8 equals (x + 127) div 255.
RD_TARGET_SSE2 inline __m128i Div255Epu16(__m128i x) {
  const __m128i t = _mm_add_epi16(x, _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

// Each pixel's alpha lane copied to all four of its lanes.
RD_TARGET_SSE2 inline __m128i SpreadAlphaEpu16(__m128i v) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
}

// (77 R + 151 G + 28 B) >> 8 of each pixel, in all four of its lanes.
RD_TARGET_SSE2 inline __m128i SpreadGreyEpu16(__m128i v) {
  const __m128i products = _mm_madd_epi16(v, _mm_setr_epi16(28, 151, 77, 0, 28, 151, 77, 0));
  const __m128i sums = _mm_add_epi32(products, _mm_shuffle_epi32(products, _MM_SHUFFLE(2, 3, 0, 1)));
  const __m128i grey = _mm_srli_epi32(sums, 8);
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(grey, _MM_SHUFFLE(0, 0, 0, 0)), _MM_SHUFFLE(0, 0, 0, 0));
}

// 0xFFFF in the colour lanes, 0 in the alpha lanes.
RD_TARGET_SSE2 inline __m128i ColourLanesEpu16() { return _mm_setr_epi16(-1, -1, -1, 0, -1, -1, -1, 0); }

// Lanes of `colour` where the mask is set, of `other` elsewhere.
RD_TARGET_SSE2 inline __m128i SelectBits(__m128i mask, __m128i colour, __m128i other) {
  return _mm_or_si128(_mm_and_si128(mask, colour), _mm_andnot_si128(mask, other));
}

#endif
