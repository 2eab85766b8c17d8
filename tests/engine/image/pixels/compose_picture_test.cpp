#include "engine/image/pixels/compose_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "pixel_test_support.h"
#include "rtl/exceptions.h"

namespace {

struct TSurface {
  TSurface(int32_t width, int32_t height, uint8_t fill = 0) : Bytes(4 * size_t(width) * size_t(height), fill) {
    View = {Bytes.data(), width, height, 4 * ptrdiff_t(width), TPixelLayout::Bgra32};
    if (fill == 0)
      for (size_t i = 3; i < Bytes.size(); i += 4) Bytes[i] = 255;  // opaque black
  }
  const uint8_t* At(int32_t x, int32_t y) const { return &Bytes[4 * (size_t(y) * size_t(View.Width) + size_t(x))]; }
  std::vector<uint8_t> Bytes;
  TPixelView View;
};

// Grey opaque pixels of the given levels, one row.
TSurface GreyRow(std::initializer_list<uint8_t> levels) {
  TSurface s(int32_t(levels.size()), 1);
  int32_t x = 0;
  for (uint8_t v : levels) std::memset(&s.Bytes[4 * size_t(x++)], v, 3);
  return s;
}

TPictureSource SourceOf(const TSurface& s) {
  TPictureSource source;
  source.Pixels = s.View;
  return source;
}

std::vector<int> Blues(const TSurface& s) {
  std::vector<int> v;
  for (int32_t y = 0; y < s.View.Height; ++y)
    for (int32_t x = 0; x < s.View.Width; ++x) v.push_back(s.At(x, y)[0]);
  return v;
}

TDrawWindow Window(int32_t src_x, int32_t src_y, int32_t src_w, int32_t src_h, int32_t dest_w, int32_t dest_h,
                   int32_t clip_left = 0, int32_t clip_top = 0) {
  return TDrawWindow{src_x, src_y, src_w, src_h, dest_w, dest_h, clip_left, clip_top};
}

}  // namespace

TEST(ComposePicture, SamplingByFilter) {
  const TSurface ramp = GreyRow({0, 255});
  struct TCase {
    const char* name;
    TPngSmoothFilter filter;
    TDrawWindow window;
    int32_t visible_width;
    std::vector<int> expected;
  };
  const TCase cases[] = {
      {"nearest doubles", psfDefault, Window(0, 0, 2, 1, 4, 1), 4, {0, 0, 255, 255}},
      {"bilinear in 17.15", psfFastSmooth, Window(0, 0, 2, 1, 4, 1), 4, {0, 63, 127, 191}},
      {"box enlarging acts as bilinear", psfSmooth, Window(0, 0, 2, 1, 4, 1), 4, {0, 63, 127, 191}},
      {"visible part from the third column", psfFastSmooth, Window(0, 0, 2, 1, 4, 1, 2), 2, {127, 191}},
      {"unscaled ignores the filter", psfSmooth, Window(0, 0, 2, 1, 2, 1), 2, {0, 255}},
      {"columns before the picture are skipped", psfDefault, Window(-2, 0, 4, 1, 4, 1), 4, {9, 9, 0, 255}},
      {"a column beyond the picture ends the row", psfDefault, Window(1, 0, 3, 1, 3, 1), 3, {255, 9, 9}},
      {"a row beyond the picture draws nothing", psfDefault, Window(0, 1, 2, 1, 2, 1), 2, {9, 9}},
  };
  for (const TCase& c : cases) {
    TSurface dest(c.visible_width, 1, 9);
    ComposePicture(dest.View, SourceOf(ramp), c.window, c.filter, {});
    EXPECT_EQ(Blues(dest), c.expected) << c.name;
  }
}

TEST(ComposePicture, BoxShrinkAveragesBoxes) {
  // 100 x 100 to 50 x 50: 2 x 2 boxes, except that the last destination
  // column and row take only the first source column and row of their box.
  TByteSource random(100);
  TSurface source(100, 100);
  for (size_t i = 0; i < source.Bytes.size(); ++i) source.Bytes[i] = i % 4 == 3 ? 255 : random.Next();
  TSurface dest(50, 50);
  ComposePicture(dest.View, SourceOf(source), Window(0, 0, 100, 100, 50, 50), psfSmooth, {});
  for (int32_t y = 0; y < 50; ++y)
    for (int32_t x = 0; x < 50; ++x)
      for (int c = 0; c < 3; ++c) {
        const int n = x < 49 ? 2 : 1, m = y < 49 ? 2 : 1;
        int sum = 0;
        for (int j = 0; j < m; ++j)
          for (int i = 0; i < n; ++i) sum += source.At(2 * x + i, 2 * y + j)[c];
        ASSERT_EQ(dest.At(x, y)[c], sum / (n * m)) << x << "," << y;
      }
}

