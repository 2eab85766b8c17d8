#include "engine/image/pixels/compose.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/image/pixels/pixel_tables.h"
#include "pixel_test_support.h"

namespace {

struct TPixel {
  uint8_t b, g, r, a;
  bool operator==(const TPixel&) const = default;
};

TPixel ComposeOne(TPixel dest, TPixel source, const TComposeParams& params) {
  ComposeRow(&dest.b, &source.b, 1, params);
  return dest;
}

// Every combination of the options a row can be composed with.
std::vector<TComposeParams> ParamGrid() {
  std::vector<TComposeParams> grid;
  for (uint8_t alpha : {255, 128, 1, 77})
    for (bool premultiplied : {false, true})
      for (bool gray : {false, true})
        for (bool key : {false, true}) grid.push_back({alpha, premultiplied, gray, key, 0x00FF00u});
  return grid;
}

}  // namespace

TEST(Tables, WorkedValues) {
  EXPECT_EQ(Mul[200][128], 100);
  EXPECT_EQ(Mul[100][127], 50);
  EXPECT_EQ(MulTrunc[128][255], 128);
  EXPECT_EQ(MulTrunc[128][128], 64) << "opacity 128 on a picture of opacity 128";
  EXPECT_EQ(Div[128][100], 199);
  EXPECT_EQ(Div[10][200], 255);
  EXPECT_EQ(Div[100][128], 255) << "not symmetric";
  for (int v : {0, 1, 128, 255}) EXPECT_EQ(Div[0][v], 0);
  EXPECT_EQ(Union[0][0], 0);
  EXPECT_EQ(Union[255][3], 255);
  EXPECT_EQ(GrayValue(255, 255, 255), 255);
  EXPECT_EQ(GrayValue(255, 0, 0), 76);
  EXPECT_EQ(ExpandSample(1, 1), 255);
  EXPECT_EQ(ExpandSample(2, 2), 170);
  EXPECT_EQ(ExpandSample(15, 4), 255);
  EXPECT_EQ(ExpandSample(7, 4), 119);
}

TEST(Compose, WorkedValues) {
  TSimdLevelLimit scalar(TSimdLevel::Scalar);
  // Straight colour 200 at alpha 128 over opaque 100: 100 + 50.
  EXPECT_EQ(ComposeOne({100, 100, 100, 255}, {200, 200, 200, 128}, {}), (TPixel{150, 150, 150, 255}));
  // The same premultiplied (colour 100): k = 255, again 100 + 50.
  TComposeParams premultiplied;
  premultiplied.Premultiplied = true;
  EXPECT_EQ(ComposeOne({100, 100, 100, 255}, {100, 100, 100, 128}, premultiplied), (TPixel{150, 150, 150, 255}));
  // An opaque source replaces colour and alpha.
  EXPECT_EQ(ComposeOne({1, 2, 3, 4}, {10, 20, 30, 255}, {}), (TPixel{10, 20, 30, 255}));
  // A transparent source, and draw opacity 0, leave the destination alone.
  EXPECT_EQ(ComposeOne({1, 2, 3, 4}, {10, 20, 30, 0}, {}), (TPixel{1, 2, 3, 4}));
  TComposeParams invisible;
  invisible.Alpha = 0;
  EXPECT_EQ(ComposeOne({1, 2, 3, 4}, {10, 20, 30, 255}, invisible), (TPixel{1, 2, 3, 4}));
  // A premultiplied colour above its alpha saturates instead of wrapping.
  EXPECT_EQ(ComposeOne({200, 200, 200, 255}, {250, 10, 0, 100}, premultiplied), (TPixel{255, 132, 122, 255}));
  // ... and a pixel whose a rounds to 0 leaves the destination even with such a colour.
  TComposeParams faint = premultiplied;
  faint.Alpha = 100;
  EXPECT_EQ(ComposeOne({7, 7, 7, 7}, {200, 200, 200, 1}, faint), (TPixel{7, 7, 7, 7}));
  // The key colour (red | green << 8 | blue << 16) is skipped, a near colour is not.
  TComposeParams keyed;
  keyed.UseKey = true;
  keyed.Key = 0x0000FF;  // red
  EXPECT_EQ(ComposeOne({1, 2, 3, 4}, {0, 0, 255, 255}, keyed), (TPixel{1, 2, 3, 4}));
  EXPECT_EQ(ComposeOne({1, 2, 3, 4}, {0, 0, 254, 255}, keyed), (TPixel{0, 0, 254, 255}));
  // Grey mode composes the grey value of the colour.
  TComposeParams grey;
  grey.Gray = true;
  EXPECT_EQ(ComposeOne({0, 0, 0, 0}, {0, 0, 255, 255}, grey), (TPixel{76, 76, 76, 255}));
}

