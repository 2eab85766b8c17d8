#include "engine/image/design/nine_grid_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <ostream>
#include <random>
#include <vector>

namespace {

constexpr TCellKind kCopy = TCellKind::Copy, kStretch = TCellKind::Stretch, kTile = TCellKind::Tile;

TNineGridCell Cell(TCellRect source, TCellRect dest, TCellKind kind) { return {source, dest, kind}; }

TNineGridRequest Request(int32_t w, int32_t h, TSuperStretchMode mode, int32_t left, int32_t top, int32_t right,
                         int32_t bottom, int32_t dl, int32_t dt, int32_t dr, int32_t db) {
  return {w, h, mode, left, top, right, bottom, dl, dt, dr, db};
}

std::vector<TNineGridCell> Cells(const TNineGridPlan& plan) { return {plan.begin(), plan.end()}; }

}  // namespace

// Found by the test framework's printer through the cell's namespace.
void PrintTo(const TCellRect& r, std::ostream* os) {
  *os << '(' << r.X << ',' << r.Y << ',' << r.Width << ',' << r.Height << ')';
}
void PrintTo(const TNineGridCell& c, std::ostream* os) {
  PrintTo(c.Source, os);
  *os << "->";
  PrintTo(c.Dest, os);
  *os << " kind " << int(c.Kind);
}

TEST(NineGridPlan, CellsByModeAndSize) {
  struct TCase {
    const char* name;
    TNineGridRequest request;
    std::vector<TNineGridCell> cells;
  };
  const TCase cases[] = {
      {"corners 1:1, edges and centre stretched, offset rectangle",
       Request(30, 30, sdmStretch, 10, 10, 10, 10, 5, 7, 105, 57),
       {Cell({10, 10, 10, 10}, {15, 17, 80, 30}, kStretch), Cell({0, 0, 10, 10}, {5, 7, 10, 10}, kCopy),
        Cell({10, 0, 10, 10}, {15, 7, 80, 10}, kStretch), Cell({20, 0, 10, 10}, {95, 7, 10, 10}, kCopy),
        Cell({0, 10, 10, 10}, {5, 17, 10, 30}, kStretch), Cell({20, 10, 10, 10}, {95, 17, 10, 30}, kStretch),
        Cell({0, 20, 10, 10}, {5, 47, 10, 10}, kCopy), Cell({10, 20, 10, 10}, {15, 47, 80, 10}, kStretch),
        Cell({20, 20, 10, 10}, {95, 47, 10, 10}, kCopy)}},
      {"picture size in sdmStretch: one piece", Request(30, 30, sdmStretch, 10, 10, 10, 10, 0, 0, 30, 30),
       {Cell({0, 0, 30, 30}, {0, 0, 30, 30}, kStretch)}},
      {"sdmDefault draws as sdmStretch", Request(30, 30, sdmDefault, 10, 10, 10, 10, 0, 0, 30, 30),
       {Cell({0, 0, 30, 30}, {0, 0, 30, 30}, kStretch)}},
      {"picture width only: left and right margins ignored",
       Request(30, 30, sdmStretch, 10, 10, 10, 10, 0, 0, 30, 40),
       {Cell({0, 10, 30, 10}, {0, 10, 30, 20}, kStretch), Cell({0, 0, 30, 10}, {0, 0, 30, 10}, kStretch),
        Cell({0, 20, 30, 10}, {0, 30, 30, 10}, kStretch)}},
      {"picture size in sdmFrame: eight pieces", Request(30, 30, sdmFrame, 10, 10, 10, 10, 0, 0, 30, 30),
       {Cell({0, 0, 10, 10}, {0, 0, 10, 10}, kCopy), Cell({10, 0, 10, 10}, {10, 0, 10, 10}, kStretch),
        Cell({20, 0, 10, 10}, {20, 0, 10, 10}, kCopy), Cell({0, 10, 10, 10}, {0, 10, 10, 10}, kStretch),
        Cell({20, 10, 10, 10}, {20, 10, 10, 10}, kStretch), Cell({0, 20, 10, 10}, {0, 20, 10, 10}, kCopy),
        Cell({10, 20, 10, 10}, {10, 20, 10, 10}, kStretch), Cell({20, 20, 10, 10}, {20, 20, 10, 10}, kCopy)}},
      {"sdmCorner: corners only", Request(30, 30, sdmCorner, 10, 10, 10, 10, 0, 0, 100, 50),
       {Cell({0, 0, 10, 10}, {0, 0, 10, 10}, kCopy), Cell({20, 0, 10, 10}, {90, 0, 10, 10}, kCopy),
        Cell({0, 20, 10, 10}, {0, 40, 10, 10}, kCopy), Cell({20, 20, 10, 10}, {90, 40, 10, 10}, kCopy)}},
      {"sdmFill tiles pieces of 4 px and more", Request(32, 30, sdmFill, 10, 10, 10, 10, 0, 0, 100, 50),
       {Cell({10, 10, 12, 10}, {10, 10, 80, 30}, kTile), Cell({0, 0, 10, 10}, {0, 0, 10, 10}, kCopy),
        Cell({10, 0, 12, 10}, {10, 0, 80, 10}, kTile), Cell({22, 0, 10, 10}, {90, 0, 10, 10}, kCopy),
        Cell({0, 10, 10, 10}, {0, 10, 10, 30}, kTile), Cell({22, 10, 10, 10}, {90, 10, 10, 30}, kTile),
        Cell({0, 20, 10, 10}, {0, 40, 10, 10}, kCopy), Cell({10, 20, 12, 10}, {10, 40, 80, 10}, kTile),
        Cell({22, 20, 10, 10}, {90, 40, 10, 10}, kCopy)}},
      {"sdmFill stretches a 3-px centre and the edges along it",
       Request(23, 30, sdmFill, 10, 10, 10, 10, 0, 0, 50, 50),
       {Cell({10, 10, 3, 10}, {10, 10, 30, 30}, kStretch), Cell({0, 0, 10, 10}, {0, 0, 10, 10}, kCopy),
        Cell({10, 0, 3, 10}, {10, 0, 30, 10}, kStretch), Cell({13, 0, 10, 10}, {40, 0, 10, 10}, kCopy),
        Cell({0, 10, 10, 10}, {0, 10, 10, 30}, kTile), Cell({13, 10, 10, 10}, {40, 10, 10, 30}, kTile),
        Cell({0, 20, 10, 10}, {0, 40, 10, 10}, kCopy), Cell({10, 20, 3, 10}, {10, 40, 30, 10}, kStretch),
        Cell({13, 20, 10, 10}, {40, 40, 10, 10}, kCopy)}},
      {"1x1 destination with 10-px corners: the bottom-right one shows",
       Request(30, 30, sdmStretch, 10, 10, 10, 10, 3, 4, 4, 5), {Cell({29, 29, 1, 1}, {3, 4, 1, 1}, kCopy)}},
      {"margins wider than the destination: the right one keeps its pixels",
       Request(30, 30, sdmCorner, 10, 10, 10, 10, 0, 0, 14, 30),
       {Cell({0, 0, 4, 10}, {0, 0, 4, 10}, kCopy), Cell({20, 0, 10, 10}, {4, 0, 10, 10}, kCopy),
        Cell({0, 20, 4, 10}, {0, 20, 4, 10}, kCopy), Cell({20, 20, 10, 10}, {4, 20, 10, 10}, kCopy)}},
      {"oversized margins clamped to the picture", Request(30, 30, sdmStretch, 50, -5, 50, 40, 0, 0, 100, 100),
       {Cell({0, 0, 30, 30}, {0, 70, 30, 30}, kCopy)}},
      {"negative margins count as 0", Request(30, 30, sdmFrame, -5, -1, -2000, INT_MIN, 0, 0, 100, 50), {}},
      {"negative margins: the centre is the picture", Request(30, 30, sdmFill, -5, -1, -3, -4, 0, 0, 100, 50),
       {Cell({0, 0, 30, 30}, {0, 0, 100, 50}, kTile)}},
      {"inverted rectangle", Request(30, 30, sdmStretch, 10, 10, 10, 10, 100, 50, 0, 0), {}},
      {"picture without area", Request(0, 30, sdmStretch, 0, 0, 0, 0, 0, 0, 100, 50), {}},
      {"extreme coordinates and margins", Request(30, 30, sdmFrame, INT_MAX, 0, INT_MAX, 0, INT_MAX - 40, INT_MIN,
                                                  INT_MAX, INT_MIN + 10),
       {Cell({0, 0, 30, 30}, {INT_MAX - 40, INT_MIN, 30, 10}, kStretch)}},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(Cells(PlanNineGrid(c.request)), c.cells) << c.name;
  }
}

