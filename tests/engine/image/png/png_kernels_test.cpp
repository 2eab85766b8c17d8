// Every SIMD variant against the scalar reference, on random rows whose bytes
// lean to 0x00 and 0xFF (where wrap-around and Paeth ties show).

#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "engine/image/png/png_format.h"
#include "engine/image/png/png_kernels.h"
#include "rtl/cpu_features.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes RandomBytes(std::mt19937& rng, size_t n) {
  Bytes b(n + 32);  // slack past the row, as the decoder's buffers have
  for (auto& v : b) {
    const unsigned r = rng() % 4;
    v = r == 0 ? 0 : r == 1 ? 255 : uint8_t(rng());
  }
  return b;
}

std::vector<TSimdLevel> WideLevels() {
  std::vector<TSimdLevel> levels;
  for (TSimdLevel l : {TSimdLevel::Sse2, TSimdLevel::Ssse3})
    if (l <= DetectedSimdLevel()) levels.push_back(l);
  return levels;
}

TEST(PngKernels, UnfilterVariantsMatchTheScalarReference) {
  const TPngKernels& scalar = PngKernelsFor(TSimdLevel::Scalar);
  std::mt19937 rng(1);
  for (TSimdLevel level : WideLevels()) {
    const TPngKernels& wide = PngKernelsFor(level);
    for (int bpp : {3, 4})
      for (uint8_t filter = 1; filter <= 4; ++filter)
        for (int round = 0; round < 200; ++round) {
          const size_t n = size_t(bpp) * (rng() % 70);
          const Bytes prior = RandomBytes(rng, n);
          Bytes expected = RandomBytes(rng, n);
          Bytes got = expected;
          ASSERT_TRUE(UnfilterRow(scalar, filter, expected.data(), prior.data(), n, bpp));
          ASSERT_TRUE(UnfilterRow(wide, filter, got.data(), prior.data(), n, bpp));
          ASSERT_EQ(got, expected) << SimdLevelName(level) << " filter " << int(filter) << " bpp " << bpp << " n " << n;
        }
  }
}

TEST(PngKernels, SampleOrderVariantsMatchTheScalarReference) {
  const TPngKernels& scalar = PngKernelsFor(TSimdLevel::Scalar);
  std::mt19937 rng(2);
  for (TSimdLevel level : WideLevels()) {
    SCOPED_TRACE(SimdLevelName(level));
    const TPngKernels& wide = PngKernelsFor(level);
    for (int round = 0; round < 200; ++round) {
      const size_t px = rng() % 90;
      const Bytes src = RandomBytes(rng, 4 * px), alpha_in = RandomBytes(rng, px);
      Bytes a(4 * px + 32, 0xCD), b = a, a2(px + 32, 0xCD), b2 = a2;
      scalar.SwapRgb(src.data(), a.data(), px);
      wide.SwapRgb(src.data(), b.data(), px);
      ASSERT_EQ(a, b) << "SwapRgb " << px;
      scalar.SwapRgba(src.data(), a.data(), px);
      wide.SwapRgba(src.data(), b.data(), px);
      ASSERT_EQ(a, b) << "SwapRgba " << px;
      scalar.SplitRgba(src.data(), a.data(), a2.data(), px);
      wide.SplitRgba(src.data(), b.data(), b2.data(), px);
      ASSERT_EQ(a, b) << "SplitRgba " << px;
      ASSERT_EQ(a2, b2) << "SplitRgba alpha " << px;
      scalar.JoinBgrAlpha(src.data(), alpha_in.data(), a.data(), px);
      wide.JoinBgrAlpha(src.data(), alpha_in.data(), b.data(), px);
      ASSERT_EQ(a, b) << "JoinBgrAlpha " << px;
      scalar.SplitGreyAlpha(src.data(), a.data(), a2.data(), px);
      wide.SplitGreyAlpha(src.data(), b.data(), b2.data(), px);
      ASSERT_EQ(a, b) << "SplitGreyAlpha " << px;
      ASSERT_EQ(a2, b2) << "SplitGreyAlpha alpha " << px;
      for (int bpp : {1, 2, 3, 4, 6, 8}) {
        scalar.FilterSub(src.data(), a.data(), 4 * px, bpp);
        wide.FilterSub(src.data(), b.data(), 4 * px, bpp);
        ASSERT_EQ(a, b) << "FilterSub bpp " << bpp;
      }
    }
  }
}

// The reference itself, on hand-worked rows: what Sub, Up, Average and Paeth undo.
TEST(PngKernels, ScalarUnfilterUndoesEachFilter) {
  const TPngKernels& k = PngKernelsFor(TSimdLevel::Scalar);
  const Bytes prior = {10, 20, 30, 40, 250, 60};
  struct {
    uint8_t Filter;
    Bytes Row, Expected;
  } cases[] = {
      {1, {1, 2, 3, 4, 5, 6}, {1, 2, 3, 5, 7, 9}},                 // + left
      {2, {1, 2, 3, 4, 10, 6}, {11, 22, 33, 44, 4, 66}},          // + above, wrapping
      {3, {1, 2, 3, 4, 5, 6}, {6, 12, 18, 27, 136, 45}},           // + (left + above) / 2
      {4, {1, 2, 3, 4, 5, 6}, {11, 22, 33, 44, 255, 66}},          // + nearest of left, above, upper-left
  };
  for (auto& c : cases) {
    Bytes row = c.Row;
    ASSERT_TRUE(UnfilterRow(k, c.Filter, row.data(), prior.data(), row.size(), 3));
    EXPECT_EQ(row, c.Expected) << "filter " << int(c.Filter);
  }
  Bytes row = {1};
  EXPECT_FALSE(UnfilterRow(k, 5, row.data(), prior.data(), 1, 1));
}

}  // namespace
