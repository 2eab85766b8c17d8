#include "engine/image/pixels/compose.h"

#include "engine/image/pixels/compose_variants.h"
#include "engine/image/pixels/pixel_tables.h"
#include "engine/image/pixels/pixel_view.h"
#include "engine/image/pixels/simd_target.h"
#include "rtl/cpu_features.h"

void ComposeRowPortable(uint8_t* dest, const uint8_t* source, int32_t count, const TComposeRowSetup& setup) {
  const uint8_t* alpha_row = Mul[setup.Alpha];
  for (int32_t i = 0; i < count; ++i, dest += 4, source += 4) {
    const uint8_t a = alpha_row[source[3]];
    if (a == 0) continue;
    if (uint32_t(source[0] | source[1] << 8 | source[2] << 16) == setup.KeyBits) continue;
    const uint8_t k = setup.Premultiplied ? setup.Alpha : a;
    const uint8_t* keep = Mul[255 - a];
    if (setup.Gray) {
      const int grey = Mul[GrayValue(source[2], source[1], source[0])][k];
      for (int c = 0; c < 3; ++c) {
        const int v = grey + keep[dest[c]];
        dest[c] = uint8_t(v < 255 ? v : 255);
      }
    } else {
      for (int c = 0; c < 3; ++c) {
        const int v = Mul[source[c]][k] + keep[dest[c]];
        dest[c] = uint8_t(v < 255 ? v : 255);
      }
    }
    dest[3] = Union[dest[3]][a];
  }
}

void ComposeRow(uint8_t* dest, const uint8_t* source, int32_t count, const TComposeParams& params) {
  if (count <= 0 || params.Alpha == 0) return;
  const TComposeRowSetup setup{params.UseKey ? ColorToPixelBits(params.Key) : 0xFFFFFFFFu, params.Alpha,
                               params.Premultiplied, params.Gray};
#if RD_PIXELS_X86
  const TSimdLevel level = ActiveSimdLevel();
  if (level >= TSimdLevel::Avx2) return ComposeRowAvx2(dest, source, count, setup);
  if (level >= TSimdLevel::Sse2) return ComposeRowSse2(dest, source, count, setup);
#endif
  ComposeRowPortable(dest, source, count, setup);
}