TEST(ComposePicture, ColumnMapDoesNotOverflowAtLargeSizes) {
  // 65535 columns drawn into a 32768-wide rectangle: (i * 65535) needs more
  // than 32 bits; the visible part is the last 8 columns.
  TSurface source(65535, 1);
  for (int32_t x = 0; x < 65535; ++x) {
    source.Bytes[4 * size_t(x)] = uint8_t(x);
    source.Bytes[4 * size_t(x) + 1] = uint8_t(x >> 8);
  }
  TSurface dest(8, 1);
  ComposePicture(dest.View, SourceOf(source), Window(0, 0, 65535, 1, 32768, 1, 32760), psfDefault, {});
  for (int32_t i = 0; i < 8; ++i) {
    const int64_t x = (32760 + int64_t(i)) * 65535 / 32768;
    EXPECT_EQ(dest.At(i, 0)[0] | dest.At(i, 0)[1] << 8, x) << i;
  }
}

TEST(ComposePicture, ColourKeyAndPalette) {
  // Bilinear skips a sample only when all four neighbours carry the key.
  TSurface keyed(3, 1);
  const uint8_t red[4] = {0, 0, 255, 255}, blue[4] = {255, 0, 0, 255};
  std::memcpy(&keyed.Bytes[0], red, 4);
  std::memcpy(&keyed.Bytes[4], red, 4);
  std::memcpy(&keyed.Bytes[8], blue, 4);
  TComposeParams params;
  params.UseKey = true;
  params.Key = 0x0000FF;
  TSurface dest(6, 1, 9);
  ComposePicture(dest.View, SourceOf(keyed), Window(0, 0, 3, 1, 6, 1), psfFastSmooth, params);
  EXPECT_EQ(Blues(dest), (std::vector<int>{9, 9, 9, 9, 84, 169}));
  EXPECT_EQ(dest.At(4, 0)[2], 170) << "a mixed sample is drawn though it is mostly the key";
  // Nearest sampling skips each keyed pixel.
  TSurface dest2(3, 1, 9);
  ComposePicture(dest2.View, SourceOf(keyed), Window(0, 0, 3, 1, 3, 1), psfDefault, params);
  EXPECT_EQ(Blues(dest2), (std::vector<int>{9, 9, 255}));
  // A palette picture reads colour and transparency through its palette.
  uint8_t indices[2] = {0, 1};
  const uint8_t palette[8] = {200, 200, 200, 0, 10, 20, 30, 0};
  const uint8_t trns[1] = {128};
  TPictureSource indexed;
  indexed.Pixels = {indices, 2, 1, 2, TPixelLayout::Indexed8};
  indexed.Palette = palette;
  indexed.PaletteAlpha = trns;
  indexed.PaletteAlphaCount = 1;
  TSurface dest3(2, 1);
  std::memset(dest3.Bytes.data(), 100, 3);
  ComposePicture(dest3.View, indexed, Window(0, 0, 2, 1, 2, 1), psfFastSmooth, {});
  EXPECT_EQ(std::vector<uint8_t>(dest3.Bytes.begin(), dest3.Bytes.end()),
            (std::vector<uint8_t>{150, 150, 150, 255, 10, 20, 30, 255}));
}

