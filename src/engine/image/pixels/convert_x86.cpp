#include "engine/image/pixels/simd_target.h"

#if RD_PIXELS_X86

#include "engine/image/pixels/convert_variants.h"
#include "engine/image/pixels/simd_pixel_ops.h"


namespace {

// The options applied to four 32-bit pixels, as ConvertPixel does one.
struct TConvertConstants {
  __m128i Key;       // key bits in every pixel, or a value no pixel can have
  __m128i AlphaOnly; // 255 in each pixel's alpha lane (16-bit lanes), 0 elsewhere
  bool Keyed, Premultiply, Gray;
};

RD_TARGET_SSE2 inline __m128i ConvertHalf(__m128i v, const TConvertConstants& c) {
  if (c.Gray) v = SelectBits(ColourLanesEpu16<__m128i>(), SpreadGreyEpu16(v), v);
  if (c.Premultiply)
    v = Div255Epu16(_mm_mullo_epi16(v, SelectBits(ColourLanesEpu16<__m128i>(), SpreadAlphaEpu16(v), c.AlphaOnly)));
  return v;
}

RD_TARGET_SSE2 inline __m128i ConvertQuad(__m128i pixels, const TConvertConstants& c) {
  __m128i out = pixels;
  if (c.Gray || c.Premultiply) {
    const __m128i zero = _mm_setzero_si128();
    out = _mm_packus_epi16(ConvertHalf(_mm_unpacklo_epi8(pixels, zero), c),
                           ConvertHalf(_mm_unpackhi_epi8(pixels, zero), c));
  }
  if (c.Keyed) {
    const __m128i keyed = _mm_cmpeq_epi32(_mm_and_si128(pixels, _mm_set1_epi32(0x00FFFFFF)), c.Key);
    out = _mm_andnot_si128(keyed, out);
  }
  return out;
}

RD_TARGET_SSE2 inline TConvertConstants MakeConstants(const TConvertRowSetup& setup) {
  return TConvertConstants{_mm_set1_epi32(int32_t(setup.KeyBits)), _mm_setr_epi16(0, 0, 0, 255, 0, 0, 0, 255),
                           setup.KeyBits != 0xFFFFFFFFu, setup.Premultiply, setup.Gray};
}

}  // namespace

RD_TARGET_SSE2 void ConvertBgraRowSse2(uint8_t* dest, const uint8_t* bgra, int32_t count,
                                       const TConvertRowSetup& setup) {
  const TConvertConstants c = MakeConstants(setup);
  int32_t i = 0;
  for (; i + 4 <= count; i += 4, bgra += 16, dest += 16) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgra));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dest), ConvertQuad(pixels, c));
  }
  ConvertBgraRowPortable(dest, bgra, count - i, setup);
}

// Sixteen pixels per step: three 16-byte loads hold 16 24-bit pixels, cut
// into four groups of four and spread to 32 bits by byte shuffles; the
// alpha bytes are shuffled into place from one 16-byte load of the plane.
RD_TARGET_SSSE3 void ConvertBgrRowSsse3(uint8_t* dest, const uint8_t* bgr, const uint8_t* alpha, int32_t count,
                                        const TConvertRowSetup& setup) {
  const TConvertConstants c = MakeConstants(setup);
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m128i opaque = _mm_set1_epi32(int32_t(0xFF000000u));
  int32_t i = 0;
  for (; i + 16 <= count; i += 16, bgr += 48, dest += 64) {
    const __m128i s0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr));
    const __m128i s1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr + 16));
    const __m128i s2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr + 32));
    const __m128i groups[4] = {s0, _mm_alignr_epi8(s1, s0, 12), _mm_alignr_epi8(s2, s1, 8), _mm_srli_si128(s2, 4)};
    const __m128i a = alpha ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(alpha + i)) : _mm_setzero_si128();
    for (int g = 0; g < 4; ++g) {
      __m128i pixels = _mm_shuffle_epi8(groups[g], spread);
      if (alpha) {
        const char b = char(4 * g);
        const __m128i place = _mm_setr_epi8(-1, -1, -1, b, -1, -1, -1, char(b + 1), -1, -1, -1, char(b + 2), -1, -1,
                                            -1, char(b + 3));
        pixels = _mm_or_si128(pixels, _mm_shuffle_epi8(a, place));
      } else {
        pixels = _mm_or_si128(pixels, opaque);
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + 16 * g), ConvertQuad(pixels, c));
    }
  }
  ConvertBgrRowPortable(dest, bgr, alpha ? alpha + i : nullptr, count - i, setup);
}

#endif
