#pragma once
// One row of bilinear samples in 17.15 fixed point, portable and vector
// variants equal bit for bit. For destination pixel i of [first, end):
//   x = Columns[i], x1 = min(x + 1, LastColumn), fx = Fractions[i]
//   wTR = fx (32768 - fy) >> 15, wTL = 32768 - fy - wTR,
//   wBR = fy fx >> 15,           wBL = fy - wBR
//   channel = (TL wTL + TR wTR + BL wBL + BR wBR) >> 15, for all four bytes.

#include <cstdint>

struct TBilinearRow {
  const uint8_t* Top;     // BGRA row y, indexed by source column
  const uint8_t* Bottom;  // BGRA row y + 1 (or y on the last row)
  const int32_t* Columns;
  const int32_t* Fractions;
  int32_t Fy;
  int32_t LastColumn;  // the picture's last column
};

// Writes out[4 i .. 4 i + 3] for i in [first, end), with the variant of the
// active SIMD level.
void BilinearRow(const TBilinearRow& row, int32_t first, int32_t end, uint8_t* out);

void BilinearRowPortable(const TBilinearRow& row, int32_t first, int32_t end, uint8_t* out);
void BilinearRowSse2(const TBilinearRow& row, int32_t first, int32_t end, uint8_t* out);
void BilinearRowAvx2(const TBilinearRow& row, int32_t first, int32_t end, uint8_t* out);
