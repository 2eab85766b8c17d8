#pragma once
// The nine-grid planner: where each piece of a picture goes when it is drawn
// into a rectangle by the rules of a design rect. It works on sizes only, so
// the software drawer (nine_grid_pixels.h) and the device drawer share it.
//
// The margins cut the picture into corners (drawn 1:1), edges and a centre.
// Edges and centre are stretched; sdmFill tiles them when the tiled side of
// the source piece is at least 4 pixels; sdmFrame leaves out the centre and
// sdmCorner the edges too. sdmDefault draws as sdmStretch, and there a
// destination as wide (high) as the picture ignores the left and right (top
// and bottom) margins.
//
// Whatever the margins and the rectangle hold, every cell lies inside the
// picture and inside the rectangle:
//  - margins are clamped in 64 bits: negative ones to 0, Left to the
//    picture's width, Right to what Left leaves, likewise Top and Bottom;
//  - a cell whose destination would have no area is left out (a rectangle
//    narrower than two opposite margins has no centre and no edges across);
//  - where two opposite margins do not fit the rectangle, the right (bottom)
//    one keeps the pixels it would cover when drawn over the other: corners
//    and the margin sides of edges are cropped with their source, so they
//    stay 1:1 and no two cells overlap.

#include <array>
#include <cstdint>

#include "engine/image/design/design_rect.h"

struct TCellRect {
  int32_t X = 0;
  int32_t Y = 0;
  int32_t Width = 0;
  int32_t Height = 0;

  friend bool operator==(const TCellRect&, const TCellRect&) = default;
};

enum class TCellKind : uint8_t {
  Copy,     // Source and Dest of the same size
  Stretch,  // Source scaled to Dest
  Tile,     // Source repeated 1:1 over Dest from its top-left corner (ForEachTile)
};

struct TNineGridCell {
  TCellRect Source;
  TCellRect Dest;
  TCellKind Kind = TCellKind::Copy;

  friend bool operator==(const TNineGridCell&, const TNineGridCell&) = default;
};

struct TNineGridRequest {
  int32_t PictureWidth = 0;
  int32_t PictureHeight = 0;
  TSuperStretchMode Mode = sdmDefault;
  int32_t Left = 0;  // margins as stored
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  int32_t DestLeft = 0;  // the destination rectangle; an inverted one draws nothing
  int32_t DestTop = 0;
  int32_t DestRight = 0;
  int32_t DestBottom = 0;
};

// At most nine cells, in drawing order: centre, top-left, top, top-right,
// left, right, bottom-left, bottom, bottom-right.
struct TNineGridPlan {
  std::array<TNineGridCell, 9> Cells;
  int32_t Count = 0;

  const TNineGridCell* begin() const { return Cells.data(); }
  const TNineGridCell* end() const { return Cells.data() + Count; }
};

// A picture without area gives an empty plan.
TNineGridPlan PlanNineGrid(const TNineGridRequest& request);

// Calls draw(source, dest) for each 1:1 tile of a Tile cell, column by
// column and top to bottom in each column. Tiles start at the cell's
// top-left corner; the last column and the last row of each column take the
// source cropped to the width or height that is left.
template <class F>
void ForEachTile(const TNineGridCell& cell, F&& draw) {
  const TCellRect& s = cell.Source;
  const TCellRect& d = cell.Dest;
  if (s.Width <= 0 || s.Height <= 0 || d.Width <= 0 || d.Height <= 0) return;
  const int64_t right = int64_t(d.X) + d.Width;
  const int64_t bottom = int64_t(d.Y) + d.Height;
  for (int64_t x = d.X; x < right; x += s.Width) {
    const int32_t width = int32_t(x < right - s.Width ? s.Width : right - x);
    for (int64_t y = d.Y; y < bottom; y += s.Height) {
      const int32_t height = int32_t(y < bottom - s.Height ? s.Height : bottom - y);
      draw(TCellRect{s.X, s.Y, width, height}, TCellRect{int32_t(x), int32_t(y), width, height});
    }
  }
}
