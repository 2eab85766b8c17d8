#include "vcl/icon.h"

#include <gtest/gtest.h>
#include "vcl/win_api.h"

#include <vector>

#include "dib_surface.h"
#include "vcl/bitmap.h"
#include "vcl/canvas.h"

namespace {

// A 16 x 16 icon: opaque red with a transparent 4 x 4 square top-left.
HICON MakeIcon() {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 16;
  info.bmiHeader.biHeight = -16;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP color = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* pixels = static_cast<uint32_t*>(bits);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) pixels[y * 16 + x] = x < 4 && y < 4 ? 0x00000000 : 0xFFFF0000;
  }
  std::vector<uint16_t> mask_rows(16, 0);  // one 16-bit row each, set bits are transparent
  for (int y = 0; y < 4; ++y) mask_rows[y] = 0x00F0;  // bytes F0 00: the first four pixels
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, mask_rows.data());
  ICONINFO icon_info{TRUE, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&icon_info);
  DeleteObject(color);
  DeleteObject(mask);
  return icon;
}

void ExpectDrawnIcon(TIcon& icon) {
  DibSurface surface(20, 20);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.Draw(2, 2, &icon);
  EXPECT_EQ(surface.Rgb(2, 2), 0xFFFFFFu) << surface.Picture(0xFFFFFF);  // transparent corner
  EXPECT_EQ(surface.Rgb(10, 10), 0xFF0000u);
  EXPECT_EQ(surface.Rgb(17, 17), 0xFF0000u);
  EXPECT_EQ(surface.Rgb(18, 18), 0xFFFFFFu);
  canvas.SetHandle(nullptr);
}

TEST(Icon, FromAHandleDrawsWithItsMask) {
  TIcon icon;
  icon.SetHandle(MakeIcon());
  EXPECT_EQ(icon.Width(), 16);
  EXPECT_EQ(icon.Height(), 16);
  EXPECT_TRUE(icon.Transparent());
  ExpectDrawnIcon(icon);
}

TEST(Icon, SavesAndLoadsIcoData) {
  TIcon icon;
  icon.SetHandle(MakeIcon());
  TMemoryStream stream;
  icon.SaveToStream(stream);
  const uint8_t trailing = 0xAA;
  stream.WriteBuffer(&trailing, 1);
  stream.SetPosition(0);
  TIcon loaded;
  loaded.LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), stream.Size() - 1);  // stops at the icon's end
  EXPECT_EQ(loaded.Width(), 16);
  ExpectDrawnIcon(loaded);
  // Loaded data is saved back unchanged.
  TMemoryStream again;
  loaded.SaveToStream(again);
  EXPECT_EQ(again.Size(), stream.Size() - 1);
  EXPECT_TRUE(loaded.Equals(&loaded));
  EXPECT_THROW(loaded.SetSize(32, 32), EInvalidGraphicOperation);
}

TEST(Icon, InvalidDataRaisesAndKeepsTheIcon) {
  TIcon icon;
  icon.SetHandle(MakeIcon());
  const std::vector<std::vector<uint8_t>> cases = {
      {},
      {0, 0, 1, 0, 0, 0},                            // no entries
      {0, 0, 2, 0, 1, 0},                            // not an icon
      {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0},  // truncated entry
  };
  for (const auto& bytes : cases) {
    TMemoryStream stream;
    if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    stream.SetPosition(0);
    EXPECT_THROW(icon.LoadFromStream(stream), EInvalidGraphic);
    EXPECT_EQ(icon.Width(), 16);
  }
}

TEST(Icon, AssignsToABitmap) {
  TIcon icon;
  icon.SetHandle(MakeIcon());
  TBitmap bitmap;
  bitmap.Assign(&icon);
  EXPECT_EQ(bitmap.Width(), 16);
  EXPECT_EQ(bitmap.PixelFormat(), pf32bit);
  EXPECT_EQ(bitmap.Canvas().Pixels(8, 8), clRed);
  EXPECT_EQ(bitmap.Canvas().Pixels(1, 1), clBlack);
}

}  // namespace
