#pragma once
// Vector building blocks shared by the SSE2/SSSE3/AVX2 kernels, overloaded
// for 128- and 256-bit registers so that one kernel body serves both widths.
// Pixels are widened to 16 bits per channel (B, G, R, A per pixel); 256-bit
// operations work within each 128-bit half, as the unpack and pack
// instructions do, which keeps pixels in order through a widen-and-pack.
// Include only from files that compile vector variants.

#include "engine/image/pixels/simd_target.h"

#if RD_PIXELS_X86

#include <immintrin.h>

#include <cstdint>

// GCC warns that a 256-bit value passed by a function without AVX changes
// the ABI. The generic bodies below never pass one across a call: they are
// always inlined into a function compiled for AVX2. The files that include
// this header hold vector kernels only.
#pragma GCC diagnostic ignored "-Wpsabi"

template <class V>
V LoadPixels(const uint8_t* p);
template <class V>
V Set1Epi16(int16_t v);
template <class V>
V Set1Epi32(int32_t v);
template <class V>
V Zero();

template <>
RD_TARGET_SSE2 inline __m128i LoadPixels<__m128i>(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
template <>
RD_TARGET_SSE2 inline __m128i Set1Epi16<__m128i>(int16_t v) { return _mm_set1_epi16(v); }
template <>
RD_TARGET_SSE2 inline __m128i Set1Epi32<__m128i>(int32_t v) { return _mm_set1_epi32(v); }
template <>
RD_TARGET_SSE2 inline __m128i Zero<__m128i>() { return _mm_setzero_si128(); }
RD_TARGET_SSE2 inline void StorePixels(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
RD_TARGET_SSE2 inline __m128i And(__m128i a, __m128i b) { return _mm_and_si128(a, b); }
RD_TARGET_SSE2 inline __m128i Or(__m128i a, __m128i b) { return _mm_or_si128(a, b); }
RD_TARGET_SSE2 inline __m128i AndNot(__m128i a, __m128i b) { return _mm_andnot_si128(a, b); }
RD_TARGET_SSE2 inline __m128i AddEpi16(__m128i a, __m128i b) { return _mm_add_epi16(a, b); }
RD_TARGET_SSE2 inline __m128i SubEpi16(__m128i a, __m128i b) { return _mm_sub_epi16(a, b); }
RD_TARGET_SSE2 inline __m128i MulloEpi16(__m128i a, __m128i b) { return _mm_mullo_epi16(a, b); }
RD_TARGET_SSE2 inline __m128i MulhiEpu16(__m128i a, __m128i b) { return _mm_mulhi_epu16(a, b); }
RD_TARGET_SSE2 inline __m128i UnpackLoEpi8(__m128i a, __m128i b) { return _mm_unpacklo_epi8(a, b); }
RD_TARGET_SSE2 inline __m128i UnpackHiEpi8(__m128i a, __m128i b) { return _mm_unpackhi_epi8(a, b); }
RD_TARGET_SSE2 inline __m128i PackusEpi16(__m128i a, __m128i b) { return _mm_packus_epi16(a, b); }
RD_TARGET_SSE2 inline __m128i CmpeqEpi8(__m128i a, __m128i b) { return _mm_cmpeq_epi8(a, b); }
RD_TARGET_SSE2 inline __m128i CmpeqEpi32(__m128i a, __m128i b) { return _mm_cmpeq_epi32(a, b); }
// True when every byte of the mask is set.
RD_TARGET_SSE2 inline bool AllSet(__m128i mask) { return _mm_movemask_epi8(mask) == 0xFFFF; }
RD_TARGET_SSE2 inline __m128i SpreadLane3(__m128i v) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
}
RD_TARGET_SSE2 inline __m128i SpreadLane0(__m128i v) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, _MM_SHUFFLE(0, 0, 0, 0)), _MM_SHUFFLE(0, 0, 0, 0));
}
RD_TARGET_SSE2 inline __m128i MaddEpi16(__m128i a, __m128i b) { return _mm_madd_epi16(a, b); }
RD_TARGET_SSE2 inline __m128i SwapPairsEpi32(__m128i v) { return _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 3, 0, 1)); }
RD_TARGET_SSE2 inline __m128i AddEpi32(__m128i a, __m128i b) { return _mm_add_epi32(a, b); }
RD_TARGET_SSE2 inline __m128i SrliEpi32By8(__m128i v) { return _mm_srli_epi32(v, 8); }
RD_TARGET_SSE2 inline __m128i GreyWeights(__m128i) { return _mm_setr_epi16(28, 151, 77, 0, 28, 151, 77, 0); }
RD_TARGET_SSE2 inline __m128i ColourLanes(__m128i) { return _mm_setr_epi16(-1, -1, -1, 0, -1, -1, -1, 0); }