// Random pictures, windows, scales, clips and options against a per-pixel model
// of nearest and box sampling; every filter's vector result against its scalar one.
TEST(ComposePicture, RandomDrawsAgainstModelAndScalar) {
  TByteSource random(2024);
  for (int round = 0; round < 300; ++round) {
    const int32_t width = 1 + random.Below(40), height = 1 + random.Below(12);
    TRandomPicture random_picture(random, width, height, 2);
    const TPictureSource& source = random_picture.Source;
    TDrawWindow w = Window(random.Below(width + 4) - 2, random.Below(height + 4) - 2, 1 + random.Below(width + 2),
                           1 + random.Below(height + 2), 1 + random.Below(70), 1 + random.Below(20));
    w.ClipLeft = random.Below(w.DestWidth);
    w.ClipTop = random.Below(w.DestHeight);
    const int32_t visible_w = 1 + random.Below(w.DestWidth - w.ClipLeft);
    const int32_t visible_h = 1 + random.Below(w.DestHeight - w.ClipTop);
    TComposeParams params{uint8_t(random.Below(3) ? 255 : 1 + random.Below(255)), random.Below(2) == 0,
                          random.Below(4) == 0, random.Below(4) == 0, 0};
    TGuardedPicture background(visible_w, visible_h, TPixelLayout::Bgra32);
    random.Fill(background.Buffer->Data(), background.Buffer->Size());
    const std::vector<uint8_t> start(background.Buffer->Data(), background.Buffer->Data() + background.Buffer->Size());
    for (TPngSmoothFilter filter : {psfDefault, psfFastSmooth, psfSmooth}) {
      std::memcpy(background.Buffer->Data(), start.data(), start.size());
      {
        TSimdLevelLimit scalar(TSimdLevel::Scalar);
        ComposePicture(background.View, source, w, filter, params);
      }
      const std::vector<uint8_t> scalar_result(background.Buffer->Data(),
                                               background.Buffer->Data() + background.Buffer->Size());
      for (TSimdLevel level : FastLevels()) {
        std::memcpy(background.Buffer->Data(), start.data(), start.size());
        TSimdLevelLimit limit(level);
        ComposePicture(background.View, source, w, filter, params);
        ASSERT_EQ(0, std::memcmp(background.Buffer->Data(), scalar_result.data(), scalar_result.size()))
            << SimdLevelName(level) << " filter " << int(filter) << " round " << round;
      }
      const bool box = filter == psfSmooth && w.DestWidth < w.SrcWidth && w.DestHeight < w.SrcHeight;
      if (filter != psfDefault && !box) continue;
      // The model: nearest sampling by truncating maps, or the box average
      // over rounded bounds, composed pixel by pixel.
      const auto source_pixel = [&](int64_t x, int64_t y, uint8_t* pixel) {
        const uint8_t* p = source.Pixels.Row(int32_t(y)) + (source.Pixels.Layout == TPixelLayout::Bgra32 ? 4 : 3) * x;
        std::memcpy(pixel, p, 3);
        pixel[3] = source.Pixels.Layout == TPixelLayout::Bgra32 ? p[3] : source.Alpha ? source.Alpha.Row(int32_t(y))[x] : 255;
      };
      const auto box_bounds = [](int64_t i, int32_t origin, int32_t src, int32_t dest, int32_t picture) {
        const int64_t first = origin + (2 * i * src + dest) / (2 * dest);
        int64_t last = i == dest - 1 ? first : origin + (2 * (i + 1) * src + dest) / (2 * dest) - 1;
        last = std::max(first, std::min({last, int64_t(origin) + src - 1, int64_t(picture) - 1}));
        return std::pair<int64_t, int64_t>(first, last);
      };
      std::vector<uint8_t> model = start;
      for (int32_t j = 0; j < visible_h; ++j) {
        const auto rows = box_bounds(j + w.ClipTop, w.SrcY, w.SrcHeight, w.DestHeight, height);
        const int64_t y = box ? rows.first : w.SrcY + int64_t(j + w.ClipTop) * w.SrcHeight / w.DestHeight;
        if (y >= height) break;
        if (y < 0) continue;
        for (int32_t i = 0; i < visible_w; ++i) {
          const auto cols = box_bounds(i + w.ClipLeft, w.SrcX, w.SrcWidth, w.DestWidth, width);
          const int64_t x = box ? cols.first : w.SrcX + int64_t(i + w.ClipLeft) * w.SrcWidth / w.DestWidth;
          if (x >= width) break;
          if (x < 0) continue;
          uint8_t pixel[4];
          if (box) {
            int sum[4] = {}, n = 0;
            for (int64_t yy = rows.first; yy <= rows.second; ++yy)
              for (int64_t xx = cols.first; xx <= cols.second; ++xx, ++n) {
                source_pixel(xx, yy, pixel);
                for (int c = 0; c < 4; ++c) sum[c] += pixel[c];
              }
            for (int c = 0; c < 4; ++c) pixel[c] = uint8_t(sum[c] / n);
          } else {
            source_pixel(x, y, pixel);
          }
          ModelCompose(&model[4 * (size_t(j) * size_t(visible_w) + size_t(i))], pixel, params);
        }
      }
      ASSERT_EQ(scalar_result, model) << "round " << round << " filter " << int(filter);
    }
  }
}

TEST(ComposePicture, DestinationMustBe32Bit) {
  std::vector<uint8_t> bytes(3);
  const TSurface source = GreyRow({1});
  try {
    ComposePicture({bytes.data(), 1, 1, 3, TPixelLayout::Bgr24}, SourceOf(source), Window(0, 0, 1, 1, 1, 1),
                   psfDefault, {});
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Must be 32 bit image pixel format.");
  }
}
