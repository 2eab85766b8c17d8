#include "engine/image/pixels/convert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/image/pixels/pixel_tables.h"
#include "pixel_test_support.h"
#include "rtl/exceptions.h"

namespace {

TPixelView View(std::vector<uint8_t>& bytes, int32_t width, int32_t height, TPixelLayout layout) {
  const ptrdiff_t stride = (int64_t(width) * BitsPerPixel(layout) + 7) / 8;
  bytes.resize(size_t(stride) * size_t(height));
  return TPixelView{bytes.data(), width, height, stride, layout};
}

std::vector<TConvertOptions> OptionGrid() {
  std::vector<TConvertOptions> grid;
  for (bool premultiply : {false, true})
    for (bool gray : {false, true})
      for (bool key : {false, true}) grid.push_back({premultiply, gray, key, 0x0000FFu});
  return grid;
}

}  // namespace

TEST(ConvertPixels, OptionsOnOnePixel) {
  TSimdLevelLimit scalar(TSimdLevel::Scalar);
  struct TCase {
    const char* name;
    uint8_t bgr[3];
    uint8_t alpha;
    TConvertOptions options;
    uint8_t expected[4];
  };
  const TCase cases[] = {
      {"plain", {10, 20, 30}, 128, {}, {10, 20, 30, 128}},
      {"premultiplied", {200, 100, 0}, 128, {true}, {100, 50, 0, 128}},
      {"grey", {0, 0, 255}, 128, {false, true}, {76, 76, 76, 128}},
      {"grey premultiplied", {0, 0, 255}, 128, {true, true}, {38, 38, 38, 128}},
      {"keyed pixel becomes 0", {0, 0, 255}, 128, {false, false, true, 0x0000FF}, {0, 0, 0, 0}},
      {"key compares the colour before grey", {0, 0, 255}, 9, {true, true, true, 0x0000FF}, {0, 0, 0, 0}},
      {"other colours pass the key", {1, 0, 255}, 255, {false, false, true, 0x0000FF}, {1, 0, 255, 255}},
  };
  for (const TCase& c : cases) {
    uint8_t bgr[3], alpha = c.alpha, out[4] = {9, 9, 9, 9};
    std::memcpy(bgr, c.bgr, 3);
    TPictureSource source;
    source.Pixels = {bgr, 1, 1, 3, TPixelLayout::Bgr24};
    source.Alpha = {&alpha, 1};
    ConvertPixels({out, 1, 1, 4, TPixelLayout::Bgra32}, 0, 0, source, 0, 0, 1, 1, c.options);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 4), std::vector<uint8_t>(c.expected, c.expected + 4)) << c.name;
  }
}

TEST(ConvertPixels, PaletteGreyAndLayouts) {
  // 2-bit indices 0..3 in one byte, through a palette whose entry 1 is half transparent.
  uint8_t indexed = 0b00011011;  // 0, 1, 2, 3
  const uint8_t palette[16] = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0};
  const uint8_t trns[2] = {255, 128};
  TPictureSource source;
  source.Pixels = {&indexed, 4, 1, 1, TPixelLayout::Indexed2};
  source.Palette = palette;
  source.PaletteAlpha = trns;
  source.PaletteAlphaCount = 2;
  std::vector<uint8_t> out;
  const TPixelView dest = View(out, 4, 1, TPixelLayout::Bgra32);
  ConvertPixels(dest, 0, 0, source, 0, 0, 4, 1, {});
  EXPECT_EQ(out, (std::vector<uint8_t>{1, 2, 3, 255, 4, 5, 6, 128, 7, 8, 9, 255, 10, 11, 12, 255}));
  // Without a palette the same samples are grey levels 0, 85, 170, 255.
  source.Palette = nullptr;
  source.PaletteAlphaCount = 0;
  ConvertPixels(dest, 0, 0, source, 0, 0, 4, 1, {});
  EXPECT_EQ(out, (std::vector<uint8_t>{0, 0, 0, 255, 85, 85, 85, 255, 170, 170, 170, 255, 255, 255, 255, 255}));
  // 1- and 4-bit grey.
  uint8_t bits[2] = {0b10100000, 0x7F};
  source.Pixels = {bits, 3, 1, 1, TPixelLayout::Indexed1};
  ConvertPixels(dest, 0, 0, source, 0, 0, 3, 1, {});
  EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 12),
            (std::vector<uint8_t>{255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255}));
  source.Pixels = {bits + 1, 2, 1, 1, TPixelLayout::Indexed4};
  ConvertPixels(dest, 0, 0, source, 0, 0, 2, 1, {});
  EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 8), (std::vector<uint8_t>{119, 119, 119, 255, 255, 255, 255, 255}));
  // 32 to 24 bits drops the alpha.
  uint8_t bgra[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  source = {};
  source.Pixels = {bgra, 2, 1, 8, TPixelLayout::Bgra32};
  std::vector<uint8_t> out24;
  ConvertPixels(View(out24, 2, 1, TPixelLayout::Bgr24), 0, 0, source, 0, 0, 2, 1, {});
  EXPECT_EQ(out24, (std::vector<uint8_t>{1, 2, 3, 5, 6, 7}));
  // 32 to 32 bits in place, premultiplied by the pixel's own alpha.
  uint8_t in_place[4] = {200, 100, 50, 128};
  source.Pixels = {in_place, 1, 1, 4, TPixelLayout::Bgra32};
  ConvertPixels(source.Pixels, 0, 0, source, 0, 0, 1, 1, {true});
  EXPECT_EQ(std::vector<uint8_t>(in_place, in_place + 4), (std::vector<uint8_t>{100, 50, 25, 128}));
  // Any other destination layout is refused with the system's text.
  std::vector<uint8_t> out8;
  try {
    ConvertPixels(View(out8, 2, 1, TPixelLayout::Indexed8), 0, 0, source, 0, 0, 1, 1, {});
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"The image pixel format not supported.");
  }
}