TEST(NineGridPlan, TilesColumnByColumnWithTheLastOnesCropped) {
  // A 12-px top edge into an 80-px gap, two rows of an 8-px high source
  // into 14 px.
  const TNineGridCell cell = Cell({10, 0, 12, 8}, {100, 50, 80, 14}, kTile);
  std::vector<std::pair<TCellRect, TCellRect>> tiles;
  ForEachTile(cell, [&](const TCellRect& s, const TCellRect& d) { tiles.emplace_back(s, d); });
  std::vector<std::pair<TCellRect, TCellRect>> expected;
  for (int32_t x = 0; x < 80; x += 12) {
    const int32_t w = std::min(12, 80 - x);
    expected.push_back({{10, 0, w, 8}, {100 + x, 50, w, 8}});
    expected.push_back({{10, 0, w, 6}, {100 + x, 58, w, 6}});
  }
  EXPECT_EQ(tiles, expected);
  EXPECT_EQ(tiles.back().second, (TCellRect{172, 58, 8, 6}));

  // A source larger than the area: one cropped tile.
  tiles.clear();
  ForEachTile(Cell({0, 0, 12, 12}, {0, 0, 5, 24}, kTile),
              [&](const TCellRect& s, const TCellRect& d) { tiles.emplace_back(s, d); });
  EXPECT_EQ(tiles, (std::vector<std::pair<TCellRect, TCellRect>>{{{0, 0, 5, 12}, {0, 0, 5, 12}},
                                                                 {{0, 0, 5, 12}, {0, 12, 5, 12}}}));
}

