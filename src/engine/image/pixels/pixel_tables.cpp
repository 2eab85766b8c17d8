#include "engine/image/pixels/pixel_tables.h"

namespace {

template <class Cell>
consteval TByteTable MakeTable(Cell cell) {
  TByteTable t{};
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b) t.Cells[a][b] = uint8_t(cell(a, b));
  return t;
}

}  // namespace

const TByteTable Mul = MakeTable([](int a, int b) { return (a * b + 127) / 255; });
const TByteTable MulTrunc = MakeTable([](int a, int b) { return a * b / 255; });
const TByteTable Union = MakeTable([](int a, int b) { return 255 - ((255 - a) * (255 - b) + 127) / 255; });
const TByteTable Div = MakeTable([](int a, int v) {
  if (a == 0) return 0;
  const int q = (v * 255 + a / 2) / a;
  return q < 255 ? q : 255;
});