TEST(ConvertPixels, WindowIsClippedToBothPictures) {
  std::vector<uint8_t> source_bytes(3 * 4 * 4);
  for (size_t i = 0; i < source_bytes.size(); ++i) source_bytes[i] = uint8_t(i);
  TPictureSource source;
  source.Pixels = {source_bytes.data(), 4, 4, 12, TPixelLayout::Bgr24};
  struct TCase {
    int32_t dx, dy, sx, sy, w, h;
    // destination pixels written (row-major over the 3 x 3 destination), each
    // with the source pixel index it must hold
    std::vector<std::pair<int, int>> written;
  };
  const TCase cases[] = {
      {0, 0, 0, 0, 2, 1, {{0, 0}, {1, 1}}},
      {-1, 0, 0, 0, 3, 1, {{0, 1}, {1, 2}}},          // destination before its left edge
      {0, 0, -2, 1, 3, 1, {{2, 4}}},                  // source window before the picture
      {2, 2, 3, 3, 5, 5, {{8, 15}}},                  // both cut at the far corner
      {0, 0, 4, 0, 2, 2, {}},                         // window beside the picture
      {1, 1, 0, 0, -1, 2, {}},                        // negative width
      {1, 0, 2, 0, 0x7FFFFFFF, 1, {{1, 2}, {2, 3}}},  // huge width does not overflow
  };
  for (const TCase& c : cases) {
    std::vector<uint8_t> out(4 * 9, 0xEE);
    ConvertPixels({out.data(), 3, 3, 12, TPixelLayout::Bgra32}, c.dx, c.dy, source, c.sx, c.sy, c.w, c.h, {});
    std::vector<uint8_t> expected(4 * 9, 0xEE);
    for (auto [d, s] : c.written) {
      std::memcpy(&expected[4 * size_t(d)], &source_bytes[3 * size_t(s)], 3);
      expected[4 * size_t(d) + 3] = 255;
    }
    EXPECT_EQ(out, expected) << c.dx << "," << c.dy << " from " << c.sx << "," << c.sy;
  }
}