template <>
RD_TARGET_AVX2 inline __m256i LoadPixels<__m256i>(const uint8_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
template <>
RD_TARGET_AVX2 inline __m256i Set1Epi16<__m256i>(int16_t v) { return _mm256_set1_epi16(v); }
template <>
RD_TARGET_AVX2 inline __m256i Set1Epi32<__m256i>(int32_t v) { return _mm256_set1_epi32(v); }
template <>
RD_TARGET_AVX2 inline __m256i Zero<__m256i>() { return _mm256_setzero_si256(); }
RD_TARGET_AVX2 inline void StorePixels(uint8_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
RD_TARGET_AVX2 inline __m256i And(__m256i a, __m256i b) { return _mm256_and_si256(a, b); }
RD_TARGET_AVX2 inline __m256i Or(__m256i a, __m256i b) { return _mm256_or_si256(a, b); }
RD_TARGET_AVX2 inline __m256i AndNot(__m256i a, __m256i b) { return _mm256_andnot_si256(a, b); }
RD_TARGET_AVX2 inline __m256i AddEpi16(__m256i a, __m256i b) { return _mm256_add_epi16(a, b); }
RD_TARGET_AVX2 inline __m256i SubEpi16(__m256i a, __m256i b) { return _mm256_sub_epi16(a, b); }
RD_TARGET_AVX2 inline __m256i MulloEpi16(__m256i a, __m256i b) { return _mm256_mullo_epi16(a, b); }
RD_TARGET_AVX2 inline __m256i MulhiEpu16(__m256i a, __m256i b) { return _mm256_mulhi_epu16(a, b); }
RD_TARGET_AVX2 inline __m256i UnpackLoEpi8(__m256i a, __m256i b) { return _mm256_unpacklo_epi8(a, b); }
RD_TARGET_AVX2 inline __m256i UnpackHiEpi8(__m256i a, __m256i b) { return _mm256_unpackhi_epi8(a, b); }
RD_TARGET_AVX2 inline __m256i PackusEpi16(__m256i a, __m256i b) { return _mm256_packus_epi16(a, b); }
RD_TARGET_AVX2 inline __m256i CmpeqEpi8(__m256i a, __m256i b) { return _mm256_cmpeq_epi8(a, b); }
RD_TARGET_AVX2 inline __m256i CmpeqEpi32(__m256i a, __m256i b) { return _mm256_cmpeq_epi32(a, b); }
RD_TARGET_AVX2 inline bool AllSet(__m256i mask) { return _mm256_movemask_epi8(mask) == -1; }
RD_TARGET_AVX2 inline __m256i SpreadLane3(__m256i v) {
  return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(v, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
}
RD_TARGET_AVX2 inline __m256i SpreadLane0(__m256i v) {
  return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(v, _MM_SHUFFLE(0, 0, 0, 0)), _MM_SHUFFLE(0, 0, 0, 0));
}
RD_TARGET_AVX2 inline __m256i MaddEpi16(__m256i a, __m256i b) { return _mm256_madd_epi16(a, b); }
RD_TARGET_AVX2 inline __m256i SwapPairsEpi32(__m256i v) { return _mm256_shuffle_epi32(v, _MM_SHUFFLE(2, 3, 0, 1)); }
RD_TARGET_AVX2 inline __m256i AddEpi32(__m256i a, __m256i b) { return _mm256_add_epi32(a, b); }
RD_TARGET_AVX2 inline __m256i SrliEpi32By8(__m256i v) { return _mm256_srli_epi32(v, 8); }
RD_TARGET_AVX2 inline __m256i GreyWeights(__m256i) {
  return _mm256_setr_epi16(28, 151, 77, 0, 28, 151, 77, 0, 28, 151, 77, 0, 28, 151, 77, 0);
}
RD_TARGET_AVX2 inline __m256i ColourLanes(__m256i) {
  return _mm256_setr_epi16(-1, -1, -1, 0, -1, -1, -1, 0, -1, -1, -1, 0, -1, -1, -1, 0);
}

// The pixel arithmetic on top, written once for both widths. These and the
// kernel bodies built from them are always inlined into a function that
// carries the width's target attribute, so they compile with its instructions
// (and never pass a wide register across a call).
#define RD_ALWAYS_INLINE __attribute__((always_inline)) inline

// x div 255 rounded as the Mul table rounds, for x <= 255 * 255: with
// t = x + 128, (t * 257) >> 16 equals (t + (t >> 8)) >> 8 = (x + 127) div 255.
template <class V>
RD_ALWAYS_INLINE V Div255Epu16(V x) {
  return MulhiEpu16(AddEpi16(x, Set1Epi16<V>(128)), Set1Epi16<V>(257));
}

// Each pixel's alpha lane copied to all four of its lanes.
template <class V>
RD_ALWAYS_INLINE V SpreadAlphaEpu16(V v) {
  return SpreadLane3(v);
}

// (77 R + 151 G + 28 B) >> 8 of each pixel, in all four of its lanes.
template <class V>
RD_ALWAYS_INLINE V SpreadGreyEpu16(V v) {
  const V products = MaddEpi16(v, GreyWeights(v));
  return SpreadLane0(SrliEpi32By8(AddEpi32(products, SwapPairsEpi32(products))));
}

// 0xFFFF in the colour lanes, 0 in the alpha lanes.
template <class V>
RD_ALWAYS_INLINE V ColourLanesEpu16() {
  return ColourLanes(V{});
}

// Bits of `chosen` where the mask is set, of `other` elsewhere.
template <class V>
RD_ALWAYS_INLINE V SelectBits(V mask, V chosen, V other) {
  return Or(And(mask, chosen), AndNot(mask, other));
}

#endif
