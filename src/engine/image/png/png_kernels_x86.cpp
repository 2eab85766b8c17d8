// SSE2 and SSSE3 variants of the codec kernels. Each function carries its own
// target attribute, so the file builds with the baseline flags of every build
// (the 32-bit one assumes no SSE2) and the variant is only called after the
// processor reported the level. Every loop ends in the scalar reference for
// the bytes a full vector step cannot take.

#include <cstring>

#include "engine/image/png/png_kernels.h"

#if defined(__i386__) || defined(__x86_64__)
#include <immintrin.h>

#define RD_SSE2 __attribute__((target("sse2")))
#define RD_SSSE3 __attribute__((target("ssse3")))

using namespace png_kernels_detail;

namespace {

// Built in a register: a 3-byte memcpy through the stack stalls store forwarding.
RD_SSE2 inline __m128i Load24(const uint8_t* p) {
  return _mm_cvtsi32_si128(int(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16));
}
RD_SSE2 inline void Store24(uint8_t* p, __m128i v) {
  const uint32_t x = uint32_t(_mm_cvtsi128_si32(v));
  p[0] = uint8_t(x);
  p[1] = uint8_t(x >> 8);
  p[2] = uint8_t(x >> 16);
}
RD_SSE2 inline __m128i Load32(const uint8_t* p) {
  int32_t v;
  std::memcpy(&v, p, 4);
  return _mm_cvtsi32_si128(v);
}
RD_SSE2 inline void Store32(uint8_t* p, __m128i v) {
  const int32_t x = _mm_cvtsi128_si32(v);
  std::memcpy(p, &x, 4);
}

// ---- unfilter -------------------------------------------------------------

// Sub is a running sum: a prefix sum over the pixels of one vector, plus the
// last pixel of the previous vector.
RD_SSE2 void Sub4Sse2(uint8_t* row, const uint8_t*, size_t n) {
  size_t i = 0;
  __m128i last = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
    x = _mm_add_epi8(x, _mm_slli_si128(x, 4));
    x = _mm_add_epi8(x, _mm_slli_si128(x, 8));
    x = _mm_add_epi8(x, last);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), x);
    last = _mm_shuffle_epi32(x, 0xFF);
  }
  UnfilterSubScalar(row, n, 4, i);
}

RD_SSE2 void Sub3Sse2(uint8_t* row, const uint8_t*, size_t n) {
  size_t i = 0;
  __m128i last = _mm_setzero_si128();
  const __m128i low24 = _mm_cvtsi32_si128(0xFFFFFF);
  for (; i + 16 <= n; i += 12) {  // four pixels per step, the 16-byte load stays inside the row
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
    x = _mm_add_epi8(x, _mm_slli_si128(x, 3));
    x = _mm_add_epi8(x, _mm_slli_si128(x, 6));
    x = _mm_add_epi8(x, last);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(row + i), x);
    Store32(row + i + 8, _mm_srli_si128(x, 8));
    __m128i p = _mm_and_si128(_mm_srli_si128(x, 9), low24);
    p = _mm_or_si128(p, _mm_slli_si128(p, 3));
    last = _mm_or_si128(p, _mm_slli_si128(p, 6));
  }
  UnfilterSubScalar(row, n, 3, i);
}

RD_SSE2 void UpSse2(uint8_t* row, const uint8_t* prior, size_t n) {
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prior + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), _mm_add_epi8(x, b));
  }
  for (; i < n; ++i) row[i] = uint8_t(row[i] + prior[i]);
}

