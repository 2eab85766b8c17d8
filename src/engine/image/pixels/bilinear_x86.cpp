#include "engine/image/pixels/simd_target.h"

#if RD_PIXELS_X86

#include <algorithm>
#include <cstring>

#include "engine/image/pixels/bilinear_variants.h"
#include "engine/image/pixels/simd_pixel_ops.h"

// Each pixel's channels as 16-bit pairs (TL, TR) and (BL, BR) multiplied and
// added in one step each (pmaddwd). wTL can be 32768, one more than a signed
// 16-bit weight holds, but it is never below 1 (wTR < 32768 - fy), so the
// sum is taken as (wTL - 1) TL + wTR TR + wBL BL + wBR BR + TL.

namespace {

inline uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

struct TPixelWeights {
  int32_t Upper;  // (wTL - 1) | wTR << 16
  int32_t Lower;  // wBL | wBR << 16
};

inline TPixelWeights Weights(int32_t fx, int32_t fy) {
  const int32_t w_tr = fx * (32768 - fy) >> 15, w_tl = 32768 - fy - w_tr;
  const int32_t w_br = fy * fx >> 15, w_bl = fy - w_br;
  return {(w_tl - 1) | w_tr << 16, w_bl | w_br << 16};
}

// The four neighbours of pixel i, each as 32 bits.
struct TNeighbours {
  uint32_t tl, tr, bl, br;
};

inline TNeighbours Neighbours(const TBilinearRow& row, int32_t i) {
  const int32_t x = row.Columns[i], x1 = std::min(x + 1, row.LastColumn);
  return {Load32(row.Top + 4 * size_t(x)), Load32(row.Top + 4 * size_t(x1)), Load32(row.Bottom + 4 * size_t(x)),
          Load32(row.Bottom + 4 * size_t(x1))};
}

// Channel sums of one pixel (SSE2, four 32-bit lanes) before the shift.
RD_TARGET_SSE2 inline __m128i PixelSums(const TNeighbours& n, const TPixelWeights& w) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i upper = _mm_unpacklo_epi8(
      _mm_unpacklo_epi8(_mm_cvtsi32_si128(int32_t(n.tl)), _mm_cvtsi32_si128(int32_t(n.tr))), zero);
  const __m128i lower = _mm_unpacklo_epi8(
      _mm_unpacklo_epi8(_mm_cvtsi32_si128(int32_t(n.bl)), _mm_cvtsi32_si128(int32_t(n.br))), zero);
  const __m128i sums = _mm_add_epi32(_mm_madd_epi16(upper, _mm_set1_epi32(w.Upper)),
                                     _mm_madd_epi16(lower, _mm_set1_epi32(w.Lower)));
  return _mm_add_epi32(sums, _mm_and_si128(upper, _mm_set1_epi32(0xFFFF)));
}

}  // namespace

RD_TARGET_SSE2 void BilinearRowSse2(const TBilinearRow& row, int32_t first, int32_t end, uint8_t* out) {
  int32_t i = first;
  for (; i + 2 <= end; i += 2) {
    const __m128i a = _mm_srli_epi32(PixelSums(Neighbours(row, i), Weights(row.Fractions[i], row.Fy)), 15);
    const __m128i b =
        _mm_srli_epi32(PixelSums(Neighbours(row, i + 1), Weights(row.Fractions[i + 1], row.Fy)), 15);
    const __m128i words = _mm_packs_epi32(a, b);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 4 * size_t(i)), _mm_packus_epi16(words, words));
  }
  BilinearRowPortable(row, i, end, out);
}

// One pixel's two horizontal neighbours (x, x1) as eight bytes: one 8-byte
// load except at the picture's last column, where the right neighbour is the
// pixel itself.
RD_TARGET_AVX2 inline __m128i PairBytes(const uint8_t* row, int32_t x, int32_t last_column) {
  return x < last_column ? _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + 4 * size_t(x)))
                         : _mm_set1_epi32(int32_t(Load32(row + 4 * size_t(x))));
}

// The pairs of two pixels, one per 128-bit half, widened and interleaved by
// one shuffle into 16-bit (left, right) words per channel.
RD_TARGET_AVX2 inline __m256i PairWords(const uint8_t* row, int32_t x0, int32_t x1, int32_t last_column) {
  const __m256i bytes =
      _mm256_inserti128_si256(_mm256_castsi128_si256(PairBytes(row, x0, last_column)), PairBytes(row, x1, last_column), 1);
  return _mm256_shuffle_epi8(bytes, _mm256_setr_epi8(0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1, 0, -1, 4,
                                                     -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1));
}

RD_TARGET_AVX2 void BilinearRowAvx2(const TBilinearRow& row, int32_t first, int32_t end, uint8_t* out) {
  int32_t i = first;
  const __m256i low_words = _mm256_set1_epi32(0xFFFF);
  const __m256i fy = _mm256_set1_epi32(row.Fy);
  const __m256i one_minus_fy = _mm256_set1_epi32(32768 - row.Fy);
  for (; i + 4 <= end; i += 4) {
    // The weights of the four pixels at once, laid out as in Weights().
    const __m128i fx4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row.Fractions + i));
    const __m256i fx = _mm256_castsi128_si256(fx4);
    const __m256i w_tr = _mm256_srli_epi32(_mm256_mullo_epi32(fx, one_minus_fy), 15);
    const __m256i w_tl = _mm256_sub_epi32(one_minus_fy, w_tr);
    const __m256i w_br = _mm256_srli_epi32(_mm256_mullo_epi32(fx, fy), 15);
    const __m256i w_bl = _mm256_sub_epi32(fy, w_br);
    const __m256i upper_weights =
        _mm256_or_si256(_mm256_sub_epi32(w_tl, _mm256_set1_epi32(1)), _mm256_slli_epi32(w_tr, 16));
    const __m256i lower_weights = _mm256_or_si256(w_bl, _mm256_slli_epi32(w_br, 16));
    __m256i sums[2];
    for (int half = 0; half < 2; ++half) {
      const int32_t p = i + 2 * half;
      const int32_t x0 = row.Columns[p], x1 = row.Columns[p + 1];
      const __m256i upper = PairWords(row.Top, x0, x1, row.LastColumn);
      const __m256i lower = PairWords(row.Bottom, x0, x1, row.LastColumn);
      // Pixel p's weights in the low half, p + 1's in the high half.
      const __m256i spread = _mm256_setr_epi32(2 * half, 2 * half, 2 * half, 2 * half, 2 * half + 1, 2 * half + 1,
                                               2 * half + 1, 2 * half + 1);
      sums[half] = _mm256_srli_epi32(
          _mm256_add_epi32(
              _mm256_add_epi32(_mm256_madd_epi16(upper, _mm256_permutevar8x32_epi32(upper_weights, spread)),
                               _mm256_madd_epi16(lower, _mm256_permutevar8x32_epi32(lower_weights, spread))),
              _mm256_and_si256(upper, low_words)),
          15);
    }
    // Halves hold pixels [i | i+1] and [i+2 | i+3]; packing pairs them per
    // 128-bit half as (i, i+2 | i+1, i+3), put back in order by the permute.
    const __m256i words = _mm256_packs_epi32(sums[0], sums[1]);
    const __m256i bytes = _mm256_packus_epi16(words, words);
    const __m256i ordered = _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 0, 0, 0, 0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * size_t(i)), _mm256_castsi256_si128(ordered));
  }
  BilinearRowSse2(row, i, end, out);
}

#endif
