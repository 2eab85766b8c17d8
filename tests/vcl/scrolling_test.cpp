#include <gtest/gtest.h>

#include "control_fixtures.h"
#include "vcl/scrolling_win_control.h"

namespace {

// A scrolling top-level window for the tests.
class ScrollHost : public TScrollingWinControl {
 public:
  ScrollHost() : TScrollingWinControl(nullptr) { SetBounds(40, 40, 200, 150); }
  void Open() {
    UpdateControlState();
    UpdateWindow(Handle());
  }

 protected:
  void CreateParams(TCreateParams& params) override {
    TScrollingWinControl::CreateParams(params);
    params.Style = WS_POPUP | WS_CLIPCHILDREN;
    params.WndParent = nullptr;
  }
};

SCROLLINFO BarInfo(HWND window, int bar) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(window, bar, &info);
  return info;
}

bool BarShown(HWND window, DWORD style) { return (GetWindowLongW(window, GWL_STYLE) & style) != 0; }

TEST(ScrollingWinControl, RangesFollowTheChildrenAndPositionsMoveThem) {
  ScrollHost host;
  auto* far_child = new PaintedChild(&host, "far", clRed, Bounds(20, 300, 50, 40), nullptr);
  auto* bar = new PaintedChild(&host, "bar", clBlue, Bounds(0, 0, 10, 20), nullptr);
  bar->SetAlign(alTop);
  auto* fill = new PaintedChild(&host, "fill", clLime, Bounds(0, 0, 10, 10), nullptr);
  fill->SetAlign(alClient);
  host.Open();
  EXPECT_LT(host.ClientWidth(), 200);
  EXPECT_EQ(fill->Width(), host.ClientWidth()) << "the bar's room is gone from the aligned area";
  EXPECT_EQ(host.VertScrollBar()->Range(), 340);
  EXPECT_EQ(host.HorzScrollBar()->Range(), 70);
  EXPECT_TRUE(BarShown(host.Handle(), WS_VSCROLL));
  EXPECT_FALSE(BarShown(host.Handle(), WS_HSCROLL)) << "the children fit across";
  const int32_t client_height = host.ClientHeight();
  const SCROLLINFO info = BarInfo(host.Handle(), SB_VERT);
  EXPECT_EQ(info.nMax, 339);
  EXPECT_EQ(static_cast<int32_t>(info.nPage), client_height);

  // A click on the arrow, a page, and the end.
  SendMessageW(host.Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(host.VertScrollBar()->Position(), 8);
  EXPECT_EQ(far_child->Top(), 292);
  EXPECT_EQ(bar->Top(), -8) << "aligned children scroll with the area";
  SendMessageW(host.Handle(), WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(host.VertScrollBar()->Position(), 340 - client_height) << "never beyond the end";
  EXPECT_EQ(far_child->BoundsRect().Bottom, client_height);
  EXPECT_EQ(BarInfo(host.Handle(), SB_VERT).nPos, 340 - client_height);

  // The aligned area is the scrolled one.
  TRect area = host.ClientRect();
  host.AdjustClientRect(area);
  EXPECT_EQ(area, Bounds(0, -(340 - client_height), host.ClientWidth(), 340));

  // Realigning keeps everything where it is scrolled to.
  host.Realign();
  EXPECT_EQ(far_child->BoundsRect().Bottom, client_height);
  EXPECT_EQ(bar->Top(), -(340 - client_height));

  // Back to the top, the child comes into view; a range that shrinks scrolls back.
  SendMessageW(host.Handle(), WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(far_child->Top(), 300);
  host.VertScrollBar()->SetPosition(100);
  far_child->SetTop(far_child->Top() - 250);
  EXPECT_EQ(host.VertScrollBar()->Position(), 0);
  EXPECT_EQ(far_child->Top(), -50 + 100) << "scrolled back with the position";
  EXPECT_FALSE(BarShown(host.Handle(), WS_VSCROLL));
}

TEST(ScrollingWinControl, ScrollInViewAndAutoScrollOff) {
  ScrollHost host;
  auto* far_child = new PaintedChild(&host, "far", clRed, Bounds(400, 20, 30, 30), nullptr);
  host.Open();
  host.ScrollInView(far_child);
  EXPECT_EQ(far_child->BoundsRect().Right, host.ClientWidth());
  host.ScrollInView(far_child);
  EXPECT_EQ(far_child->BoundsRect().Right, host.ClientWidth()) << "already in view";
  host.SetAutoScroll(false);
  EXPECT_EQ(host.HorzScrollBar()->Range(), 0);
  EXPECT_EQ(host.HorzScrollBar()->Position(), 0);
  EXPECT_EQ(far_child->Left(), 400);
  EXPECT_FALSE(BarShown(host.Handle(), WS_HSCROLL));
  // A range of its own.
  host.HorzScrollBar()->SetRange(1000);
  EXPECT_TRUE(BarShown(host.Handle(), WS_HSCROLL));
  host.HorzScrollBar()->SetPosition(5000);
  EXPECT_EQ(host.HorzScrollBar()->Position(), 1000 - host.ClientWidth());
}

}  // namespace
