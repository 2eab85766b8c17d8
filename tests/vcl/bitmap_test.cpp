#include "vcl/bitmap.h"

#include <gtest/gtest.h>
#include "vcl/win_api.h"

#include <cstring>
#include <vector>

#include "dib_surface.h"

namespace {

int BitsOf(TPixelFormat format) {
  switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    default: return 32;
  }
}

// Fills every row with a pattern that differs per row and per byte.
void FillPattern(TBitmap& bitmap) {
  const size_t row_bytes = static_cast<size_t>((bitmap.Width() * BitsOf(bitmap.PixelFormat()) + 7) / 8);
  for (int y = 0; y < bitmap.Height(); ++y) {
    auto* row = static_cast<uint8_t*>(bitmap.ScanLine(y));
    for (size_t i = 0; i < row_bytes; ++i) row[i] = static_cast<uint8_t>(y * 31 + i * 7 + 1);
  }
}

std::vector<uint8_t> Rows(TBitmap& bitmap) {
  const size_t row_bytes = static_cast<size_t>((bitmap.Width() * BitsOf(bitmap.PixelFormat()) + 7) / 8);
  std::vector<uint8_t> bytes;
  for (int y = 0; y < bitmap.Height(); ++y) {
    auto* row = static_cast<uint8_t*>(bitmap.ScanLine(y));
    bytes.insert(bytes.end(), row, row + row_bytes);
  }
  return bytes;
}

class BitmapFormats : public ::testing::TestWithParam<TPixelFormat> {};

TEST_P(BitmapFormats, RoundTripThroughBmpKeepsPixelsFormatAndColourTable) {
  TBitmap bitmap(13, 7, GetParam());  // an odd width exercises row padding
  FillPattern(bitmap);
  TMemoryStream stream;
  bitmap.SaveToStream(stream);
  stream.SetPosition(0);
  TBitmap loaded;
  loaded.LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), stream.Size());
  EXPECT_EQ(loaded.PixelFormat(), GetParam());
  EXPECT_EQ(loaded.Width(), 13);
  EXPECT_EQ(loaded.Height(), 7);
  EXPECT_EQ(Rows(loaded), Rows(bitmap));
  if (BitsOf(GetParam()) <= 8) {
    PALETTEENTRY a[256] = {}, b[256] = {};
    const UINT count = GetPaletteEntries(bitmap.Palette(), 0, 256, a);
    ASSERT_EQ(GetPaletteEntries(loaded.Palette(), 0, 256, b), count);
    EXPECT_EQ(count, 1u << BitsOf(GetParam()));
    EXPECT_EQ(std::memcmp(a, b, count * sizeof(PALETTEENTRY)), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, BitmapFormats,
                         ::testing::Values(pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit));

// A BMP file from its parts: 40-byte header, colour table, pixel bytes.
std::vector<uint8_t> MakeBmp(int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                             const std::vector<RGBQUAD>& colors, const std::vector<uint8_t>& pixels) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(header);
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = bits;
  header.biCompression = compression;
  header.biSizeImage = static_cast<DWORD>(pixels.size());
  header.biClrUsed = static_cast<DWORD>(colors.size());
  const uint32_t offset = 14 + sizeof(header) + static_cast<uint32_t>(colors.size() * 4);
  std::vector<uint8_t> file(offset + pixels.size());
  file[0] = 'B';
  file[1] = 'M';
  const uint32_t size = static_cast<uint32_t>(file.size());
  std::memcpy(&file[2], &size, 4);
  std::memcpy(&file[10], &offset, 4);
  std::memcpy(&file[14], &header, sizeof(header));
  if (!colors.empty()) std::memcpy(&file[14 + sizeof(header)], colors.data(), colors.size() * 4);
  if (!pixels.empty()) std::memcpy(&file[offset], pixels.data(), pixels.size());
  return file;
}

void Load(TBitmap& bitmap, const std::vector<uint8_t>& file) {
  TMemoryStream stream;
  stream.WriteBuffer(file.data(), static_cast<int32_t>(file.size()));
  stream.SetPosition(0);
  bitmap.LoadFromStream(stream);
}