namespace {

bool Inside(const TCellRect& r, int64_t left, int64_t top, int64_t right, int64_t bottom) {
  return r.Width > 0 && r.Height > 0 && r.X >= left && r.Y >= top && int64_t(r.X) + r.Width <= right &&
         int64_t(r.Y) + r.Height <= bottom;
}

bool Overlap(const TCellRect& a, const TCellRect& b) {
  return std::max<int64_t>(a.X, b.X) < std::min(int64_t(a.X) + a.Width, int64_t(b.X) + b.Width) &&
         std::max<int64_t>(a.Y, b.Y) < std::min(int64_t(a.Y) + a.Height, int64_t(b.Y) + b.Height);
}

int64_t Area(const TCellRect& r) { return int64_t(r.Width) * r.Height; }

}  // namespace

TEST(NineGridPlan, SeededStressCellsStayInsideAndNeverOverlap) {
  std::mt19937 random(20261210);
  const auto pick = [&](int32_t low, int32_t high) { return std::uniform_int_distribution<int32_t>(low, high)(random); };
  const int32_t extremes[] = {INT_MIN, -1000, -2000, -1, 0, INT_MAX};
  const auto margin = [&] { return pick(0, 9) == 0 ? extremes[pick(0, 5)] : pick(-3, 40); };
  for (int round = 0; round < 20000; ++round) {
    TNineGridRequest r;
    r.PictureWidth = pick(0, 40);
    r.PictureHeight = pick(0, 40);
    r.Mode = TSuperStretchMode(pick(0, 4));
    r.Left = margin(), r.Top = margin(), r.Right = margin(), r.Bottom = margin();
    const bool fits = round % 2 == 0;  // margins inside the picture and the rectangle
    if (fits) {
      r.PictureWidth = pick(2, 40), r.PictureHeight = pick(2, 40);
      r.Left = pick(0, r.PictureWidth - 1), r.Right = pick(0, r.PictureWidth - 1 - r.Left);
      r.Top = pick(0, r.PictureHeight - 1), r.Bottom = pick(0, r.PictureHeight - 1 - r.Top);
    }
    const int32_t origin = pick(0, 9) == 0 ? INT_MAX - 200 : pick(-50, 50);
    r.DestLeft = origin, r.DestTop = pick(0, 9) == 0 ? INT_MIN + 5 : pick(-50, 50);
    r.DestRight = r.DestLeft + (fits ? pick(r.Left + r.Right + 1, 150) : pick(-5, 150));
    r.DestBottom = r.DestTop + (fits ? pick(r.Top + r.Bottom + 1, 150) : pick(-5, 150));

    const TNineGridPlan plan = PlanNineGrid(r);
    int64_t area = 0;
    for (int32_t i = 0; i < plan.Count; ++i) {
      const TNineGridCell& c = plan.Cells[size_t(i)];
      ASSERT_TRUE(Inside(c.Dest, r.DestLeft, r.DestTop, r.DestRight, r.DestBottom)) << round;
      ASSERT_TRUE(Inside(c.Source, 0, 0, r.PictureWidth, r.PictureHeight)) << round;
      if (c.Kind == kCopy) {
        ASSERT_TRUE(c.Source.Width == c.Dest.Width && c.Source.Height == c.Dest.Height) << round;
      }
      for (int32_t j = 0; j < i; ++j) ASSERT_FALSE(Overlap(c.Dest, plan.Cells[size_t(j)].Dest)) << round;
      area += Area(c.Dest);
      if (c.Kind == kTile) {
        int64_t tiled = 0;
        ForEachTile(c, [&](const TCellRect& s, const TCellRect& d) {
          EXPECT_TRUE(Inside(s, c.Source.X, c.Source.Y, int64_t(c.Source.X) + c.Source.Width,
                             int64_t(c.Source.Y) + c.Source.Height));
          EXPECT_TRUE(Inside(d, c.Dest.X, c.Dest.Y, int64_t(c.Dest.X) + c.Dest.Width,
                             int64_t(c.Dest.Y) + c.Dest.Height));
          tiled += Area(d);
        });
        ASSERT_EQ(tiled, Area(c.Dest)) << round;
      }
    }
    if (!fits) continue;
    // Non-overlapping cells that add up to the area cover it exactly.
    const int64_t dw = int64_t(r.DestRight) - r.DestLeft, dh = int64_t(r.DestBottom) - r.DestTop;
    const int64_t centre = (dw - r.Left - r.Right) * (dh - r.Top - r.Bottom);
    const int64_t corners = int64_t(r.Left + r.Right) * (r.Top + r.Bottom);
    switch (r.Mode) {
      case sdmFrame: ASSERT_EQ(area, dw * dh - centre) << round; break;
      case sdmCorner: ASSERT_EQ(area, corners) << round; break;
      default: ASSERT_EQ(area, dw * dh) << round; break;
    }
  }
}
