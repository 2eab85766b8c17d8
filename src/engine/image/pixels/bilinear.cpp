#include <algorithm>

#include "engine/image/pixels/bilinear_variants.h"
#include "engine/image/pixels/simd_target.h"
#include "rtl/cpu_features.h"

void BilinearRowPortable(const TBilinearRow& row, int32_t first, int32_t end, uint8_t* out) {
  const int32_t fy = row.Fy;
  for (int32_t i = first; i < end; ++i) {
    const int32_t x = row.Columns[i], x1 = std::min(x + 1, row.LastColumn), fx = row.Fractions[i];
    const uint8_t* tl = row.Top + 4 * size_t(x);
    const uint8_t* tr = row.Top + 4 * size_t(x1);
    const uint8_t* bl = row.Bottom + 4 * size_t(x);
    const uint8_t* br = row.Bottom + 4 * size_t(x1);
    const int32_t w_tr = fx * (32768 - fy) >> 15, w_tl = 32768 - fy - w_tr;
    const int32_t w_br = fy * fx >> 15, w_bl = fy - w_br;
    for (int c = 0; c < 4; ++c)
      out[4 * size_t(i) + size_t(c)] = uint8_t((tl[c] * w_tl + tr[c] * w_tr + bl[c] * w_bl + br[c] * w_br) >> 15);
  }
}

void BilinearRow(const TBilinearRow& row, int32_t first, int32_t end, uint8_t* out) {
#if RD_PIXELS_X86
  const TSimdLevel level = ActiveSimdLevel();
  if (level >= TSimdLevel::Avx2) return BilinearRowAvx2(row, first, end, out);
  if (level >= TSimdLevel::Sse2) return BilinearRowSse2(row, first, end, out);
#endif
  BilinearRowPortable(row, first, end, out);
}