// Average: x += floor((a + b) / 2); pavgb rounds up, so take the odd bit off.
template <int Bpp>
RD_SSE2 inline void AverageSse2(uint8_t* row, const uint8_t* prior, size_t n) {
  const __m128i one = _mm_set1_epi8(1);
  __m128i a = _mm_setzero_si128();
  for (size_t i = 0; i + Bpp <= n; i += Bpp) {
    const __m128i b = Bpp == 4 ? Load32(prior + i) : Load24(prior + i);
    const __m128i x = Bpp == 4 ? Load32(row + i) : Load24(row + i);
    const __m128i avg = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
    a = _mm_add_epi8(x, avg);
    if (Bpp == 4) Store32(row + i, a);
    else Store24(row + i, a);
  }
}
RD_SSE2 void Average3Sse2(uint8_t* row, const uint8_t* prior, size_t n) { AverageSse2<3>(row, prior, n); }
RD_SSE2 void Average4Sse2(uint8_t* row, const uint8_t* prior, size_t n) { AverageSse2<4>(row, prior, n); }

RD_SSE2 inline __m128i Abs16Sse2(__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v)); }
RD_SSSE3 inline __m128i Abs16Ssse3(__m128i v) { return _mm_abs_epi16(v); }

// Paeth on 16-bit lanes, one pixel per step: pa = |b - c|, pb = |a - c|,
// pc = |a + b - 2c|; a when pa is smallest, else b when pb <= pc, else c.
#define RD_PAETH_BODY(ABS)                                                                   \
  const __m128i zero = _mm_setzero_si128();                                                  \
  __m128i a = zero, c = zero;                                                                \
  for (size_t i = 0; i + Bpp <= n; i += Bpp) {                                               \
    const __m128i b = _mm_unpacklo_epi8(Bpp == 4 ? Load32(prior + i) : Load24(prior + i), zero); \
    const __m128i x = Bpp == 4 ? Load32(row + i) : Load24(row + i);                          \
    const __m128i bc = _mm_sub_epi16(b, c);                                                  \
    const __m128i ac = _mm_sub_epi16(a, c);                                                  \
    const __m128i pa = ABS(bc);                                                              \
    const __m128i pb = ABS(ac);                                                              \
    const __m128i pc = ABS(_mm_add_epi16(bc, ac));                                           \
    const __m128i not_a = _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc));   \
    const __m128i take_c = _mm_cmpgt_epi16(pb, pc);                                          \
    const __m128i bc_pick = _mm_or_si128(_mm_and_si128(take_c, c), _mm_andnot_si128(take_c, b)); \
    const __m128i pred = _mm_or_si128(_mm_and_si128(not_a, bc_pick), _mm_andnot_si128(not_a, a)); \
    const __m128i out = _mm_add_epi8(x, _mm_packus_epi16(pred, pred));                       \
    if (Bpp == 4) Store32(row + i, out);                                                     \
    else Store24(row + i, out);                                                              \
    a = _mm_unpacklo_epi8(out, zero);                                                        \
    c = b;                                                                                   \
  }

template <int Bpp>
RD_SSE2 inline void PaethSse2(uint8_t* row, const uint8_t* prior, size_t n) { RD_PAETH_BODY(Abs16Sse2) }
template <int Bpp>
RD_SSSE3 inline void PaethSsse3(uint8_t* row, const uint8_t* prior, size_t n) { RD_PAETH_BODY(Abs16Ssse3) }
#undef RD_PAETH_BODY

RD_SSE2 void Paeth3Sse2(uint8_t* row, const uint8_t* prior, size_t n) { PaethSse2<3>(row, prior, n); }
RD_SSE2 void Paeth4Sse2(uint8_t* row, const uint8_t* prior, size_t n) { PaethSse2<4>(row, prior, n); }
RD_SSSE3 void Paeth3Ssse3(uint8_t* row, const uint8_t* prior, size_t n) { PaethSsse3<3>(row, prior, n); }
RD_SSSE3 void Paeth4Ssse3(uint8_t* row, const uint8_t* prior, size_t n) { PaethSsse3<4>(row, prior, n); }

// ---- filter for saving ----------------------------------------------------

RD_SSE2 void FilterSubSse2(const uint8_t* row, uint8_t* out, size_t n, int bpp) {
  size_t i = 0;
  for (; i < n && i < size_t(bpp); ++i) out[i] = row[i];
  for (; i + 16 <= n; i += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i - bpp));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_sub_epi8(x, a));
  }
  for (; i < n; ++i) out[i] = uint8_t(row[i] - row[i - bpp]);
}

