#include "engine/image/pixels/simd_target.h"

#if RD_PIXELS_X86

#include "engine/image/pixels/convert_variants.h"
#include "engine/image/pixels/simd_pixel_ops.h"


namespace {

// The options applied to a register of 32-bit pixels, as ConvertPixel does
// one pixel.
struct TConvertFlags {
  uint32_t KeyBits;
  bool Keyed, Premultiply, Gray;
};

inline TConvertFlags Flags(const TConvertRowSetup& setup) {
  return {setup.KeyBits, setup.KeyBits != 0xFFFFFFFFu, setup.Premultiply, setup.Gray};
}

template <class V>
RD_ALWAYS_INLINE V ConvertHalf(V v, const TConvertFlags& f) {
  const V colour_lanes = ColourLanesEpu16<V>();
  if (f.Gray) v = SelectBits(colour_lanes, SpreadGreyEpu16(v), v);
  // Colours times alpha, the alpha lane times 255 (which keeps it).
  if (f.Premultiply)
    v = Div255Epu16(MulloEpi16(v, SelectBits(colour_lanes, SpreadAlphaEpu16(v), Set1Epi16<V>(255))));
  return v;
}

template <class V>
RD_ALWAYS_INLINE V ConvertRegister(V pixels, const TConvertFlags& f) {
  V out = pixels;
  if (f.Gray || f.Premultiply) {
    const V zero = Zero<V>();
    out = PackusEpi16(ConvertHalf(UnpackLoEpi8(pixels, zero), f), ConvertHalf(UnpackHiEpi8(pixels, zero), f));
  }
  if (f.Keyed) {
    const V keyed = CmpeqEpi32(And(pixels, Set1Epi32<V>(0x00FFFFFF)), Set1Epi32<V>(int32_t(f.KeyBits)));
    out = AndNot(keyed, out);
  }
  return out;
}

}  // namespace

RD_TARGET_SSE2 void ConvertBgraRowSse2(uint8_t* dest, const uint8_t* bgra, int32_t count,
                                       const TConvertRowSetup& setup) {
  const TConvertFlags flags = Flags(setup);
  int32_t i = 0;
  for (; i + 4 <= count; i += 4, bgra += 16, dest += 16)
    StorePixels(dest, ConvertRegister(LoadPixels<__m128i>(bgra), flags));
  ConvertBgraRowPortable(dest, bgra, count - i, setup);
}

// Sixteen pixels per step: three 16-byte loads hold 16 24-bit pixels, cut
// into four groups of four and spread to 32 bits by byte shuffles; the
// alpha bytes are shuffled into place from one 16-byte load of the plane.
RD_TARGET_SSSE3 void ConvertBgrRowSsse3(uint8_t* dest, const uint8_t* bgr, const uint8_t* alpha, int32_t count,
                                        const TConvertRowSetup& setup) {
  const TConvertFlags flags = Flags(setup);
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
      StorePixels(dest + 16 * g, ConvertRegister(pixels, flags));
    }
  }
  ConvertBgrRowPortable(dest, bgr, alpha ? alpha + i : nullptr, count - i, setup);
}

// Eight pixels per step: two 16-byte loads twelve bytes apart hold four
// pixels each at their start, spread to 32 bits by one shuffle per half; the
// alpha bytes are widened from one 8-byte load of the plane. The loads reach
// four bytes past the eighth pixel, so the loop stops ten pixels before the
// row's end and leaves the rest to the narrower variant.
RD_TARGET_AVX2 void ConvertBgrRowAvx2(uint8_t* dest, const uint8_t* bgr, const uint8_t* alpha, int32_t count,
                                      const TConvertRowSetup& setup) {
  const TConvertFlags flags = Flags(setup);
  const __m256i spread = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 0, 1, 2, -1, 3, 4,
                                          5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m256i opaque = _mm256_set1_epi32(int32_t(0xFF000000u));
  int32_t i = 0;
  for (; i + 10 <= count; i += 8, bgr += 24, dest += 32) {
    const __m256i halves = _mm256_set_m128i(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr + 12)),
                                            _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr)));
    __m256i pixels = _mm256_shuffle_epi8(halves, spread);
    if (alpha)
      pixels = _mm256_or_si256(
          pixels, _mm256_slli_epi32(
                      _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(alpha + i))), 24));
    else
      pixels = _mm256_or_si256(pixels, opaque);
    StorePixels(dest, ConvertRegister(pixels, flags));
  }
  ConvertBgrRowSsse3(dest, bgr, alpha ? alpha + i : nullptr, count - i, setup);
}

// Eight 32-bit pixels per step.
RD_TARGET_AVX2 void ConvertBgraRowAvx2(uint8_t* dest, const uint8_t* bgra, int32_t count,
                                       const TConvertRowSetup& setup) {
  const TConvertFlags flags = Flags(setup);
  int32_t i = 0;
  for (; i + 8 <= count; i += 8, bgra += 32, dest += 32)
    StorePixels(dest, ConvertRegister(LoadPixels<__m256i>(bgra), flags));
  ConvertBgraRowSse2(dest, bgra, count - i, setup);
}

#endif
