#include "vcl/canvas.h"

#include <gtest/gtest.h>
#include "vcl/win_api.h"

#include <thread>

#include "dib_surface.h"
#include "vcl/bitmap.h"
#include "vcl/handle_owners.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

class CanvasTest : public ::testing::Test {
 protected:
  CanvasTest() : surface(40, 30) { canvas.SetHandle(surface.dc()); }
  ~CanvasTest() override { canvas.SetHandle(nullptr); }

  DibSurface surface;
  TCanvas canvas;
};

TEST_F(CanvasTest, FillRectCoversExactlyTheRectangle) {
  canvas.Brush().SetColor(clRed);
  canvas.FillRect(Rect(5, 4, 15, 10));
  EXPECT_EQ(surface.Rgb(5, 4), 0xFF0000u);
  EXPECT_EQ(surface.Rgb(14, 9), 0xFF0000u);
  EXPECT_EQ(surface.Rgb(15, 9), kWhite);
  EXPECT_EQ(surface.Rgb(14, 10), kWhite);
  EXPECT_EQ(surface.CountOther(0, 0, 40, 30, kWhite), 10 * 6) << surface.Picture(kWhite);
}

TEST_F(CanvasTest, DrawWithOpacityBlendsAnyGraphicOverTheCanvas) {
  TBitmap red(4, 2, pf24bit);
  red.Canvas().Brush().SetColor(clRed);
  red.Canvas().FillRect(Rect(0, 0, 4, 2));
  red.SetTransparentColor(clBlack);
  red.Canvas().SetPixels(3, 1, clBlack);
  red.SetTransparent(true);
  struct TCase {
    uint8_t Opacity;
    uint32_t Drawn;  // RGB where the bitmap is red
  };
  for (const TCase& c : {TCase{0, kWhite}, TCase{128, 0xFF7F7F}, TCase{255, 0xFF0000}}) {
    SCOPED_TRACE(int(c.Opacity));
    surface.Fill(0xFFFFFFFF);
    canvas.Draw(2, 3, &red, c.Opacity);
    EXPECT_NEAR(int(surface.Rgb(2, 3) & 0xFF), int(c.Drawn & 0xFF), 1);
    EXPECT_EQ(surface.Rgb(2, 3) >> 16, c.Drawn >> 16);
    EXPECT_EQ(surface.Rgb(5, 4), kWhite) << "the transparent colour stays transparent";
    EXPECT_EQ(surface.CountOther(0, 0, 40, 30, kWhite), c.Opacity ? 7 : 0) << surface.Picture(kWhite);
  }
}

TEST_F(CanvasTest, FrameRectDrawsAOnePixelBorder) {
  canvas.Brush().SetColor(clBlue);
  canvas.FrameRect(Rect(2, 2, 12, 8));
  EXPECT_EQ(surface.Rgb(2, 2), 0x0000FFu);
  EXPECT_EQ(surface.Rgb(11, 7), 0x0000FFu);
  EXPECT_EQ(surface.Rgb(5, 5), kWhite);  // inside untouched
  EXPECT_EQ(surface.CountOther(0, 0, 40, 30, kWhite), 2 * 10 + 2 * 4) << surface.Picture(kWhite);
}

TEST_F(CanvasTest, RectangleUsesPenForTheEdgeAndBrushInside) {
  canvas.Pen().SetColor(clBlack);
  canvas.Brush().SetColor(clLime);
  canvas.Rectangle(1, 1, 11, 11);
  EXPECT_EQ(surface.Rgb(1, 1), 0x000000u);
  EXPECT_EQ(surface.Rgb(10, 10), 0x000000u);
  EXPECT_EQ(surface.Rgb(5, 5), 0x00FF00u);
  EXPECT_EQ(surface.Rgb(11, 11), kWhite);
  // A clear brush leaves the inside alone.
  canvas.Brush().SetStyle(bsClear);
  canvas.Rectangle(20, 1, 30, 11);
  EXPECT_EQ(surface.Rgb(20, 5), 0x000000u);
  EXPECT_EQ(surface.Rgb(25, 5), kWhite);
}