// 24+alpha and 32-bit rows through every option: over every (colour, alpha)
// pair, then at random sizes, offsets and strides between guard pages.
TEST(ConvertPixels, VectorVariantsEqualScalar) {
  TByteSource random(24);
  std::vector<uint8_t> bgr(3 * 65536), alpha(65536), bgra(4 * 65536);
  for (int n = 0; n < 65536; ++n) {
    bgr[3 * n] = uint8_t(n), bgr[3 * n + 1] = uint8_t(255 - n), bgr[3 * n + 2] = uint8_t(n ^ 0x5A);
    alpha[n] = uint8_t(n >> 8);
    std::memcpy(&bgra[4 * n], &bgr[3 * n], 3);
    bgra[4 * n + 3] = alpha[n];
    if (n % 5 == 0) bgr[3 * n] = bgr[3 * n + 1] = 0, bgr[3 * n + 2] = 255, bgra[4 * n + 3] = 0xFF;  // keyed
  }
  for (TSimdLevel level : FastLevels()) {
    for (const TConvertOptions& options : OptionGrid()) {
      for (int from = 0; from < 3; ++from) {
        TPictureSource source;
        if (from == 2)
          source.Pixels = {bgra.data(), 65536, 1, 4 * 65536, TPixelLayout::Bgra32};
        else
          source.Pixels = {bgr.data(), 65536, 1, 3 * 65536, TPixelLayout::Bgr24};
        if (from == 1) source.Alpha = {alpha.data(), 65536};
        std::vector<uint8_t> expected, actual;
        {
          TSimdLevelLimit scalar(TSimdLevel::Scalar);
          ConvertPixels(View(expected, 65536, 1, TPixelLayout::Bgra32), 0, 0, source, 0, 0, 65536, 1, options);
        }
        TSimdLevelLimit limit(level);
        ConvertPixels(View(actual, 65536, 1, TPixelLayout::Bgra32), 0, 0, source, 0, 0, 65536, 1, options);
        ASSERT_EQ(actual, expected) << SimdLevelName(level) << " source " << from;
      }
    }
    for (int round = 0; round < 200; ++round) {
      const int32_t width = 1 + random.Below(60), height = 1 + random.Below(4);
      TRandomPicture random_picture(random, width, height, 4);
      const TPictureSource& source = random_picture.Source;
      const int32_t sx = random.Below(width), w = width - sx;
      const TConvertOptions options = OptionGrid()[size_t(random.Below(8))];
      TGuardedPicture expected(w, height, TPixelLayout::Bgra32), actual(w, height, TPixelLayout::Bgra32);
      {
        TSimdLevelLimit scalar(TSimdLevel::Scalar);
        ConvertPixels(expected.View, 0, 0, source, sx, 0, w, height, options);
      }
      TSimdLevelLimit limit(level);
      ConvertPixels(actual.View, 0, 0, source, sx, 0, w, height, options);
      ASSERT_EQ(0, std::memcmp(actual.Buffer->Data(), expected.Buffer->Data(), actual.Buffer->Size()))
          << SimdLevelName(level) << " width " << width;
    }
  }
}

TEST(CopyPixels, PixelsAndAlphaBetweenLayouts) {
  // 24-bit + plane into 32-bit: alpha moves into the pixels.
  uint8_t bgr[6] = {1, 2, 3, 4, 5, 6}, plane[2] = {10, 20};
  TPictureSource source;
  source.Pixels = {bgr, 2, 1, 6, TPixelLayout::Bgr24};
  source.Alpha = {plane, 2};
  std::vector<uint8_t> out32;
  const TPixelView dest32 = View(out32, 2, 1, TPixelLayout::Bgra32);
  CopyPixels(dest32, {}, 0, 0, source, 0, 0, 2, 1);
  EXPECT_EQ(out32, (std::vector<uint8_t>{1, 2, 3, 10, 4, 5, 6, 20}));
  // 32-bit into 24-bit + plane: alpha moves into the plane.
  TPictureSource back;
  back.Pixels = dest32;
  std::vector<uint8_t> out24, out_plane(2);
  CopyPixels(View(out24, 2, 1, TPixelLayout::Bgr24), {out_plane.data(), 2}, 0, 0, back, 0, 0, 2, 1);
  EXPECT_EQ(out24, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(out_plane, (std::vector<uint8_t>{10, 20}));
  // Same layout (here 8-bit indices) copies bytes and the plane as they are, at an offset.
  uint8_t indices[2] = {7, 8};
  TPictureSource indexed;
  indexed.Pixels = {indices, 2, 1, 2, TPixelLayout::Indexed8};
  indexed.Alpha = {plane, 2};
  std::vector<uint8_t> out8(3, 0), plane8(3, 0);
  CopyPixels({out8.data(), 3, 1, 3, TPixelLayout::Indexed8}, {plane8.data(), 3}, 1, 0, indexed, 0, 0, 5, 1);
  EXPECT_EQ(out8, (std::vector<uint8_t>{0, 7, 8}));
  EXPECT_EQ(plane8, (std::vector<uint8_t>{0, 10, 20}));
}
