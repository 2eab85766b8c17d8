#include <gtest/gtest.h>

#include <vector>

#include "control_fixtures.h"
#include "dib_surface.h"
#include "vcl/handle_owners.h"

namespace {

TEST(ControlLeaks, ThousandControlsGiveBackEveryWindowAndGdiObject) {
  const TFrameworkHandleCounts before = FrameworkHandleCounts();
  std::vector<HWND> windows;
  {
    TestHost host(nullptr, 300, 200);
    host.SetDoubleBuffered(true);
    host.Open();
    windows.push_back(host.Handle());
    DibSurface surface(300, 200);
    for (int i = 0; i < 1000; ++i) {
      auto* panel = CreateObject<PaintedWindow>(&host, "", clBlue, Bounds(i % 250, i % 150, 40, 30), nullptr);
      auto* label = CreateObject<PaintedChild>(panel, "", clRed, Rect(2, 2, 20, 20), nullptr);
      auto* loose = CreateObject<PaintedChild>(&host, "", clLime, Bounds(i % 200, 5, 10, 10), nullptr);
      windows.push_back(panel->Handle());
      // Painted on screen, into a context, and drawn on outside a paint.
      UpdateWindow(host.Handle());
      host.PaintTo(surface.dc(), 0, 0);
      label->Canvas().FillRect(Rect(0, 0, 4, 4));
      loose->Canvas().FillRect(Rect(0, 0, 4, 4));
      if (i % 2) {
        Free(panel);
      } else {
        panel->SetParent(nullptr);  // out of the tree first, then freed
        Free(panel);
      }
      Free(loose);
    }
    EXPECT_EQ(host.ControlCount(), 0);
  }
  EXPECT_EQ(FrameworkHandleCounts(), before);
  for (HWND window : windows) EXPECT_FALSE(IsWindow(window));
}

}  // namespace