TEST_F(CanvasTest, EllipseAndRoundRectFillTheirMiddleNotTheirCorners) {
  canvas.Pen().SetStyle(psClear);
  canvas.Brush().SetColor(clNavy);
  canvas.Ellipse(0, 0, 20, 20);
  EXPECT_EQ(surface.Rgb(10, 10), 0x000080u);
  EXPECT_EQ(surface.Rgb(1, 1), kWhite);
  canvas.RoundRect(22, 0, 40, 20, 10, 10);
  EXPECT_EQ(surface.Rgb(31, 10), 0x000080u);
  EXPECT_EQ(surface.Rgb(22, 0), kWhite);
  EXPECT_EQ(surface.Rgb(31, 0), 0x000080u);
}

TEST_F(CanvasTest, LinesFollowThePenPosition) {
  canvas.Pen().SetColor(clRed);
  canvas.MoveTo(2, 3);
  canvas.LineTo(12, 3);
  EXPECT_EQ(canvas.PenPos(), Point(12, 3));
  EXPECT_EQ(surface.Rgb(2, 3), 0xFF0000u);
  EXPECT_EQ(surface.Rgb(11, 3), 0xFF0000u);
  EXPECT_EQ(surface.Rgb(12, 3), kWhite);  // the end point is not drawn
  const TPoint points[] = {{20, 10}, {20, 20}, {30, 20}};
  canvas.Pen().SetWidth(1);
  canvas.Pen().SetColor(clBlue);
  canvas.Polyline(points);
  EXPECT_EQ(surface.Rgb(20, 15), 0x0000FFu);
  EXPECT_EQ(surface.Rgb(25, 20), 0x0000FFu);
  EXPECT_EQ(surface.CountOther(0, 0, 40, 30, kWhite), 10 + 20) << surface.Picture(kWhite);
}

TEST_F(CanvasTest, PatternBrushRepeatsItsBitmap) {
  TBitmap pattern(8, 8, pf24bit);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) pattern.Canvas().SetPixels(x, y, (x + y) % 2 ? clRed : clBlue);
  }
  canvas.Brush().SetBitmap(&pattern);
  EXPECT_EQ(canvas.Brush().Bitmap(), &pattern);
  canvas.FillRect(Rect(0, 0, 16, 16));
  EXPECT_EQ(surface.Rgb(0, 0), 0x0000FFu);
  EXPECT_EQ(surface.Rgb(1, 0), 0xFF0000u);
  EXPECT_EQ(surface.Rgb(9, 0), 0xFF0000u);
  EXPECT_EQ(surface.Rgb(9, 9), 0x0000FFu);
  // A colour ends the pattern.
  canvas.Brush().SetColor(clLime);
  EXPECT_EQ(canvas.Brush().Bitmap(), nullptr);
  canvas.FillRect(Rect(0, 0, 2, 2));
  EXPECT_EQ(surface.Rgb(1, 0), 0x00FF00u);
}

TEST_F(CanvasTest, PenModeXorInvertsWhatIsUnder) {
  canvas.Pen().SetColor(clWhite);
  canvas.Pen().SetMode(pmXor);
  canvas.MoveTo(0, 0);
  canvas.LineTo(10, 0);
  EXPECT_EQ(surface.Rgb(5, 0), 0x000000u);
}

TEST_F(CanvasTest, PixelsReadAndWrite) {
  canvas.SetPixels(3, 4, clFuchsia);
  EXPECT_EQ(surface.Rgb(3, 4), 0xFF00FFu);
  EXPECT_EQ(canvas.Pixels(3, 4), clFuchsia);
  EXPECT_EQ(canvas.Pixels(0, 0), clWhite);
  EXPECT_EQ(canvas.ClipRect(), Rect(0, 0, 40, 30));
}

