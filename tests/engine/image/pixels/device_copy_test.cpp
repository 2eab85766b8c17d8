#include "engine/image/pixels/device_copy.h"

#include <gtest/gtest.h>

#include <vector>

TEST(FixAlphaAfterGdi, InvertsOrFillsAlphaInsideTheClippedRectangle) {
  // 3 x 2 pixels; alpha 0 where device drawing wrote, 255 elsewhere.
  const std::vector<uint8_t> start = {1, 2, 3, 0,   4, 5, 6, 255,   7, 8, 9, 0,
                                      1, 2, 3, 100, 4, 5, 6, 0,     7, 8, 9, 255};
  struct TCase {
    int32_t x, y, w, h;
    bool copy_source;
    std::vector<uint8_t> alphas;
  };
  const TCase cases[] = {
      {0, 0, 3, 2, false, {255, 0, 255, 155, 255, 0}},
      {0, 0, 3, 2, true, {255, 255, 255, 255, 255, 255}},
      {-5, 1, 7, 9, false, {0, 255, 0, 155, 255, 255}},  // clipped to the first two columns of row 1
      {3, 0, 1, 1, true, {0, 255, 0, 100, 0, 255}},        // beside the surface: nothing
  };
  for (const TCase& c : cases) {
    std::vector<uint8_t> pixels = start;
    FixAlphaAfterGdiPixels({pixels.data(), 3, 2, 12, TPixelLayout::Bgra32}, c.x, c.y, c.w, c.h, c.copy_source);
    std::vector<uint8_t> expected = start;
    for (size_t i = 0; i < 6; ++i) expected[4 * i + 3] = c.alphas[i];
    EXPECT_EQ(pixels, expected) << c.x << "," << c.y;
  }
}

TEST(StretchCopyPixels, NearestNeighbourWithDeviceAlpha) {
  // 2 x 1 24-bit source doubled into a 4 x 2 surface: columns 0,0,1,1, alpha 0.
  uint8_t source[6] = {10, 11, 12, 20, 21, 22};
  std::vector<uint8_t> dest(4 * 8, 0xEE);
  const TPixelView surface{dest.data(), 4, 2, 16, TPixelLayout::Bgra32};
  StretchCopyPixels(surface, 0, 0, 4, 2, {source, 2, 1, 6, TPixelLayout::Bgr24}, 0, 0, 2, 1);
  const std::vector<uint8_t> row = {10, 11, 12, 0, 10, 11, 12, 0, 20, 21, 22, 0, 20, 21, 22, 0};
  EXPECT_EQ(std::vector<uint8_t>(dest.begin(), dest.begin() + 16), row);
  EXPECT_EQ(std::vector<uint8_t>(dest.begin() + 16, dest.end()), row);
  // A 32-bit source keeps its alpha; a destination rectangle hanging off the
  // surface is cut, a source column beyond the picture is left out.
  uint8_t source32[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  std::vector<uint8_t> dest2(4 * 8, 0xEE);
  StretchCopyPixels({dest2.data(), 4, 2, 16, TPixelLayout::Bgra32}, 2, 1, 4, 4, {source32, 2, 1, 8, TPixelLayout::Bgra32},
                    1, 0, 2, 1);
  std::vector<uint8_t> expected(4 * 8, 0xEE);
  for (int i : {6, 7})
    for (int c = 0; c < 4; ++c) expected[4 * size_t(i) + size_t(c)] = uint8_t(5 + c);
  EXPECT_EQ(dest2, expected);
}
