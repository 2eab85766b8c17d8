#include "engine/image/pixels/simd_target.h"

#if RD_PIXELS_X86

#include "engine/image/pixels/compose_variants.h"
#include "engine/image/pixels/simd_pixel_ops.h"


// Four (SSE2) or eight (AVX2) pixels per step, each channel widened to 16
// bits, one instance per combination of options so that the loop carries only
// what it needs.
//
//   straight:       Cd = Mul[Cs][a] + Mul[Cd][255 - a]; with the source's alpha
//                   lane set to 255 the same product gives Mul[255][a] = a there;
//   premultiplied:  Mul[Cs][Alpha] on every lane gives the colours and, on the
//                   alpha lane, Mul[As][Alpha] = a itself;
// and the destination alpha Union[Ad][a] = a + Mul[Ad][255 - a], so that the
// alpha lane follows the colour lanes' sum.

namespace {

template <class V, bool kPremultiplied, bool kFullAlpha, bool kGray>
RD_ALWAYS_INLINE V ComposeHalf(V s, V d, V alpha, V& a) {
  const V colour_lanes = ColourLanesEpu16<V>();
  if (kGray) s = SelectBits(colour_lanes, SpreadGreyEpu16(s), s);
  V source_term;
  if (kPremultiplied) {
    source_term = kFullAlpha ? s : Div255Epu16(MulloEpi16(s, alpha));
    a = SpreadAlphaEpu16(source_term);
  } else {
    a = kFullAlpha ? SpreadAlphaEpu16(s) : Div255Epu16(MulloEpi16(SpreadAlphaEpu16(s), alpha));
    const V opaque_alpha_lane = AndNot(colour_lanes, Set1Epi16<V>(255));
    source_term = Div255Epu16(MulloEpi16(Or(s, opaque_alpha_lane), a));
  }
  const V kept = Div255Epu16(MulloEpi16(d, SubEpi16(Set1Epi16<V>(255), a)));
  return AddEpi16(source_term, kept);
}

// Composes the whole vectors of the row and returns how many pixels it did.
template <class V, bool kPremultiplied, bool kFullAlpha, bool kGray, bool kKeyed>
RD_ALWAYS_INLINE int32_t ComposeVectors(uint8_t* dest, const uint8_t* source, int32_t count,
                                        const TComposeRowSetup& setup) {
  constexpr int32_t kPixels = int32_t(sizeof(V) / 4);
  const V zero = Zero<V>();
  const V alpha_bytes = Set1Epi32<V>(int32_t(0xFF000000u));
  const V alpha = Set1Epi16<V>(setup.Alpha);
  const V key = Set1Epi32<V>(int32_t(setup.KeyBits));
  int32_t i = 0;
  for (; i + kPixels <= count; i += kPixels, source += 4 * kPixels, dest += 4 * kPixels) {
    const V s = LoadPixels<V>(source);
    const V source_alpha = And(s, alpha_bytes);
    // Runs of fully transparent pixels leave the destination as it is, runs of
    // opaque ones (at full opacity) replace it; both are common in UI pictures.
    if (AllSet(CmpeqEpi32(source_alpha, zero))) continue;
    if (kFullAlpha && !kGray && !kKeyed && AllSet(CmpeqEpi32(source_alpha, alpha_bytes))) {
      StorePixels(dest, s);
      continue;
    }
    const V keyed = kKeyed ? CmpeqEpi32(AndNot(alpha_bytes, s), key) : zero;
    const V d = LoadPixels<V>(dest);
    V a_lo, a_hi;
    const V lo = ComposeHalf<V, kPremultiplied, kFullAlpha, kGray>(UnpackLoEpi8(s, zero), UnpackLoEpi8(d, zero),
                                                                    alpha, a_lo);
    const V hi = ComposeHalf<V, kPremultiplied, kFullAlpha, kGray>(UnpackHiEpi8(s, zero), UnpackHiEpi8(d, zero),
                                                                    alpha, a_hi);
    // a = 0 leaves the pixel (a premultiplied colour may still be non-zero
    // there); a is in all four lanes of its pixel, so the byte compare marks
    // whole pixels.
    const V skip = Or(CmpeqEpi8(PackusEpi16(a_lo, a_hi), zero), keyed);
    StorePixels(dest, SelectBits(skip, d, PackusEpi16(lo, hi)));
  }
  return i;
}

template <bool kPremultiplied, bool kFullAlpha, bool kGray, bool kKeyed>
RD_TARGET_SSE2 void ComposeSse2As(uint8_t* dest, const uint8_t* source, int32_t count,
                                  const TComposeRowSetup& setup) {
  const int32_t done = ComposeVectors<__m128i, kPremultiplied, kFullAlpha, kGray, kKeyed>(dest, source, count, setup);
  ComposeRowPortable(dest + 4 * done, source + 4 * done, count - done, setup);
}

template <bool kPremultiplied, bool kFullAlpha, bool kGray, bool kKeyed>
RD_TARGET_AVX2 void ComposeAvx2As(uint8_t* dest, const uint8_t* source, int32_t count,
                                  const TComposeRowSetup& setup) {
  int32_t done = ComposeVectors<__m256i, kPremultiplied, kFullAlpha, kGray, kKeyed>(dest, source, count, setup);
  // Four of the remaining seven at most, with the narrower registers.
  done += ComposeVectors<__m128i, kPremultiplied, kFullAlpha, kGray, kKeyed>(dest + 4 * done, source + 4 * done,
                                                                             count - done, setup);
  ComposeRowPortable(dest + 4 * done, source + 4 * done, count - done, setup);
}

using TComposeRowFn = void (*)(uint8_t*, const uint8_t*, int32_t, const TComposeRowSetup&);

// The instance for the row's options, of the SSE2 or the AVX2 kernel.
template <bool kWide, bool... kFlags>
TComposeRowFn Pick(const TComposeRowSetup&) requires(sizeof...(kFlags) == 4) {
  if constexpr (kWide) return ComposeAvx2As<kFlags...>;
  else return ComposeSse2As<kFlags...>;
}

template <bool kWide, bool... kFlags>
TComposeRowFn Pick(const TComposeRowSetup& setup) requires(sizeof...(kFlags) < 4) {
  constexpr size_t kNext = sizeof...(kFlags);
  const bool flag = kNext == 0   ? setup.Premultiplied
                    : kNext == 1 ? setup.Alpha == 255
                    : kNext == 2 ? setup.Gray
                                 : setup.KeyBits != 0xFFFFFFFFu;
  return flag ? Pick<kWide, kFlags..., true>(setup) : Pick<kWide, kFlags..., false>(setup);
}

}  // namespace

void ComposeRowSse2(uint8_t* dest, const uint8_t* source, int32_t count, const TComposeRowSetup& setup) {
  Pick<false>(setup)(dest, source, count, setup);
}

void ComposeRowAvx2(uint8_t* dest, const uint8_t* source, int32_t count, const TComposeRowSetup& setup) {
  Pick<true>(setup)(dest, source, count, setup);
}

#endif