TEST(Bitmap, TopDownFilesLoadWithTheirFirstRowOnTop) {
  // 2 x 2, 24 bits, rows padded to 8 bytes: red, green / blue, white.
  const std::vector<uint8_t> pixels = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0};
  TBitmap bitmap;
  Load(bitmap, MakeBmp(2, -2, 24, BI_RGB, {}, pixels));
  EXPECT_EQ(bitmap.Canvas().Pixels(0, 0), clRed);
  EXPECT_EQ(bitmap.Canvas().Pixels(1, 0), clLime);
  EXPECT_EQ(bitmap.Canvas().Pixels(0, 1), clBlue);
  EXPECT_EQ(bitmap.Canvas().Pixels(1, 1), clWhite);
  // The same rows bottom-up put blue and white on top.
  TBitmap bottom_up;
  Load(bottom_up, MakeBmp(2, 2, 24, BI_RGB, {}, pixels));
  EXPECT_EQ(bottom_up.Canvas().Pixels(0, 0), clBlue);
}

TEST(Bitmap, RunLengthEncodedFilesAreDecoded) {
  // 4 x 2, 8 bits: bottom row four times entry 1, top row entry 2 twice then
  // entry 0 twice; end of line and end of bitmap markers.
  const std::vector<uint8_t> rle = {4, 1, 0, 0, 2, 2, 2, 0, 0, 1};
  const std::vector<RGBQUAD> colors = {{0, 0, 0, 0}, {0, 0, 255, 0}, {255, 0, 0, 0}};
  TBitmap bitmap;
  Load(bitmap, MakeBmp(4, 2, 8, BI_RLE8, colors, rle));
  EXPECT_EQ(bitmap.PixelFormat(), pf8bit);
  EXPECT_EQ(bitmap.Canvas().Pixels(0, 1), clRed);
  EXPECT_EQ(bitmap.Canvas().Pixels(3, 1), clRed);
  EXPECT_EQ(bitmap.Canvas().Pixels(0, 0), clBlue);
  EXPECT_EQ(bitmap.Canvas().Pixels(3, 0), clBlack);
}

TEST(Bitmap, InvalidFilesRaiseAndLeaveTheBitmapAsItWas) {
  const std::vector<uint8_t> good = MakeBmp(2, 2, 24, BI_RGB, {}, std::vector<uint8_t>(16, 0x55));
  auto with = [&](size_t offset, std::vector<uint8_t> bytes) {
    std::vector<uint8_t> file = good;
    std::memcpy(&file[offset], bytes.data(), bytes.size());
    return file;
  };
  const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases = {
      {"empty", {}},
      {"bad magic", with(0, {'X', 'M'})},
      {"truncated pixels", std::vector<uint8_t>(good.begin(), good.end() - 1)},
      {"truncated header", std::vector<uint8_t>(good.begin(), good.begin() + 30)},
      {"header size 20", with(14, {20, 0, 0, 0})},
      {"zero width", with(18, {0, 0, 0, 0})},
      {"negative width", with(18, {0xFE, 0xFF, 0xFF, 0xFF})},
      {"zero height", with(22, {0, 0, 0, 0})},
      {"two planes", with(26, {2, 0})},
      {"bit count 7", with(28, {7, 0})},
      {"unknown compression", with(30, {9, 0, 0, 0})},
      {"huge size", with(18, {0xFF, 0xFF, 0xFF, 0x7F})},
      {"pixel offset inside headers", with(10, {20, 0, 0, 0})},
      {"pixel offset past the end", with(10, {0xFF, 0xFF, 0, 0})},
      {"too many colours", MakeBmp(2, 2, 1, BI_RGB, std::vector<RGBQUAD>(3), std::vector<uint8_t>(8))},
  };
  for (const auto& [name, file] : cases) {
    TBitmap bitmap(3, 3, pf24bit);
    bitmap.Canvas().SetPixels(1, 1, clRed);
    EXPECT_THROW(Load(bitmap, file), EInvalidGraphic) << name;
    EXPECT_EQ(bitmap.Width(), 3) << name;
    EXPECT_EQ(bitmap.Canvas().Pixels(1, 1), clRed) << name;
  }
}

