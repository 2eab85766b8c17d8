#include "engine/image/pixels/blur.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <numeric>
#include <vector>

#include "pixel_test_support.h"
#include "rtl/exceptions.h"

namespace {

String BlurError(const TPixelView& pixels, int32_t left, int32_t top, int32_t width, int32_t height, int32_t passes,
                 TBlurKernel kernel) {
  try {
    BlurPixels(pixels, {}, left, top, width, height, passes, kernel);
  } catch (const Exception& e) {
    return e.Message();
  }
  return u"";
}

}  // namespace

TEST(Blur, Box3x3InPlaceFromCurrentNeighbours) {
  // One pixel: all neighbours are the pixel itself, so 255 becomes 2038 >> 3 = 254.
  uint8_t one[4] = {255, 255, 255, 255};
  BlurPixels({one, 1, 1, 4, TPixelLayout::Bgra32}, {}, 0, 0, 0, 0, 1, TBlurKernel::Box3x3);
  EXPECT_EQ(std::vector<uint8_t>(one, one + 4), (std::vector<uint8_t>{254, 254, 254, 254}));
  // Two pixels 0, 255: the first becomes 63, the second already sees the 63.
  // The 24-bit picture's alpha plane is blurred the same way; a -1 passes is one round.
  uint8_t two[6] = {0, 0, 0, 255, 255, 255};
  uint8_t alpha[2] = {0, 255};
  BlurPixels({two, 2, 1, 6, TPixelLayout::Bgr24}, {alpha, 2}, 0, 0, 0, 0, -1, TBlurKernel::Box3x3);
  EXPECT_EQ(std::vector<uint8_t>(two, two + 6), (std::vector<uint8_t>{63, 63, 63, 206, 206, 206}));
  EXPECT_EQ(std::vector<uint8_t>(alpha, alpha + 2), (std::vector<uint8_t>{63, 206}));
  // Only the rectangle changes; a negative left shortens it, width 0 reaches the right edge.
  std::vector<uint8_t> row(4 * 4, 0);
  std::memset(&row[8], 255, 8);
  BlurPixels({row.data(), 4, 1, 16, TPixelLayout::Bgra32}, {}, -1, 0, 0, 1, 1, TBlurKernel::Box3x3);
  EXPECT_EQ(row, (std::vector<uint8_t>{0, 0, 0, 0, 63, 63, 63, 63, 206, 206, 206, 206, 255, 255, 255, 255}));
}

TEST(Blur, GaussianWeightsAndRadius) {
  struct TCase {
    int32_t passes;
    size_t taps;  // radius + 1
  };
  // sigma 1: radius 3 (the weight at 4 rounds to 0 of 255); sigma 3: 8;
  // a given radius is used as it is, and capped.
  for (const TCase& c : {TCase{-2, 4}, TCase{-6, 9}, TCase{5, 6}, TCase{1, 2}, TCase{INT_MAX, 1001}}) {
    const std::vector<float> w = GaussianWeights(c.passes);
    ASSERT_EQ(w.size(), c.taps) << c.passes;
    EXPECT_NEAR(w[0] + 2 * std::accumulate(w.begin() + 1, w.end(), 0.0), 1.0, 1e-5) << c.passes;
    EXPECT_GT(w[0], w[1]);
  }
}

TEST(Blur, GaussianKeepsFlatAreasAndSpreadsEdges) {
  std::vector<uint8_t> flat(4 * 20 * 10, 200);
  BlurPixels({flat.data(), 20, 10, 80, TPixelLayout::Bgra32}, {}, 0, 0, 0, 0, -6, TBlurKernel::Gaussian);
  EXPECT_EQ(flat, std::vector<uint8_t>(flat.size(), 200));
  // A white dot in black spreads symmetrically and stays brightest at the centre.
  std::vector<uint8_t> dot(4 * 9 * 9, 0);
  std::memset(&dot[4 * (4 * 9 + 4)], 255, 4);
  BlurPixels({dot.data(), 9, 9, 36, TPixelLayout::Bgra32}, {}, 0, 0, 0, 0, 2, TBlurKernel::Gaussian);
  const auto at = [&](int x, int y) { return dot[4 * size_t(y * 9 + x)]; };
  EXPECT_GT(at(4, 4), at(3, 4));
  EXPECT_GT(at(3, 4), 0);
  EXPECT_EQ(at(3, 4), at(5, 4));
  EXPECT_EQ(at(4, 3), at(3, 4));
  EXPECT_EQ(at(0, 0), 0);
}

