#include "engine/image/design/nine_grid_plan.h"

#include <algorithm>

namespace {

// Spans in 64 bits, so that offsets from extreme coordinates and margins
// cannot overflow.
struct TSpan {
  int64_t Start = 0;
  int64_t Size = 0;
};

class TPlanBuilder {
 public:
  // Leaves out a cell without area.
  void Add(TSpan src_x, TSpan src_y, TSpan dest_x, TSpan dest_y, TCellKind kind) {
    if (src_x.Size <= 0 || src_y.Size <= 0 || dest_x.Size <= 0 || dest_y.Size <= 0) return;
    plan_.Cells[size_t(plan_.Count++)] = {
        TCellRect{int32_t(src_x.Start), int32_t(src_y.Start), int32_t(src_x.Size), int32_t(src_y.Size)},
        TCellRect{int32_t(dest_x.Start), int32_t(dest_y.Start), int32_t(dest_x.Size), int32_t(dest_y.Size)}, kind};
  }
  const TNineGridPlan& Plan() const { return plan_; }

 private:
  TNineGridPlan plan_;
};

// How much of two opposite margins the destination shows: the far one
// (right, bottom) first, as it is drawn over the near one where they meet.
void FitMargins(int64_t near, int64_t far, int64_t size, int64_t& near_shown, int64_t& far_shown) {
  far_shown = std::min(far, std::max<int64_t>(size, 0));
  near_shown = std::min(near, std::max<int64_t>(size, 0) - far_shown);
}

}  // namespace

TNineGridPlan PlanNineGrid(const TNineGridRequest& r) {
  const int64_t w = r.PictureWidth;
  const int64_t h = r.PictureHeight;
  if (w <= 0 || h <= 0) return {};

  int64_t l = std::clamp<int64_t>(r.Left, 0, w);
  int64_t rt = std::clamp<int64_t>(r.Right, 0, w - l);
  int64_t t = std::clamp<int64_t>(r.Top, 0, h);
  int64_t b = std::clamp<int64_t>(r.Bottom, 0, h - t);

  const int64_t dl = r.DestLeft, dt = r.DestTop, dr = r.DestRight, db = r.DestBottom;
  const int64_t dw = dr - dl;
  const int64_t dh = db - dt;

  const TSuperStretchMode mode = r.Mode == sdmDefault ? sdmStretch : r.Mode;
  if (mode == sdmStretch) {
    if (dh == h) t = b = 0;
    if (dw == w) l = rt = 0;
  }
  const int64_t cw = w - l - rt;  // source centre
  const int64_t ch = h - t - b;
  const int64_t dcw = dw - l - rt;  // destination centre
  const int64_t dch = dh - t - b;

  const bool edges = mode != sdmCorner;
  const bool centre = edges && mode != sdmFrame;
  const bool fill = mode == sdmFill;
  const TCellKind across = fill && cw >= 4 ? TCellKind::Tile : TCellKind::Stretch;  // top and bottom edges
  const TCellKind down = fill && ch >= 4 ? TCellKind::Tile : TCellKind::Stretch;    // left and right edges
  const TCellKind middle = fill && cw >= 4 && ch >= 4 ? TCellKind::Tile : TCellKind::Stretch;

  // Source and destination spans of the three columns and rows. The
  // margins keep their size unless the destination is too small for them.
  int64_t ls, rs, ts, bs;
  FitMargins(l, rt, dw, ls, rs);
  FitMargins(t, b, dh, ts, bs);
  const TSpan src_left{0, ls}, src_mid_x{l, cw}, src_right{w - rs, rs};
  const TSpan src_top{0, ts}, src_mid_y{t, ch}, src_bottom{h - bs, bs};
  const TSpan dest_left{dl, ls}, dest_mid_x{dl + l, dcw}, dest_right{dr - rs, rs};
  const TSpan dest_top{dt, ts}, dest_mid_y{dt + t, dch}, dest_bottom{db - bs, bs};

  TPlanBuilder plan;
  if (centre) plan.Add(src_mid_x, src_mid_y, dest_mid_x, dest_mid_y, middle);
  plan.Add(src_left, src_top, dest_left, dest_top, TCellKind::Copy);
  if (edges) plan.Add(src_mid_x, src_top, dest_mid_x, dest_top, across);
  plan.Add(src_right, src_top, dest_right, dest_top, TCellKind::Copy);
  if (edges) plan.Add(src_left, src_mid_y, dest_left, dest_mid_y, down);
  if (edges) plan.Add(src_right, src_mid_y, dest_right, dest_mid_y, down);
  plan.Add(src_left, src_bottom, dest_left, dest_bottom, TCellKind::Copy);
  if (edges) plan.Add(src_mid_x, src_bottom, dest_mid_x, dest_bottom, across);
  plan.Add(src_right, src_bottom, dest_right, dest_bottom, TCellKind::Copy);
  return plan.Plan();
}