TEST(Bitmap, SetSizeKeepsTheTopLeftPixels) {
  TBitmap bitmap(4, 4, pf32bit);
  bitmap.Canvas().SetPixels(0, 0, clRed);
  bitmap.Canvas().SetPixels(3, 3, clBlue);
  bitmap.SetSize(6, 5);
  EXPECT_EQ(bitmap.Canvas().Pixels(0, 0), clRed);
  EXPECT_EQ(bitmap.Canvas().Pixels(3, 3), clBlue);
  EXPECT_EQ(bitmap.Canvas().Pixels(5, 4), clBlack);  // new pixels are 0
  bitmap.SetSize(2, 2);
  EXPECT_EQ(bitmap.Canvas().Pixels(0, 0), clRed);
  bitmap.SetSize(0, 10);
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(bitmap.Handle(), nullptr);
}

TEST(Bitmap, ScanLineZeroIsTheTopRow) {
  TBitmap bitmap(3, 2, pf32bit);
  bitmap.Canvas().SetPixels(0, 0, clRed);
  auto* top = static_cast<uint32_t*>(bitmap.ScanLine(0));
  EXPECT_EQ(top[0] & 0xFFFFFF, 0xFF0000u);  // BGRA in memory
  EXPECT_THROW(bitmap.ScanLine(2), EInvalidGraphicOperation);
  EXPECT_THROW(bitmap.ScanLine(-1), EInvalidGraphicOperation);
}

TEST(Bitmap, PixelFormatConversionKeepsColours) {
  TBitmap bitmap(2, 1, pf32bit);
  bitmap.Canvas().SetPixels(0, 0, clRed);
  bitmap.Canvas().SetPixels(1, 0, clWhite);
  bitmap.SetPixelFormat(pf24bit);
  EXPECT_EQ(bitmap.PixelFormat(), pf24bit);
  EXPECT_EQ(bitmap.Canvas().Pixels(0, 0), clRed);
  bitmap.SetPixelFormat(pf1bit);
  EXPECT_EQ(bitmap.Canvas().Pixels(1, 0), clWhite);
  EXPECT_THROW(bitmap.SetPixelFormat(pfCustom), EInvalidGraphic);
}

TEST(Bitmap, DeviceBitmapsSaveAsTrueColour) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(pfDevice);
  bitmap.SetSize(3, 2);
  bitmap.Canvas().Brush().SetColor(clGreen);
  bitmap.Canvas().FillRect(Rect(0, 0, 3, 2));
  EXPECT_THROW(bitmap.ScanLine(0), EInvalidGraphicOperation);
  TMemoryStream stream;
  bitmap.SaveToStream(stream);
  stream.SetPosition(0);
  TBitmap loaded;
  loaded.LoadFromStream(stream);
  EXPECT_EQ(loaded.PixelFormat(), pf24bit);
  EXPECT_EQ(loaded.Canvas().Pixels(2, 1), clGreen);
}

TEST(Bitmap, AssignMakesAnIndependentCopy) {
  TBitmap source(3, 3, pf8bit);
  source.Canvas().SetPixels(1, 1, clRed);
  source.SetTransparentColor(clRed);
  source.SetTransparent(true);
  TBitmap copy;
  copy.Assign(&source);
  EXPECT_EQ(copy.PixelFormat(), pf8bit);
  EXPECT_EQ(copy.Canvas().Pixels(1, 1), clRed);
  EXPECT_TRUE(copy.Transparent());
  EXPECT_EQ(copy.TransparentColor(), clRed);
  source.Canvas().SetPixels(1, 1, clBlue);
  EXPECT_EQ(copy.Canvas().Pixels(1, 1), clRed);
  EXPECT_TRUE(copy.Equals(&copy));
  EXPECT_FALSE(copy.Equals(&source));
  copy.Assign(nullptr);
  EXPECT_TRUE(copy.Empty());
}