TEST(Blur, GaussianVectorEqualsScalar) {
  TByteSource random(77);
  if (FastLevels().empty()) GTEST_SKIP() << "no vector level on this processor";
  for (int round = 0; round < 30; ++round) {
    const int32_t width = 1 + random.Below(40), height = 1 + random.Below(30);
    TGuardedPicture picture(width, height, TPixelLayout::Bgra32, 4 * random.Below(2));
    random.Fill(picture.Buffer->Data(), picture.Buffer->Size());
    const std::vector<uint8_t> start(picture.Buffer->Data(), picture.Buffer->Data() + picture.Buffer->Size());
    const int32_t passes = random.Below(2) ? 1 + random.Below(12) : -1 - random.Below(12);
    const int32_t left = random.Below(width), top = random.Below(height);
    {
      TSimdLevelLimit scalar(TSimdLevel::Scalar);
      BlurPixels(picture.View, {}, left, top, 0, 0, passes, TBlurKernel::Gaussian);
    }
    const std::vector<uint8_t> expected(picture.Buffer->Data(), picture.Buffer->Data() + picture.Buffer->Size());
    std::memcpy(picture.Buffer->Data(), start.data(), start.size());
    BlurPixels(picture.View, {}, left, top, 0, 0, passes, TBlurKernel::Gaussian);
    ASSERT_EQ(0, std::memcmp(picture.Buffer->Data(), expected.data(), expected.size())) << "round " << round;
  }
}

TEST(Blur, KernelChoiceAndErrors) {
  std::vector<uint8_t> pixels(4 * 4 * 4, 0);
  pixels[4 * 5] = 255;
  const TPixelView view{pixels.data(), 4, 4, 16, TPixelLayout::Bgra32};
  const std::vector<uint8_t> start = pixels;
  // Without vector instructions the level picks the 3 x 3 kernel, with them the Gaussian.
  std::vector<uint8_t> box = start, gaussian = start;
  BlurPixels({box.data(), 4, 4, 16, TPixelLayout::Bgra32}, {}, 0, 0, 0, 0, 1, TBlurKernel::Box3x3);
  BlurPixels({gaussian.data(), 4, 4, 16, TPixelLayout::Bgra32}, {}, 0, 0, 0, 0, 1, TBlurKernel::Gaussian);
  ASSERT_NE(box, gaussian);
  {
    TSimdLevelLimit scalar(TSimdLevel::Scalar);
    BlurPixels(view, {}, 0, 0, 0, 0, 1);
    EXPECT_EQ(pixels, box);
  }
  if (!FastLevels().empty()) {
    pixels = start;
    BlurPixels(view, {}, 0, 0, 0, 0, 1);
    EXPECT_EQ(pixels, gaussian);
  }
  // Passes 0 changes nothing; extreme passes are capped instead of running forever.
  pixels = start;
  BlurPixels(view, {}, 0, 0, 0, 0, 0);
  EXPECT_EQ(pixels, start);
  BlurPixels({pixels.data(), 2, 2, 16, TPixelLayout::Bgra32}, {}, 0, 0, 0, 0, INT_MIN, TBlurKernel::Box3x3);

  uint8_t indexed[4] = {};
  struct TCase {
    TPixelView view;
    int32_t left, top, width, height;
    TBlurKernel kernel;
    const char16_t* message;
  };
  const TCase cases[] = {
      {{nullptr, 4, 4, 16, TPixelLayout::Bgra32}, 0, 0, 0, 0, TBlurKernel::Box3x3, u"Invalid image data."},
      {view, 4, 0, 0, 0, TBlurKernel::Box3x3, u"Invalid rectangular area."},
      {view, -3, 0, 2, 0, TBlurKernel::Box3x3, u"Invalid rectangular area."},
      {view, 0, 0, -1, 0, TBlurKernel::Gaussian, u"Invalid rectangular area."},
      {{pixels.data(), 4, 4, 12, TPixelLayout::Bgr24}, 0, 0, 0, 0, TBlurKernel::Gaussian,
       u"Must be 32 bit image pixel format."},
      {{indexed, 4, 1, 4, TPixelLayout::Indexed8}, 0, 0, 0, 0, TBlurKernel::Box3x3,
       u"The image pixel format not supported."},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(BlurError(c.view, c.left, c.top, c.width, c.height, 3, c.kernel), c.message) << c.left;
}