TEST_F(CanvasTest, TextOutDrawsTahomaInsideItsExtent) {
  surface.Fill(0xFFFFFFFF);
  canvas.Font().SetName(u"Tahoma");
  canvas.Font().SetHeight(-13);
  canvas.Font().SetColor(clBlack);
  canvas.Brush().SetStyle(bsClear);
  const TSize extent = canvas.TextExtent(u"Hi");
  ASSERT_GT(extent.cx, 4);
  ASSERT_GT(extent.cy, 8);
  ASSERT_LT(extent.cx, 30);
  canvas.TextOut(2, 2, u"Hi");
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(surface.dc(), LF_FACESIZE, face);
  EXPECT_STREQ(face, L"Tahoma");  // the real font, not a substitute
  const int inside = surface.CountOther(2, 2, 2 + extent.cx, 2 + extent.cy, kWhite);
  EXPECT_GT(inside, 10) << surface.Picture(kWhite);
  EXPECT_EQ(surface.CountOther(0, 0, 40, 30, kWhite), inside) << surface.Picture(kWhite);
  // The pen moved to the end of the text.
  EXPECT_EQ(canvas.PenPos(), Point(2 + extent.cx, 2));
  // A bigger font is selected anew and measures bigger.
  canvas.Font().SetHeight(-20);
  EXPECT_GT(canvas.TextHeight(u"Hi"), extent.cy);
}

TEST_F(CanvasTest, TextRectClipsAndFillsItsRectangle) {
  canvas.Font().SetHeight(-16);
  canvas.Font().SetColor(clBlack);
  canvas.Brush().SetColor(clYellow);
  canvas.TextRect(Rect(5, 5, 15, 12), 5, 5, u"WWWWWW");
  // Everything outside the rectangle stays white; the rectangle is filled.
  EXPECT_EQ(surface.CountOther(0, 0, 40, 5, kWhite), 0) << surface.Picture(kWhite);
  EXPECT_EQ(surface.CountOther(15, 0, 40, 30, kWhite), 0) << surface.Picture(kWhite);
  EXPECT_EQ(surface.CountOther(0, 12, 40, 30, kWhite), 0) << surface.Picture(kWhite);
  EXPECT_EQ(surface.CountOther(5, 5, 15, 12, kWhite), 70);
}

