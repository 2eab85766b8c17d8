#include "engine/style/drawing_redirection_win.h"

#include "vcl/win_api.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/style/skin_colors.h"
#include "engine/style/style_startup_win.h"
#include "vcl/replaceable.h"

namespace {

// A 1x1 32-bit surface to draw on.
struct TSurface {
  TSurface() {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = 1;
    bi.bmiHeader.biHeight = 1;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixel), nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, dib);
  }
  ~TSurface() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(dib);
  }
  HBITMAP dib = nullptr;
  HDC dc = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* pixel = nullptr;
};

// The program's own FillRect call, through its import entry (one load of the
// entry per call of this function).
__attribute__((noipa)) int ProgramFillRect(HDC dc, const RECT* r, HBRUSH brush) { return FillRect(dc, r, brush); }

// What the program's import entry of FillRect holds.
__attribute__((noipa)) void* ImportedFillRect() { return reinterpret_cast<void*>(&FillRect); }

uint32_t FilledPixel(int (*fill)(HDC, const RECT*, HBRUSH), COLORREF color) {
  TSurface surface;
  HBRUSH brush = CreateSolidBrush(color);
  const RECT r{0, 0, 1, 1};
  fill(surface.dc, &r, brush);
  GdiFlush();
  DeleteObject(brush);
  return *surface.pixel & 0xFFFFFF;
}

int WINAPI CallReplacement(HDC dc, const RECT* r, HBRUSH brush) {
  using Fn = int(WINAPI*)(HDC, const RECT*, HBRUSH);
  return reinterpret_cast<Fn>(ReplacementAddress(TRedirectedFunction::FillRect))(dc, r, brush);
}
int PlainCallReplacement(HDC dc, const RECT* r, HBRUSH brush) { return CallReplacement(dc, r, brush); }

TEST(DrawingRedirection, InstalledForwardingSkippedWhenInstalledAndRestored) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  // Only the functions this program imports have entries to redirect; it
  // draws with FillRect itself, the framework with BitBlt.
  const int32_t installed = InstallDrawingRedirection();
  int32_t redirected = 0;
  for (int32_t i = 0; i < kRedirectedFunctionCount; ++i) {
    const auto f = TRedirectedFunction(i);
    if (!ReplacedAddress(f)) continue;
    ++redirected;
    EXPECT_EQ(ReplacedAddress(f), PlatformAddress(f)) << i;
  }
  EXPECT_EQ(installed, redirected);
  EXPECT_NE(ReplacedAddress(TRedirectedFunction::FillRect), nullptr);
  EXPECT_NE(ReplacedAddress(TRedirectedFunction::BitBlt), nullptr);
  EXPECT_EQ(PlatformAddress(TRedirectedFunction::FillRect), reinterpret_cast<void*>(GetProcAddress(user32, "FillRect")));
  EXPECT_EQ(ImportedFillRect(), ReplacementAddress(TRedirectedFunction::FillRect));
  EXPECT_EQ(FilledPixel(&ProgramFillRect, 0x00102030), 0x302010u);  // forwarded

  EXPECT_EQ(InstallDrawingRedirection(), 0);  // already redirected

  EXPECT_EQ(RemoveDrawingRedirection(), installed);
  EXPECT_EQ(ReplacedAddress(TRedirectedFunction::FillRect), nullptr);
  EXPECT_EQ(ImportedFillRect(), PlatformAddress(TRedirectedFunction::FillRect));
  EXPECT_EQ(FilledPixel(&ProgramFillRect, 0x0000FF00), 0x00FF00u);
  // A replacement reached after removal still has the platform to call.
  EXPECT_EQ(FilledPixel(&PlainCallReplacement, 0x00FF0000), 0x0000FFu);
}

TEST(DrawingRedirection, TextDrawingFlagIsPerScopeAndNests) {
  EXPECT_FALSE(InPlatformTextDrawing());
  {
    TPlatformTextDrawingScope outer;
    EXPECT_TRUE(InPlatformTextDrawing());
    {
      TPlatformTextDrawingScope inner;
      EXPECT_TRUE(InPlatformTextDrawing());
    }
    EXPECT_TRUE(InPlatformTextDrawing());
  }
  EXPECT_FALSE(InPlatformTextDrawing());
}

TEST(StyleStartup, StartsAndStopsInOrder) {
  ASSERT_TRUE(StartStyleColors());
  EXPECT_FALSE(StartStyleColors());
  EXPECT_TRUE(ColorToRGBSlot.Replaced());
  EXPECT_NE(ReplacedAddress(TRedirectedFunction::BitBlt), nullptr);
  int32_t value = 0;
  EXPECT_TRUE(IdentToColor(u"clBtnFace", value));  // merged
  EXPECT_EQ(value, clBtnFace);
  StopStyleColors();
  EXPECT_FALSE(ColorToRGBSlot.Replaced());
  EXPECT_EQ(ReplacedAddress(TRedirectedFunction::BitBlt), nullptr);
  EXPECT_EQ(SkinColors(), nullptr);
}

}  // namespace
