// Save → load through the codec itself, for every colour type and depth it
// writes, both layouts of type 6, both interlace methods and several filter
// sets; and the way a save cuts its image data.

#include <gtest/gtest.h>

#include "engine/image/png/png_errors.h"
#include "engine/image/png/png_io.h"
#include "png_test_support.h"

namespace {

using namespace png_test;

struct TCase {
  uint8_t ColorType, Depth;
  bool Want32Bit;
};
constexpr TCase kCases[] = {
    {0, 1, false}, {0, 4, false}, {0, 8, false},  {0, 16, false}, {2, 8, false},  {2, 16, false},
    {3, 1, false}, {3, 2, false}, {3, 4, false}, {3, 8, false},  {4, 8, false},  {4, 16, false},
    {6, 8, false}, {6, 16, false}, {6, 8, true}, {6, 16, true},
};

TEST(PngRoundTrip, SavedPicturesLoadBackToTheSameLayout) {
  for (const TCase& c : kCases)
    for (bool interlaced : {false, true})
      for (uint8_t filters : {uint8_t(0), kPngDefaultFilters, kPngAllFilters}) {
        SCOPED_TRACE(testing::Message() << int(c.ColorType) << "/" << int(c.Depth) << " 32-bit " << c.Want32Bit
                                        << " interlaced " << interlaced << " filters " << int(filters));
        TPNGList list = RandomImage(c.ColorType, c.Depth, c.Want32Bit, 23, 11, 42);
        TPngSaveOptions options;
        options.Filters = filters;
        options.Interlaced = interlaced;
        TPNGList back = ReadDecoded(Write(list, options), c.Want32Bit);
        const TChunkIHDR& a = *list.Header();
        const TChunkIHDR& b = *back.Header();
        ASSERT_EQ(b.InterlaceMethod, interlaced && c.Depth != 2 ? 1 : 0);  // depth 2 is saved without
        const int channels = PngChannels(c.ColorType);
        for (uint32_t y = 0; y < 11; ++y)
          for (uint32_t x = 0; x < 23; ++x)
            for (int ch = 0; ch < channels; ++ch)
              ASSERT_EQ(LayoutSample(b, x, y, ch), LayoutSample(a, x, y, ch)) << x << ", " << y << " ch " << ch;
      }
}

TEST(PngRoundTrip, DepthTwoIsSavedAsFourWithoutInterlace) {
  TPNGList list = RandomImage(kPngGrey, 2, false, 9, 5, 3);
  TPngSaveOptions options;
  options.Interlaced = true;
  TPNGList back = ReadDecoded(Write(list, options));
  const TChunkIHDR& b = *back.Header();
  EXPECT_EQ(b.BitDepth, 4);
  EXPECT_EQ(b.InterlaceMethod, 0);
  for (uint32_t y = 0; y < 5; ++y)
    for (uint32_t x = 0; x < 9; ++x) ASSERT_EQ(LayoutSample(b, x, y, 0), 5 * LayoutSample(*list.Header(), x, y, 0));
}

TEST(PngRoundTrip, ImageDataAreCutAtTheIdatSizeWithAFloorOf65535) {
  TPNGList list = RandomImage(kPngTrueColorAlpha, 8, false, 300, 300, 5);  // incompressible: ~360 KB
  for (uint32_t max_size : {0u, 65535u, 100000u}) {
    TPngSaveOptions options;
    options.MaxIdatSize = max_size;
    options.CompressionLevel = 0;
    const Bytes file = Write(list, options);
    // Walk the chunks: every IDAT but the last is exactly the limit.
    std::vector<uint32_t> sizes;
    for (size_t p = 8; p + 8 <= file.size();) {
      const uint32_t n = uint32_t(file[p]) << 24 | file[p + 1] << 16 | file[p + 2] << 8 | file[p + 3];
      if (std::equal(file.begin() + p + 4, file.begin() + p + 8, "IDAT")) sizes.push_back(n);
      p += 12 + n;
    }
    const uint32_t limit = std::max(max_size, 65535u);
    ASSERT_GT(sizes.size(), 2u);
    for (size_t i = 0; i + 1 < sizes.size(); ++i) EXPECT_EQ(sizes[i], limit);
    EXPECT_LE(sizes.back(), limit);
    TPNGList back = ReadDecoded(file);
    EXPECT_EQ(LayoutSample(*back.Header(), 299, 299, 3), LayoutSample(*list.Header(), 299, 299, 3));
  }
}

TEST(PngRoundTrip, AlphaModesDecideTheSavedAlpha) {
  TPNGList list = RandomImage(kPngTrueColorAlpha, 8, false, 8, 2, 9);
  TPngSaveOptions options;
  options.AlphaMode = TPngAlphaMode::Invalid;
  TPNGList back = ReadDecoded(Write(list, options));
  for (uint32_t x = 0; x < 8; ++x) {
    EXPECT_EQ(LayoutSample(*back.Header(), x, 1, 3), 255u);
    EXPECT_EQ(LayoutSample(*back.Header(), x, 1, 0), LayoutSample(*list.Header(), x, 1, 0));
  }
}

TEST(PngRoundTrip, TransparencyIsNeverSavedLongerThanThePalette) {
  TPNGList list = RandomImage(kPngIndexed, 1, false, 4, 4, 1);  // two palette entries
  auto trns = std::make_unique<TChunktRNS>();
  trns->Count = 5;
  trns->Alpha[0] = 0;
  trns->Alpha[1] = 128;
  list.Insert(2, std::move(trns));
  TPNGList back = Read(Write(list, {}));
  ASSERT_NE(back.Find<TChunktRNS>(), nullptr);
  EXPECT_EQ(back.Find<TChunktRNS>()->Count, 2);
  EXPECT_EQ(back.Find<TChunktRNS>()->Alpha[1], 128);

  TPNGList rgba = RandomImage(kPngTrueColorAlpha, 8, false, 2, 2, 1);
  rgba.Insert(1, std::make_unique<TChunktRNS>());
  EXPECT_EQ(Read(Write(rgba, {})).Find<TChunktRNS>(), nullptr);
}

TEST(PngRoundTrip, DeviceBitmapPicturesAreNotSaved) {
  TPNGList list = RandomImage(kPngTrueColorAlpha, 8, true, 4, 4, 1);
  list.Header()->ColorType = kPngDeviceBitmap;
  EXPECT_THROW(Write(list, {}), EPngInvalidColorType);
}

}  // namespace
