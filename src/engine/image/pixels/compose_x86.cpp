#include "engine/image/pixels/simd_target.h"

#if RD_PIXELS_X86

#include "engine/image/pixels/compose_variants.h"
#include "engine/image/pixels/simd_pixel_ops.h"

// Four pixels per step, each channel widened to 16 bits. The destination
// alpha uses Union[Ad][a] = a + Mul[Ad][255 - a], so that the alpha lane
// follows the colour lanes' formula with the source value a and k = 255.

namespace {

struct TComposeConstants {
  __m128i Alpha;          // draw opacity in every lane
  __m128i ColourLanes;    // 0xFFFF in the colour lanes, 0 in the alpha lanes
  __m128i PremultipliedK; // Alpha in the colour lanes, 255 in the alpha lanes
};

// Two widened pixels composed; returns the widened result and sets `skip`
// (0xFFFF in every lane of a pixel whose a is 0).
RD_TARGET_SSE2 inline __m128i ComposeHalf(__m128i s, __m128i d, const TComposeConstants& c,
                                          const TComposeRowSetup& setup, __m128i& skip) {
  const __m128i a =
      setup.Alpha == 255 ? SpreadAlphaEpu16(s) : Div255Epu16(_mm_mullo_epi16(SpreadAlphaEpu16(s), c.Alpha));
  skip = _mm_cmpeq_epi16(a, _mm_setzero_si128());
  const __m128i colour = setup.Gray ? SpreadGreyEpu16(s) : s;
  const __m128i k = setup.Premultiplied ? c.PremultipliedK : SelectBits(c.ColourLanes, a, _mm_set1_epi16(255));
  const __m128i source = SelectBits(c.ColourLanes, colour, a);
  const __m128i inverse = _mm_sub_epi16(_mm_set1_epi16(255), a);
  return _mm_add_epi16(Div255Epu16(_mm_mullo_epi16(source, k)), Div255Epu16(_mm_mullo_epi16(d, inverse)));
}

}  // namespace

RD_TARGET_SSE2 void ComposeRowSse2(uint8_t* dest, const uint8_t* source, int32_t count,
                                   const TComposeRowSetup& setup) {
  const TComposeConstants c{_mm_set1_epi16(setup.Alpha), ColourLanesEpu16(),
                            _mm_setr_epi16(setup.Alpha, setup.Alpha, setup.Alpha, 255, setup.Alpha,
                                           setup.Alpha, setup.Alpha, 255)};
  const __m128i zero = _mm_setzero_si128();
  const __m128i colour_mask = _mm_set1_epi32(0x00FFFFFF);
  const __m128i key = _mm_set1_epi32(int32_t(setup.KeyBits));
  int32_t i = 0;
  for (; i + 4 <= count; i += 4, source += 16, dest += 16) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
    // Fully transparent runs are common in UI pictures and leave the destination as it is.
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_srli_epi32(s, 24), zero)) == 0xFFFF) continue;
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dest));
    __m128i skip_lo, skip_hi;
    const __m128i lo = ComposeHalf(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero), c, setup, skip_lo);
    const __m128i hi = ComposeHalf(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero), c, setup, skip_hi);
    const __m128i keyed = _mm_cmpeq_epi32(_mm_and_si128(s, colour_mask), key);
    const __m128i skip = _mm_or_si128(_mm_packs_epi16(skip_lo, skip_hi), keyed);
    const __m128i composed = _mm_packus_epi16(lo, hi);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dest),
                     SelectBits(skip, d, composed));
  }
  ComposeRowPortable(dest, source, count - i, setup);
}

#endif
