#include <gtest/gtest.h>

#include "control_fixtures.h"
#include "dib_surface.h"
#include "vcl/win_geometry.h"

namespace {

// The place of a child window in its parent's client area, from the system.
TRect WindowPlace(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return FromWinRect(rect);
}

TEST(LayoutWindow, RealResizesOfTheWindowLayOutAlignedAndAnchoredChildren) {
  TestHost host(nullptr, 200, 150);
  auto* header = new PaintedWindow(&host, "header", clRed, Bounds(0, 0, 10, 30), nullptr);
  header->SetAlign(alTop);
  auto* side = new PaintedWindow(&host, "side", clLime, Bounds(0, 0, 40, 10), nullptr);
  side->SetAlign(alLeft);
  auto* knob = new PaintedChild(&host, "knob", clBlue, Bounds(150, 110, 40, 30), nullptr);
  knob->SetAnchors({akRight, akBottom});
  host.Open();
  ASSERT_EQ(WindowPlace(header->Handle()), Bounds(0, 0, 200, 30));

  struct Case {
    int width, height;
  } const sizes[] = {{300, 250}, {120, 90}, {0, 0}, {200, 150}};
  for (const Case& c : sizes) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    ASSERT_TRUE(SetWindowPos(host.Handle(), nullptr, 0, 0, c.width, c.height,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
    EXPECT_EQ(header->BoundsRect(), Bounds(0, 0, c.width, 30));
    EXPECT_EQ(WindowPlace(header->Handle()), Bounds(0, 0, c.width, 30));
    EXPECT_EQ(WindowPlace(side->Handle()), Bounds(0, 30, 40, std::max(c.height - 30, 0)));
    EXPECT_EQ(knob->BoundsRect(), Bounds(c.width - 50, c.height - 40, 40, 30));
  }

  // The window as painted: the knob where its anchors put it.
  ASSERT_TRUE(SetWindowPos(host.Handle(), nullptr, 0, 0, 260, 190, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
  PumpMessages();
  DibSurface surface(260, 190);
  host.PaintTo(surface.dc(), 0, 0);
  EXPECT_EQ(surface.Rgb(225, 165), 0x0000FFu) << "knob";
  EXPECT_EQ(surface.Rgb(130, 10), 0xFF0000u) << "header";
  EXPECT_EQ(surface.Rgb(20, 120), 0x00FF00u) << "side";
  EXPECT_EQ(surface.Rgb(130, 100), 0xFFFFFFu) << "host";
}

// A top-level window with caption and sizing frame.
class FramedHost : public TCustomControl {
 public:
  FramedHost() : TCustomControl(nullptr) { SetBounds(40, 40, 300, 200); }

 protected:
  void CreateParams(TCreateParams& params) override {
    TCustomControl::CreateParams(params);
    params.Style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    params.WndParent = nullptr;
  }
};

TEST(LayoutWindow, ChildrenPlacedBeforeTheWindowExistsMoveIntoItsClientArea) {
  FramedHost host;
  auto* fill = new PaintedWindow(&host, "fill", clBlue, Bounds(0, 0, 10, 10), nullptr);
  fill->SetAlign(alClient);
  auto* knob = new PaintedChild(&host, "knob", clRed, Bounds(250, 150, 40, 40), nullptr);
  knob->SetAnchors({akRight, akBottom});
  host.UpdateControlState();
  const TRect client = host.ClientRect();
  ASSERT_LT(client.Width(), 300);
  EXPECT_EQ(fill->BoundsRect(), client);
  EXPECT_EQ(knob->BoundsRect(), Bounds(client.Right - 50, client.Bottom - 50, 40, 40));
  SetWindowPos(host.Handle(), nullptr, 0, 0, 350, 260, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(knob->BoundsRect(), Bounds(client.Right, client.Bottom + 10, 40, 40));
  EXPECT_EQ(fill->BoundsRect(), host.ClientRect());
}

TEST(LayoutWindow, TheSystemsResizeKeepsTheConstraints) {
  TestHost host(nullptr, 200, 150);
  host.Constraints()->SetMaxWidth(250);
  host.Constraints()->SetMinHeight(100);
  host.Open();
  SetWindowPos(host.Handle(), nullptr, 0, 0, 400, 50, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT rect{};
  GetWindowRect(host.Handle(), &rect);
  EXPECT_EQ(rect.right - rect.left, 250);
  EXPECT_EQ(rect.bottom - rect.top, 100);
  EXPECT_EQ(host.BoundsRect().Width(), 250);
}

TEST(LayoutWindow, BorderWidthIsAFrameOutsideTheClientArea) {
  TestHost host(nullptr, 200, 150);
  host.SetBorderWidth(6);
  auto* fill = new PaintedWindow(&host, "fill", clBlue, Bounds(0, 0, 10, 10), nullptr);
  fill->SetAlign(alClient);
  host.Open();
  EXPECT_EQ(host.ClientRect(), Rect(0, 0, 188, 138));
  EXPECT_EQ(fill->BoundsRect(), Bounds(0, 0, 188, 138));
  host.SetBorderWidth(2);
  EXPECT_EQ(fill->BoundsRect(), Bounds(0, 0, 196, 146));
  RECT window{};
  GetWindowRect(fill->Handle(), &window);
  POINT origin{0, 0};
  ClientToScreen(host.Handle(), &origin);
  EXPECT_EQ(window.left - origin.x, 0) << "the child starts at the client origin";
}

}  // namespace
