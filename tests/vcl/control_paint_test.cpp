#include <gtest/gtest.h>

#include "control_fixtures.h"
#include "dib_surface.h"
#include "vcl/handle_owners.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0xFF0000;    // as 0xRRGGBB read back
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kGreen = 0x00FF00;

TEST(WindowlessPainting, ChildrenPaintInListOrderWithOffsetsAndClips) {
  EventLog log;
  TestHost host(&log, 100, 60);
  auto* a = new PaintedChild(&host, "a", clRed, Rect(10, 10, 40, 40), &log);
  auto* b = new PaintedChild(&host, "b", clBlue, Rect(30, 20, 60, 50), &log);
  // Outside the clip given below: never painted.
  new PaintedChild(&host, "c", clLime, Rect(80, 0, 100, 10), &log);
  auto* hidden = new PaintedChild(&host, "hidden", clLime, Rect(0, 0, 100, 60), &log);
  hidden->Hide();
  host.Open();
  log.clear();

  DibSurface surface(100, 60);
  IntersectClipRect(surface.dc(), 0, 0, 70, 60);
  host.Perform(WM_PAINT, reinterpret_cast<WPARAM>(surface.dc()), 0);

  EXPECT_EQ(log, (EventLog{"a:paint", "b:paint"}));
  // Each child saw its own coordinates and its bounds as clip.
  EXPECT_EQ(a->last_clip, Rect(0, 0, 30, 30));
  EXPECT_EQ(b->last_clip, Rect(0, 0, 30, 30));
  EXPECT_EQ(surface.Rgb(10, 10), kRed);
  EXPECT_EQ(surface.Rgb(35, 25), kBlue) << "the later child lies on top";
  EXPECT_EQ(surface.Rgb(59, 49), kBlue);
  EXPECT_EQ(surface.Rgb(60, 50), kWhite);
  EXPECT_EQ(surface.Rgb(9, 9), kWhite);
  EXPECT_EQ(surface.Rgb(85, 5), kWhite);
}

TEST(WindowlessPainting, NestedWindowedParentsGiveTheirOffsets) {
  EventLog log;
  TestHost host(&log, 120, 80);
  host.SetColor(clWhite);
  auto* panel = new PaintedWindow(&host, "panel", clLime, Rect(20, 10, 100, 70), &log);
  auto* child = new PaintedChild(panel, "child", clRed, Rect(5, 5, 15, 15), &log);
  host.Open();

  DibSurface surface(120, 80);
  host.PaintTo(surface.dc(), 0, 0);
  EXPECT_EQ(surface.Rgb(19, 9), kWhite);
  EXPECT_EQ(surface.Rgb(20, 10), kGreen);
  EXPECT_EQ(surface.Rgb(25, 15), kRed);
  EXPECT_EQ(surface.Rgb(34, 24), kRed);
  EXPECT_EQ(surface.Rgb(35, 25), kGreen);
  EXPECT_EQ(child->last_clip, Rect(0, 0, 10, 10));
}

// Reads the window's pixels back from the screen.
void CaptureWindow(TWinControl& window, DibSurface& surface) {
  TWindowDC dc(window.Handle());
  BitBlt(surface.dc(), 0, 0, surface.width(), surface.height(), dc.Handle(), 0, 0, SRCCOPY);
}

TEST(WindowlessPainting, InvalidatingOneChildRepaintsOnlyItsArea) {
  EventLog log;
  TestHost host(&log, 100, 60);
  auto* a = new PaintedChild(&host, "a", clRed, Rect(10, 10, 30, 30), &log);
  new PaintedChild(&host, "b", clBlue, Rect(50, 10, 70, 30), &log);
  host.Open();
  PumpMessages();
  log.clear();

  a->fill = clLime;
  a->Invalidate();
  UpdateWindow(host.Handle());
  // a is not opaque: the host erases under it first.
  EXPECT_EQ(log, (EventLog{"host:erase", "a:paint"}));

  DibSurface surface(100, 60);
  CaptureWindow(host, surface);
  EXPECT_EQ(surface.Rgb(15, 15), kGreen);
  EXPECT_EQ(surface.Rgb(55, 15), kBlue);
}

