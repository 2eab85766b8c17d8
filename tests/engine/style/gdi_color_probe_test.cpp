// What GDI does with a colour's high byte (the engine's alpha) when a colour
// goes into a brush, a pen or a device context and is read back. The engine's
// drawing relies on the answer pinned here.

#include "vcl/win_api.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

constexpr COLORREF kAlphaColor = 0x80123456;

TEST(GdiColorProbe, HighByteThroughBrushPenAndDeviceContext) {
  HBRUSH brush = CreateSolidBrush(kAlphaColor);
  ASSERT_NE(brush, nullptr);
  LOGBRUSH lb{};
  ASSERT_EQ(GetObjectW(brush, sizeof(lb), &lb), int(sizeof(lb)));
  DeleteObject(brush);

  LOGPEN lp_in{PS_SOLID, {1, 0}, kAlphaColor};
  HPEN pen = CreatePenIndirect(&lp_in);
  ASSERT_NE(pen, nullptr);
  LOGPEN lp{};
  ASSERT_EQ(GetObjectW(pen, sizeof(lp), &lp), int(sizeof(lp)));
  DeleteObject(pen);

  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  SetTextColor(dc, kAlphaColor);
  const COLORREF text = GetTextColor(dc);
  SetBkColor(dc, kAlphaColor);
  const COLORREF back = GetBkColor(dc);
  DeleteDC(dc);

  // Seen under Wine: all four keep it, so the engine reads its alpha colours
  // back from the objects and needs no handle -> colour map of its own.
  EXPECT_EQ(lb.lbColor, kAlphaColor);
  EXPECT_EQ(lp.lopnColor, kAlphaColor);
  EXPECT_EQ(text, kAlphaColor);
  EXPECT_EQ(back, kAlphaColor);
}

TEST(GdiColorProbe, FillWithAHighByteBrushOnA32BitSurface) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = 2;
  bi.bmiHeader.biHeight = -2;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(dib, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, dib);
  auto* pixels = static_cast<uint32_t*>(bits);
  for (int i = 0; i < 4; ++i) pixels[i] = 0xFFFFFFFF;
  HBRUSH brush = CreateSolidBrush(kAlphaColor);
  RECT r{0, 0, 2, 2};
  FillRect(dc, &r, brush);
  GdiFlush();
  const uint32_t pixel = pixels[0];
  DeleteObject(brush);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(dib);
  // The high byte does not select a colour: the pixel gets the RGB part (as
  // blue, green, red in memory) and alpha 0, like any platform drawing.
  EXPECT_EQ(pixel, 0x00563412u);
}

}  // namespace