// The scalar reference against the model, over every (colour, alpha) of the
// source and every (colour, alpha) of the destination.
TEST(Compose, ScalarEqualsModelOverAllPairs) {
  TSimdLevelLimit scalar(TSimdLevel::Scalar);
  TByteSource random(15);
  for (const TComposeParams& params : ParamGrid()) {
    for (int side = 0; side < 2; ++side) {
      std::vector<uint8_t> dest(4 * 65536), source(4 * 65536);
      random.Fill(dest.data(), dest.size());
      random.Fill(source.data(), source.size());
      std::vector<uint8_t>& exhaustive = side == 0 ? source : dest;
      for (int n = 0; n < 65536; ++n) {
        exhaustive[4 * n + 1] = uint8_t(n & 0xFF);  // green: every value against
        exhaustive[4 * n + 3] = uint8_t(n >> 8);    // every alpha
      }
      std::vector<uint8_t> expected = dest;
      for (int n = 0; n < 65536; ++n) ModelCompose(&expected[4 * n], &source[4 * n], params);
      ComposeRow(dest.data(), source.data(), 65536, params);
      ASSERT_EQ(dest, expected) << "alpha " << int(params.Alpha) << " premultiplied " << params.Premultiplied
                                << " gray " << params.Gray << " key " << params.UseKey << " side " << side;
    }
  }
}

// Every vector variant against the scalar reference: all pairs as above, then
// rows of random length at random offsets between guard pages.
TEST(Compose, VectorVariantsEqualScalar) {
  TByteSource random(1515);
  for (TSimdLevel level : FastLevels()) {
    for (const TComposeParams& params : ParamGrid()) {
      std::vector<uint8_t> dest(4 * 65536), source(4 * 65536);
      random.Fill(dest.data(), dest.size());
      for (int n = 0; n < 65536; ++n) {
        source[4 * n + 0] = random.Next();
        source[4 * n + 1] = uint8_t(n & 0xFF);
        source[4 * n + 2] = random.Next();
        source[4 * n + 3] = uint8_t(n >> 8);
      }
      if (params.UseKey)
        for (int n = 0; n < 65536; n += 3) std::memcpy(&source[4 * n], "\x00\xFF\x00", 3);
      std::vector<uint8_t> expected = dest;
      {
        TSimdLevelLimit scalar(TSimdLevel::Scalar);
        ComposeRow(expected.data(), source.data(), 65536, params);
      }
      TSimdLevelLimit limit(level);
      ComposeRow(dest.data(), source.data(), 65536, params);
      ASSERT_EQ(dest, expected) << SimdLevelName(level) << " alpha " << int(params.Alpha);
    }
    for (int round = 0; round < 300; ++round) {
      const int32_t count = random.Below(70);
      TGuardedBuffer dest(4 * size_t(count)), source(4 * size_t(count) + size_t(random.Below(4)));
      random.Fill(dest.Data(), dest.Size());
      random.Fill(source.Data(), source.Size());
      const uint8_t* from = source.Data() + (source.Size() - 4 * size_t(count));
      std::vector<uint8_t> expected(dest.Data(), dest.Data() + dest.Size());
      const TComposeParams params = ParamGrid()[size_t(random.Below(int32_t(ParamGrid().size())))];
      {
        TSimdLevelLimit scalar(TSimdLevel::Scalar);
        ComposeRow(expected.data(), from, count, params);
      }
      TSimdLevelLimit limit(level);
      ComposeRow(dest.Data(), from, count, params);
      ASSERT_EQ(std::vector<uint8_t>(dest.Data(), dest.Data() + dest.Size()), expected)
          << SimdLevelName(level) << " count " << count;
    }
  }
}