TEST(WindowlessPainting, AnOpaqueChildRepaintsAtOnceFromItselfUp) {
  EventLog log;
  TestHost host(&log, 100, 60);
  new PaintedChild(&host, "below", clBlue, Rect(0, 0, 100, 60), &log);
  auto* a = new PaintedChild(&host, "a", clRed, Rect(10, 10, 30, 30), &log);
  new PaintedChild(&host, "above", clBlue, Rect(25, 25, 35, 35), &log);
  new PaintedChild(&host, "elsewhere", clBlue, Rect(60, 10, 70, 20), &log);
  a->SetControlStyle(a->ControlStyle() + TControlStyle{csOpaque});
  host.Open();
  ValidateRect(host.Handle(), nullptr);
  log.clear();
  a->fill = clLime;
  a->Repaint();
  // No paint message: a and what lies over it, nothing below or beside.
  EXPECT_EQ(log, (EventLog{"a:paint", "above:paint"}));
  DibSurface surface(100, 60);
  CaptureWindow(host, surface);
  EXPECT_EQ(surface.Rgb(15, 15), kGreen);
}

TEST(WindowlessPainting, ADoubleBufferedParentPaintsThroughAMemoryBitmap) {
  EventLog log;
  TestHost host(&log, 100, 60);
  host.SetColor(clBlue);
  host.SetDoubleBuffered(true);
  new PaintedChild(&host, "a", clRed, Rect(10, 10, 30, 30), &log);
  host.Open();
  log.clear();

  // The child sees a memory context with a real bitmap, not a window's.
  struct BitmapProbe : PaintedChild {
    using PaintedChild::PaintedChild;
    BITMAP seen{};
    void Paint() override {
      GetObjectW(GetCurrentObject(Canvas().Handle(), OBJ_BITMAP), sizeof(seen), &seen);
      PaintedChild::Paint();
    }
  };
  auto* probe = new BitmapProbe(&host, "probe", clLime, Rect(40, 10, 60, 30), &log);
  InvalidateRect(host.Handle(), nullptr, TRUE);
  const TFrameworkHandleCounts before = FrameworkHandleCounts();
  UpdateWindow(host.Handle());
  EXPECT_EQ(FrameworkHandleCounts(), before) << "the buffer is released after the paint";
  EXPECT_EQ(probe->seen.bmWidth, 100);
  EXPECT_EQ(probe->seen.bmHeight, 60);

  DibSurface surface(100, 60);
  CaptureWindow(host, surface);
  EXPECT_EQ(surface.Rgb(5, 5), kBlue);
  EXPECT_EQ(surface.Rgb(15, 15), kRed);
  EXPECT_EQ(surface.Rgb(45, 15), kGreen);
}

TEST(WindowedPainting, ANativeButtonPaintsIntoAMemoryContext) {
  struct NativeButton : TWinControl {
    using TWinControl::TWinControl;
    void CreateParams(TCreateParams& params) override {
      TWinControl::CreateParams(params);
      CreateSubClass(params, L"BUTTON");
      params.Style |= BS_PUSHBUTTON;
    }
  };
  TestHost host(nullptr, 120, 60);
  auto* button = new NativeButton(&host);
  button->SetBounds(10, 10, 100, 30);
  button->SetCaption(u"Make");
  button->SetParent(&host);
  host.Open();

  constexpr uint32_t kMagenta = 0xFF00FF;
  DibSurface surface(100, 30, 0xFFFF00FF);
  button->Perform(WM_PAINT, reinterpret_cast<WPARAM>(surface.dc()), 0);
  // The button drew its face over the whole area, and its caption.
  EXPECT_EQ(surface.CountOther(0, 0, 100, 30, kMagenta), 100 * 30) << surface.Picture(kMagenta);
  const uint32_t face = surface.Rgb(50, 3);
  EXPECT_GT(surface.CountOther(30, 8, 70, 22, face), 10) << surface.Picture(face);

  // The whole host with its windowed child into one context.
  DibSurface whole(120, 60, 0xFFFF00FF);
  host.PaintTo(whole.dc(), 0, 0);
  EXPECT_EQ(whole.Rgb(5, 5), kWhite);
  EXPECT_EQ(whole.Rgb(60, 13), face);
}

TEST(WindowedPainting, PrintClientErasesAndPaints) {
  EventLog log;
  TestHost host(&log, 50, 40);
  host.SetColor(clBlue);
  new PaintedChild(&host, "a", clRed, Rect(10, 10, 20, 20), &log);
  host.Open();
  log.clear();
  DibSurface surface(50, 40);
  host.Perform(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface.dc()), PRF_CLIENT | PRF_ERASEBKGND);
  EXPECT_EQ(surface.Rgb(2, 2), kBlue);
  EXPECT_EQ(surface.Rgb(12, 12), kRed);
  DibSurface paint_only(50, 40);
  host.Perform(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(paint_only.dc()), PRF_CLIENT);
  EXPECT_EQ(paint_only.Rgb(12, 12), kRed);
}

}  // namespace