TEST_F(CanvasTest, TextRectWithCalcRectMeasuresWithoutDrawing) {
  TRect rect = Rect(0, 0, 100, 0);
  canvas.TextRect(rect, u"Hello", DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(rect.Width(), canvas.TextWidth(u"Hello"));
  EXPECT_GT(rect.Height(), 0);
  EXPECT_EQ(surface.CountOther(0, 0, 40, 30, kWhite), 0);
}

TEST_F(CanvasTest, StretchDrawAndCopyRect) {
  TBitmap bitmap(2, 2, pf24bit);
  bitmap.Canvas().SetPixels(0, 0, clRed);
  bitmap.Canvas().SetPixels(1, 0, clLime);
  bitmap.Canvas().SetPixels(0, 1, clBlue);
  bitmap.Canvas().SetPixels(1, 1, clBlack);
  canvas.StretchDraw(Rect(0, 0, 8, 8), &bitmap);
  EXPECT_EQ(surface.Rgb(0, 0), 0xFF0000u);
  EXPECT_EQ(surface.Rgb(3, 3), 0xFF0000u);
  EXPECT_EQ(surface.Rgb(4, 0), 0x00FF00u);
  EXPECT_EQ(surface.Rgb(7, 3), 0x00FF00u);
  EXPECT_EQ(surface.Rgb(0, 4), 0x0000FFu);
  EXPECT_EQ(surface.Rgb(7, 7), 0x000000u);
  EXPECT_EQ(surface.Rgb(8, 8), kWhite);
  canvas.Draw(20, 20, &bitmap);
  EXPECT_EQ(surface.Rgb(21, 20), 0x00FF00u);
  EXPECT_EQ(surface.Rgb(22, 20), kWhite);

  // Copy the red quarter onto another canvas, halved.
  DibSurface other(10, 10);
  TCanvas target;
  target.SetHandle(other.dc());
  target.CopyRect(Rect(0, 0, 2, 2), canvas, Rect(0, 0, 4, 4));
  EXPECT_EQ(other.Rgb(0, 0), 0xFF0000u);
  EXPECT_EQ(other.Rgb(1, 1), 0xFF0000u);
  EXPECT_EQ(other.Rgb(2, 2), kWhite);
  // With another copy mode: SRCINVERT of red over white gives cyan.
  target.SetCopyMode(SRCINVERT);
  target.CopyRect(Rect(5, 5, 6, 6), canvas, Rect(0, 0, 1, 1));
  EXPECT_EQ(other.Rgb(5, 5), 0x00FFFFu);
  target.SetHandle(nullptr);
}

TEST_F(CanvasTest, ChangesAreAnnouncedAroundDrawing) {
  struct Counter : TObject {
    void Changing(TObject*) { ++changing; }
    void Changed(TObject*) { ++changed; }
    int changing = 0, changed = 0;
  } counter;
  canvas.OnChanging = MakeEvent<&Counter::Changing>(&counter);
  canvas.OnChange = MakeEvent<&Counter::Changed>(&counter);
  canvas.FillRect(Rect(0, 0, 1, 1));
  canvas.LineTo(3, 3);
  EXPECT_EQ(counter.changing, 2);
  EXPECT_EQ(counter.changed, 2);
}

TEST(Canvas, WithoutAHandleDrawingRaises) {
  TCanvas canvas;
  EXPECT_FALSE(canvas.HandleAllocated());
  EXPECT_THROW(canvas.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);
}

TEST(Canvas, LockSerialisesThreads) {
  TCanvas canvas;
  canvas.Lock();
  EXPECT_EQ(canvas.LockCount(), 1);
  bool other_got_it = true;
  std::thread([&] { other_got_it = canvas.TryLock(); }).join();
  EXPECT_FALSE(other_got_it);
  canvas.Unlock();
  std::thread([&] {
    other_got_it = canvas.TryLock();
    if (other_got_it) canvas.Unlock();
  }).join();
  EXPECT_TRUE(other_got_it);
}

TEST(Canvas, RepeatedPaintingReusesTheSameHandles) {
  DibSurface surface(10, 10);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  canvas.Brush().SetColor(clRed);
  canvas.FillRect(Rect(0, 0, 2, 2));
  HGDIOBJ brush = GetCurrentObject(surface.dc(), OBJ_BRUSH);
  for (int i = 0; i < 50; ++i) {
    canvas.Brush().SetColor(i % 2 ? clRed : clBlue);  // ends red
    canvas.FillRect(Rect(0, 0, 2, 2));
  }
  EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_BRUSH), brush);
  // A second canvas with the same colour uses the very same brush.
  TCanvas second;
  second.SetHandle(surface.dc());
  second.Brush().SetColor(clRed);
  EXPECT_EQ(second.Brush().Handle(), static_cast<HBRUSH>(brush));
  second.SetHandle(nullptr);
  canvas.SetHandle(nullptr);
}

// A control stand-in: a real window's device context.
class WindowSource : public TDeviceContextSource {
 public:
  WindowSource() : window(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr, nullptr, nullptr)) {}
  ~WindowSource() { DestroyWindow(window); }
  HDC GetDeviceContext(HWND& handle) override {
    ++requests;
    handle = window;
    return TWindowDC(window).Release();
  }
  HWND window;
  int requests = 0;
};

TEST(ControlCanvas, TakesTheControlsContextOnceAndGivesItBack) {
  WindowSource source;
  ASSERT_NE(source.window, nullptr);
  TControlCanvas canvas;
  canvas.SetControl(&source);
  canvas.FillRect(Rect(0, 0, 5, 5));
  canvas.FillRect(Rect(0, 0, 5, 5));
  EXPECT_EQ(source.requests, 1);
  EXPECT_TRUE(canvas.HandleAllocated());
  FreeDeviceContexts();
  EXPECT_FALSE(canvas.HandleAllocated());
  canvas.FillRect(Rect(0, 0, 5, 5));
  EXPECT_EQ(source.requests, 2);
}

}  // namespace
