#include "engine/image/design/nine_grid_pixels.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/image/pixels/pixel_errors.h"
#include "engine/image/pixels/source_pixels.h"

namespace {

// Expanded rows of a tiled cell are kept while they need no more than this
// many pixels; beyond it each destination row expands its own.
constexpr int64_t kTileCachePixels = int64_t(1) << 16;

// The part of `rect` inside a surface of the given size (Width 0: none).
TCellRect Visible(const TCellRect& rect, int32_t width, int32_t height) {
  const int64_t left = std::max<int64_t>(rect.X, 0), top = std::max<int64_t>(rect.Y, 0);
  const int64_t right = std::min<int64_t>(int64_t(rect.X) + rect.Width, width);
  const int64_t bottom = std::min<int64_t>(int64_t(rect.Y) + rect.Height, height);
  if (right <= left || bottom <= top) return {};
  return {int32_t(left), int32_t(top), int32_t(right - left), int32_t(bottom - top)};
}

TPixelView SubView(const TPixelView& view, const TCellRect& rect) {
  return {view.Row(rect.Y) + 4 * ptrdiff_t(rect.X), rect.Width, rect.Height, view.Stride, TPixelLayout::Bgra32};
}

void DrawScaled(const TPixelView& dest, const TPictureSource& picture, const TNineGridCell& cell,
                const TCellRect& visible, TPngSmoothFilter filter, const TComposeParams& params) {
  const TDrawWindow window{cell.Source.X,     cell.Source.Y,           cell.Source.Width,
                           cell.Source.Height, cell.Dest.Width,        cell.Dest.Height,
                           visible.X - cell.Dest.X, visible.Y - cell.Dest.Y};
  ComposePicture(SubView(dest, visible), picture, window, filter, params);
}

// Fills `count` pixels of `out` with the source row repeated, starting
// `phase` pixels into it.
void ExpandRow(const uint8_t* tile, int32_t tile_width, int32_t phase, uint8_t* out, int32_t count) {
  const int32_t head = std::min(tile_width - phase, count);
  std::memcpy(out, tile + 4 * size_t(phase), 4 * size_t(head));
  int32_t filled = head;
  if (filled < count) {
    const int32_t first = std::min(phase, count - filled);
    std::memcpy(out + 4 * size_t(filled), tile, 4 * size_t(first));
    filled += first;
  }
  // The filled part is now whole periods from the phase on, so doubling it
  // keeps the pattern.
  while (filled < count) {
    const int32_t n = std::min(filled, count - filled);
    std::memcpy(out + 4 * size_t(filled), out, 4 * size_t(n));
    filled += n;
  }
}

// Tiles 1:1 as ForEachTile lays them out, a destination row at a time: the
// source row repeated across the visible width, composed in one call, so
// the cost does not grow with the number of tiles.
void DrawTiled(const TPixelView& dest, const TPictureSource& picture, const TNineGridCell& cell,
               const TCellRect& visible, const TComposeParams& params) {
  const TCellRect& s = cell.Source;
  if (s.X < 0 || s.Y < 0 || int64_t(s.X) + s.Width > picture.Pixels.Width ||
      int64_t(s.Y) + s.Height > picture.Pixels.Height)
    return;  // a plan made for another picture
  const int32_t phase = (visible.X - cell.Dest.X) % s.Width;
  const int32_t first_row = (visible.Y - cell.Dest.Y) % s.Height;
  const int32_t slots = int64_t(std::min(s.Height, visible.Height)) * visible.Width <= kTileCachePixels
                            ? std::min(s.Height, visible.Height)
                            : 1;
  std::vector<uint8_t> rows(4 * size_t(visible.Width) * size_t(slots));
  const bool direct = picture.Pixels.Layout == TPixelLayout::Bgra32;
  std::vector<uint8_t> tile(direct ? 0 : 4 * size_t(s.Width));
  int32_t source_row = first_row;
  for (int32_t j = 0; j < visible.Height; ++j) {
    uint8_t* row = rows.data() + 4 * size_t(visible.Width) * size_t(j % slots);
    if (slots == 1 || j < slots) {
      const uint8_t* pixels;
      if (direct) {
        pixels = picture.Pixels.Row(s.Y + source_row) + 4 * size_t(s.X);
      } else {
        ReadSourceRow(picture, s.X, s.Y + source_row, s.Width, tile.data());
        pixels = tile.data();
      }
      ExpandRow(pixels, s.Width, phase, row, visible.Width);
    }
    ComposeRow(dest.Row(visible.Y + j) + 4 * size_t(visible.X), row, visible.Width, params);
    if (++source_row == s.Height) source_row = 0;
  }
}

}  // namespace

void DrawNineGridPlan(const TPixelView& dest, const TPictureSource& picture, const TNineGridPlan& plan,
                      TPngSmoothFilter filter, const TComposeParams& params) {
  if (dest.Layout != TPixelLayout::Bgra32) RaisePixelError(TPixelError::Must32Bit);
  if (params.Alpha == 0 || !picture.Pixels.Bits) return;
  for (const TNineGridCell& cell : plan) {
    const TCellRect visible = Visible(cell.Dest, dest.Width, dest.Height);
    if (visible.Width == 0) continue;
    if (cell.Kind == TCellKind::Tile) {
      DrawTiled(dest, picture, cell, visible, params);
    } else {
      DrawScaled(dest, picture, cell, visible, filter, params);
    }
  }
}
