#include "engine/image/design/nine_grid_pixels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "rtl/exceptions.h"

namespace {

struct TSurface {
  TSurface(int32_t width, int32_t height, TPixelLayout layout = TPixelLayout::Bgra32)
      : Bytes(size_t(width) * size_t(height) * size_t(BitsPerPixel(layout) / 8)) {
    View = {Bytes.data(), width, height, ptrdiff_t(width) * (BitsPerPixel(layout) / 8), layout};
  }
  uint8_t* At(int32_t x, int32_t y) { return View.Row(y) + size_t(x) * size_t(BitsPerPixel(View.Layout) / 8); }
  uint32_t Pixel(int32_t x, int32_t y) {
    uint32_t v;
    std::memcpy(&v, At(x, y), 4);
    return v;
  }
  void Fill(uint32_t bgra) {
    for (int32_t y = 0; y < View.Height; ++y)
      for (int32_t x = 0; x < View.Width; ++x) std::memcpy(At(x, y), &bgra, 4);
  }
  std::vector<uint8_t> Bytes;
  TPixelView View;
};

constexpr uint32_t kBackground = 0xFF404040;

// Every pixel tells where it comes from: blue = x, green = y, red = 200.
TSurface CoordinatePicture(int32_t width, int32_t height) {
  TSurface s(width, height);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = s.At(x, y);
      p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = 200, p[3] = 255;
    }
  return s;
}

uint32_t CoordinatePixel(int32_t x, int32_t y) { return 0xFF000000u | 200u << 16 | uint32_t(y) << 8 | uint32_t(x); }

TPictureSource SourceOf(const TSurface& s) {
  TPictureSource source;
  source.Pixels = s.View;
  return source;
}

TNineGridRequest Request(int32_t w, int32_t h, TSuperStretchMode mode, int32_t margin, int32_t dl, int32_t dt,
                         int32_t dr, int32_t db) {
  return {w, h, mode, margin, margin, margin, margin, dl, dt, dr, db};
}

void Draw(TSurface& dest, const TSurface& picture, const TNineGridRequest& request,
          TPngSmoothFilter filter = psfDefault, TComposeParams params = {}) {
  DrawNineGridPlan(dest.View, SourceOf(picture), PlanNineGrid(request), filter, params);
}

}  // namespace

// A 30x30 picture with margins 10 into 100x50: the source pixel of each
// destination pixel, by mode, worked out column and row on their own.
TEST(NineGridPixels, EachModePlacesEveryCellOfThePicture) {
  const TSurface picture = CoordinatePicture(30, 30);
  enum TPart { kNear, kMiddle, kFar };
  const auto part = [](int32_t d, int32_t size) { return d < 10 ? kNear : d >= size - 10 ? kFar : kMiddle; };
  const auto source = [&](int32_t d, int32_t size, bool tiled) {
    switch (part(d, size)) {
      case kNear: return d;
      case kFar: return 20 + d - (size - 10);
      default: return 10 + (tiled ? (d - 10) % 10 : (d - 10) * 10 / (size - 20));
    }
  };
  for (TSuperStretchMode mode : {sdmDefault, sdmStretch, sdmFill, sdmFrame, sdmCorner}) {
    TSurface dest(100, 50);
    dest.Fill(kBackground);
    Draw(dest, picture, Request(30, 30, mode, 10, 0, 0, 100, 50));
    for (int32_t y = 0; y < 50; ++y)
      for (int32_t x = 0; x < 100; ++x) {
        const int middles = (part(x, 100) == kMiddle) + (part(y, 50) == kMiddle);
        const bool drawn = mode == sdmFrame ? middles < 2 : mode == sdmCorner ? middles == 0 : true;
        const uint32_t expected =
            drawn ? CoordinatePixel(source(x, 100, mode == sdmFill), source(y, 50, mode == sdmFill)) : kBackground;
        ASSERT_EQ(dest.Pixel(x, y), expected) << "mode " << int(mode) << " at " << x << ',' << y;
      }
  }
}

TEST(NineGridPixels, ClippedToTheSurfaceLikeACutOutOfTheWholeDrawing) {
  const TSurface picture = CoordinatePicture(30, 30);
  for (TSuperStretchMode mode : {sdmStretch, sdmFill}) {
    for (TPngSmoothFilter filter : {psfDefault, psfFastSmooth}) {
      TSurface whole(100, 50);
      whole.Fill(kBackground);
      Draw(whole, picture, Request(30, 30, mode, 7, 0, 0, 100, 50), filter);
      TSurface part(61, 29);
      part.Fill(kBackground);
      Draw(part, picture, Request(30, 30, mode, 7, -23, -11, 77, 39), filter);
      for (int32_t y = 0; y < 29; ++y)
        for (int32_t x = 0; x < 61; ++x)
          ASSERT_EQ(part.Pixel(x, y), whole.Pixel(x + 23, y + 11)) << int(mode) << ' ' << int(filter);
    }
  }
}

// Tiles drawn a row at a time match tiles drawn one by one, for a picture
// that is not 32-bit, at an opacity, small and large (row cache and not).
TEST(NineGridPixels, TilesMatchDrawingEachTileOnItsOwn) {
  for (int32_t size : {30, 300}) {
    TSurface picture(size, size, TPixelLayout::Bgr24);
    std::vector<uint8_t> alpha(size_t(size) * size_t(size));
    for (size_t i = 0; i < picture.Bytes.size(); ++i) picture.Bytes[i] = uint8_t(i * 7 + i / 5);
    for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = uint8_t(i * 13);
    TPictureSource source = SourceOf(picture);
    source.Alpha = {alpha.data(), size};
    TComposeParams params;
    params.Alpha = 180;
    const TNineGridPlan plan = PlanNineGrid(Request(size, size, sdmFill, 6, -5, -3, 2 * size + 50, size + 44));

    TSurface rows(2 * size, size + 20), tiles(2 * size, size + 20);
    rows.Fill(kBackground);
    tiles.Fill(kBackground);
    DrawNineGridPlan(rows.View, source, plan, psfDefault, params);
    for (const TNineGridCell& cell : plan) {
      const auto one = [&](const TCellRect& s, const TCellRect& d) {
        TNineGridPlan single;
        single.Cells[0] = {s, d, TCellKind::Copy};
        single.Count = 1;
        DrawNineGridPlan(tiles.View, source, single, psfDefault, params);
      };
      if (cell.Kind == TCellKind::Tile) ForEachTile(cell, one);
      else one(cell.Source, cell.Dest);
    }
    EXPECT_EQ(rows.Bytes, tiles.Bytes) << size;
  }
}

TEST(NineGridPixels, OpacityZeroDrawsNothingAndTheDestinationMustBe32Bit) {
  const TSurface picture = CoordinatePicture(30, 30);
  TSurface dest(40, 40);
  dest.Fill(kBackground);
  TComposeParams params;
  params.Alpha = 0;
  Draw(dest, picture, Request(30, 30, sdmFill, 10, 0, 0, 40, 40), psfDefault, params);
  for (int32_t y = 0; y < 40; ++y)
    for (int32_t x = 0; x < 40; ++x) ASSERT_EQ(dest.Pixel(x, y), kBackground);

  TSurface bgr(40, 40, TPixelLayout::Bgr24);
  try {
    Draw(bgr, picture, Request(30, 30, sdmFill, 10, 0, 0, 40, 40));
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Must be 32 bit image pixel format.");
  }
}