TEST(Bitmap, TransparentDrawSkipsTheTransparentColour) {
  TBitmap bitmap(2, 2, pf24bit);
  bitmap.Canvas().Brush().SetColor(clLime);
  bitmap.Canvas().FillRect(Rect(0, 0, 2, 2));
  bitmap.Canvas().SetPixels(1, 0, clRed);
  bitmap.SetTransparent(true);
  EXPECT_EQ(bitmap.TransparentMode(), tmAuto);
  EXPECT_EQ(bitmap.TransparentColor(), clLime);  // the bottom-left pixel
  DibSurface surface(4, 4);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.Draw(0, 0, &bitmap);
  EXPECT_EQ(surface.Rgb(0, 0), 0xFFFFFFu);
  EXPECT_EQ(surface.Rgb(1, 0), 0xFF0000u);
  canvas.SetHandle(nullptr);
}

TEST(Bitmap, AlphaBitmapsBlendOntoTheCanvas) {
  TBitmap bitmap(1, 1, pf32bit);
  auto* pixel = static_cast<uint8_t*>(bitmap.ScanLine(0));
  pixel[0] = 0;    // blue
  pixel[1] = 0;    // green
  pixel[2] = 255;  // red
  pixel[3] = 128;  // half opaque, straight
  bitmap.SetAlphaFormat(afDefined);
  EXPECT_TRUE(bitmap.SupportsPartialTransparency());
  DibSurface surface(2, 1, 0xFF000000);  // opaque black
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.Draw(0, 0, &bitmap);
  const uint32_t drawn = surface.Rgb(0, 0);
  EXPECT_NEAR(static_cast<int>((drawn >> 16) & 0xFF), 128, 2);
  EXPECT_EQ(drawn & 0xFFFF, 0u);
  // Premultiplying converts the pixels once; drawing gives the same result.
  bitmap.SetAlphaFormat(afPremultiplied);
  EXPECT_NEAR(pixel[2], 128, 1);
  surface.Fill(0xFF000000);
  canvas.Draw(0, 0, &bitmap);
  EXPECT_NEAR(static_cast<int>((surface.Rgb(0, 0) >> 16) & 0xFF), 128, 2);
  bitmap.SetAlphaFormat(afDefined);
  EXPECT_NEAR(pixel[2], 255, 1);
  canvas.SetHandle(nullptr);
}

TEST(Bitmap, DataIsTheBmpWithItsSize) {
  TBitmap bitmap(5, 3, pf24bit);
  FillPattern(bitmap);
  TMemoryStream data;
  bitmap.WriteData(data);
  TMemoryStream file;
  bitmap.SaveToStream(file);
  int32_t size = 0;
  std::memcpy(&size, data.Memory(), 4);
  EXPECT_EQ(size, file.Size());
  EXPECT_EQ(data.Size(), file.Size() + 4);
  data.SetPosition(0);
  TBitmap read;
  read.ReadData(data);
  EXPECT_EQ(Rows(read), Rows(bitmap));
  // A size beyond the stream is refused.
  TMemoryStream bad;
  const int32_t too_big = 1000;
  bad.WriteBuffer(&too_big, 4);
  bad.SetPosition(0);
  EXPECT_THROW(read.ReadData(bad), EInvalidGraphic);
}

TEST(Bitmap, ClipboardFormatRoundTrip) {
  TBitmap bitmap(2, 2, pf24bit);
  bitmap.Canvas().SetPixels(1, 1, clRed);
  uint16_t format = 0;
  HANDLE data = nullptr;
  HPALETTE palette = nullptr;
  bitmap.SaveToClipboardFormat(format, data, palette);
  EXPECT_EQ(format, CF_BITMAP);
  TBitmap copy;
  copy.LoadFromClipboardFormat(format, data, palette);
  DeleteObject(data);
  EXPECT_EQ(copy.Canvas().Pixels(1, 1), clRed);
  EXPECT_THROW(copy.LoadFromClipboardFormat(CF_TEXT, data, nullptr), EInvalidGraphic);
}

}  // namespace