// ---- sample order ---------------------------------------------------------

// Swaps bytes 0 and 2 of every 32-bit lane.
RD_SSE2 void SwapRgbaSse2(const uint8_t* src, uint8_t* dst, size_t pixels) {
  const __m128i keep = _mm_set1_epi32(int(0xFF00FF00u));
  const __m128i swap = _mm_set1_epi32(0x00FF00FF);
  size_t i = 0;
  for (; i + 4 <= pixels; i += 4) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * i));
    __m128i rb = _mm_and_si128(x, swap);
    rb = _mm_shufflehi_epi16(_mm_shufflelo_epi16(rb, 0xB1), 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * i), _mm_or_si128(_mm_and_si128(x, keep), rb));
  }
  ScalarKernels().SwapRgba(src + 4 * i, dst + 4 * i, pixels - i);
}

RD_SSE2 void SplitGreyAlphaSse2(const uint8_t* src, uint8_t* grey, uint8_t* alpha, size_t pixels) {
  const __m128i low = _mm_set1_epi16(0x00FF);
  size_t i = 0;
  for (; i + 16 <= pixels; i += 16) {
    const __m128i x0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * i));
    const __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * i + 16));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(grey + i),
                     _mm_packus_epi16(_mm_and_si128(x0, low), _mm_and_si128(x1, low)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(alpha + i),
                     _mm_packus_epi16(_mm_srli_epi16(x0, 8), _mm_srli_epi16(x1, 8)));
  }
  ScalarKernels().SplitGreyAlpha(src + 2 * i, grey + i, alpha + i, pixels - i);
}

RD_SSSE3 void SwapRgbSsse3(const uint8_t* src, uint8_t* dst, size_t pixels) {
  // Five pixels per step; byte 15 is rewritten by the next step.
  const __m128i mask = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
  size_t i = 0;
  for (; 3 * i + 16 <= 3 * pixels; i += 5) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 3 * i), _mm_shuffle_epi8(x, mask));
  }
  ScalarKernels().SwapRgb(src + 3 * i, dst + 3 * i, pixels - i);
}

RD_SSSE3 void SwapRgbaSsse3(const uint8_t* src, uint8_t* dst, size_t pixels) {
  const __m128i mask = _mm_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15);
  size_t i = 0;
  for (; i + 4 <= pixels; i += 4) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * i), _mm_shuffle_epi8(x, mask));
  }
  ScalarKernels().SwapRgba(src + 4 * i, dst + 4 * i, pixels - i);
}

// Sixteen pixels per step: 64 bytes in, 48 bytes of B,G,R and 16 of alpha out.
RD_SSSE3 void SplitRgbaSsse3(const uint8_t* src, uint8_t* bgr, uint8_t* alpha, size_t pixels) {
  const __m128i m0 = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
  const __m128i m1a = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 2, 1, 0, 6);
  const __m128i m1b = _mm_setr_epi8(5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i m2a = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, 2, 1, 0, 6, 5, 4, 10, 9);
  const __m128i m2b = _mm_setr_epi8(8, 14, 13, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i m3 = _mm_setr_epi8(-1, -1, -1, -1, 2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12);
  size_t i = 0;
  for (; i + 16 <= pixels; i += 16) {
    const __m128i* s = reinterpret_cast<const __m128i*>(src + 4 * i);
    const __m128i p0 = _mm_loadu_si128(s), p1 = _mm_loadu_si128(s + 1);
    const __m128i p2 = _mm_loadu_si128(s + 2), p3 = _mm_loadu_si128(s + 3);
    __m128i* d = reinterpret_cast<__m128i*>(bgr + 3 * i);
    _mm_storeu_si128(d, _mm_or_si128(_mm_shuffle_epi8(p0, m0), _mm_shuffle_epi8(p1, m1a)));
    _mm_storeu_si128(d + 1, _mm_or_si128(_mm_shuffle_epi8(p1, m1b), _mm_shuffle_epi8(p2, m2a)));
    _mm_storeu_si128(d + 2, _mm_or_si128(_mm_shuffle_epi8(p2, m2b), _mm_shuffle_epi8(p3, m3)));
    const __m128i a01 = _mm_packs_epi32(_mm_srli_epi32(p0, 24), _mm_srli_epi32(p1, 24));
    const __m128i a23 = _mm_packs_epi32(_mm_srli_epi32(p2, 24), _mm_srli_epi32(p3, 24));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(alpha + i), _mm_packus_epi16(a01, a23));
  }
  ScalarKernels().SplitRgba(src + 4 * i, bgr + 3 * i, alpha + i, pixels - i);
}

// The inverse: sixteen pixels of B,G,R and alpha into R,G,B,A.
RD_SSSE3 void JoinBgrAlphaSsse3(const uint8_t* bgr, const uint8_t* alpha, uint8_t* dst, size_t pixels) {
  const __m128i mc = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
  const __m128i ma = _mm_setr_epi8(-1, -1, -1, 0, -1, -1, -1, 1, -1, -1, -1, 2, -1, -1, -1, 3);
  size_t i = 0;
  for (; i + 16 <= pixels; i += 16) {
    const __m128i* s = reinterpret_cast<const __m128i*>(bgr + 3 * i);
    const __m128i b0 = _mm_loadu_si128(s), b1 = _mm_loadu_si128(s + 1), b2 = _mm_loadu_si128(s + 2);
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(alpha + i));
    const __m128i groups[4] = {b0, _mm_alignr_epi8(b1, b0, 12), _mm_alignr_epi8(b2, b1, 8), _mm_srli_si128(b2, 4)};
    const __m128i alphas[4] = {a, _mm_srli_si128(a, 4), _mm_srli_si128(a, 8), _mm_srli_si128(a, 12)};
    __m128i* d = reinterpret_cast<__m128i*>(dst + 4 * i);
    for (int g = 0; g < 4; ++g)
      _mm_storeu_si128(d + g, _mm_or_si128(_mm_shuffle_epi8(groups[g], mc), _mm_shuffle_epi8(alphas[g], ma)));
  }
  ScalarKernels().JoinBgrAlpha(bgr + 3 * i, alpha + i, dst + 4 * i, pixels - i);
}

TPngKernels MakeSse2() {
  TPngKernels k = ScalarKernels();
  k.Sub3 = Sub3Sse2;
  k.Sub4 = Sub4Sse2;
  k.Up = UpSse2;
  k.Average3 = Average3Sse2;
  k.Average4 = Average4Sse2;
  k.Paeth3 = Paeth3Sse2;
  k.Paeth4 = Paeth4Sse2;
  k.FilterSub = FilterSubSse2;
  k.SwapRgba = SwapRgbaSse2;
  k.SplitGreyAlpha = SplitGreyAlphaSse2;
  return k;
}

TPngKernels MakeSsse3() {
  TPngKernels k = MakeSse2();
  k.Paeth3 = Paeth3Ssse3;
  k.Paeth4 = Paeth4Ssse3;
  k.SwapRgb = SwapRgbSsse3;
  k.SwapRgba = SwapRgbaSsse3;
  k.SplitRgba = SplitRgbaSsse3;
  k.JoinBgrAlpha = JoinBgrAlphaSsse3;
  return k;
}

}  // namespace

const TPngKernels* png_kernels_detail::Sse2Kernels() {
  static const TPngKernels kernels = MakeSse2();
  return &kernels;
}
const TPngKernels* png_kernels_detail::Ssse3Kernels() {
  static const TPngKernels kernels = MakeSsse3();
  return &kernels;
}

#else

const TPngKernels* png_kernels_detail::Sse2Kernels() { return nullptr; }
const TPngKernels* png_kernels_detail::Ssse3Kernels() { return nullptr; }

#endif
