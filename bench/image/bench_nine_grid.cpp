// Nine-grid drawing: our planner and software drawer against pixman drawing
// the same cells. Each case draws a premultiplied picture (margins 8) over an
// opaque background; pixman composites every cell with OVER, a scale
// transform (NEAREST or BILINEAR, pad repeat) for stretched cells and
// REPEAT_NORMAL for tiles. pixman's images and transforms are made before
// the timing; ours plans inside it. Reference of each row: the pixman figure
// (ratio below 1.0: faster than pixman). The sdmFill rows also give our cost
// per drawn pixel, which should not depend on the size of the tiles.

#include <pixman.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/harness.h"
#include "bench/image/bench_surface.h"
#include "engine/image/design/nine_grid_pixels.h"

namespace {

// Premultiplied pixels, every alpha equally likely.
TBenchSurface MakePicture(int32_t width, int32_t height) {
  TBenchSurface b(width, height);
  std::mt19937 random(1210);
  for (size_t i = 0; i < b.Bytes.size(); i += 4) {
    const int alpha = int(random() & 0xFF);
    for (int c = 0; c < 3; ++c) b.Bytes[i + size_t(c)] = uint8_t((int(random() & 0xFF) * alpha + 127) / 255);
    b.Bytes[i + 3] = uint8_t(alpha);
  }
  return b;
}

void Paint(TBenchSurface& b) {
  for (size_t i = 0; i < b.Bytes.size(); ++i) b.Bytes[i] = i % 4 == 3 ? 255 : uint8_t(i * 31);
}

// pixman's version of a plan: one source image per cell, set up once.
class TPixmanGrid {
 public:
  TPixmanGrid(TBenchSurface& picture, const TNineGridPlan& plan, pixman_filter_t filter) {
    for (const TNineGridCell& cell : plan) {
      pixman_image_t* image = picture.Pixman(cell.Source.X, cell.Source.Y, cell.Source.Width, cell.Source.Height);
      if (cell.Kind == TCellKind::Tile) {
        pixman_image_set_repeat(image, PIXMAN_REPEAT_NORMAL);
      } else if (cell.Kind == TCellKind::Stretch) {
        pixman_transform_t t;
        pixman_transform_init_scale(&t, pixman_double_to_fixed(double(cell.Source.Width) / cell.Dest.Width),
                                    pixman_double_to_fixed(double(cell.Source.Height) / cell.Dest.Height));
        pixman_image_set_transform(image, &t);
        pixman_image_set_filter(image, filter, nullptr, 0);
        pixman_image_set_repeat(image, PIXMAN_REPEAT_PAD);
      }
      cells_.push_back({image, cell.Dest});
    }
  }
  ~TPixmanGrid() {
    for (const TCell& c : cells_) pixman_image_unref(c.image);
  }
  TPixmanGrid(const TPixmanGrid&) = delete;
  TPixmanGrid& operator=(const TPixmanGrid&) = delete;

  void Draw(pixman_image_t* dest) const {
    for (const TCell& c : cells_)
      pixman_image_composite32(PIXMAN_OP_OVER, c.image, nullptr, dest, 0, 0, 0, 0, c.dest.X, c.dest.Y, c.dest.Width,
                               c.dest.Height);
  }

 private:
  struct TCell {
    pixman_image_t* image;
    TCellRect dest;
  };
  std::vector<TCell> cells_;
};

struct TCase {
  std::string name;
  int32_t picture_side;
  TSuperStretchMode mode;
  int32_t width, height;
  bool smooth;
};

// Returns our seconds per drawn pixel.
double Run(const TCase& c) {
  TBenchSurface picture = MakePicture(c.picture_side, c.picture_side);
  const TNineGridRequest request{c.picture_side, c.picture_side, c.mode, 8, 8, 8, 8, 0, 0, c.width, c.height};
  TBenchSurface ours(c.width, c.height), theirs(c.width, c.height);
  Paint(ours);
  Paint(theirs);
  TPictureSource source;
  source.Pixels = picture.View();
  TComposeParams params;
  params.Premultiplied = true;
  const TPngSmoothFilter filter = c.smooth ? psfFastSmooth : psfDefault;

  const TPixmanGrid grid(picture, PlanNineGrid(request), c.smooth ? PIXMAN_FILTER_BILINEAR : PIXMAN_FILTER_NEAREST);
  pixman_image_t* dest = theirs.Pixman();
  const int64_t pixels = int64_t(c.width) * c.height;
  const int repeats = int(std::max<int64_t>(1, 40'000'000 / pixels));
  const double pixman_s = bench::BestSeconds([&] {
    for (int i = 0; i < repeats; ++i) grid.Draw(dest);
  });
  const double ours_s = bench::BestSeconds([&] {
    for (int i = 0; i < repeats; ++i) {
      const TNineGridPlan plan = PlanNineGrid(request);
      DrawNineGridPlan(ours.View(), source, plan, filter, params);
    }
  });
  pixman_image_unref(dest);
  bench::PrintRow("pixman " + c.name, pixman_s / repeats, pixman_s / repeats);
  bench::PrintRow("ours   " + c.name, ours_s / repeats, pixman_s / repeats);
  return ours_s / repeats / double(pixels);
}

}  // namespace

int main() {
  const struct {
    const char* name;
    int32_t width, height;
  } sizes[] = {{"75x23 button", 75, 23},      {"120x32 button", 120, 32}, {"200x40 button", 200, 40},
               {"400x300 panel", 400, 300}, {"1920x1080 background", 1920, 1080}};

  bench::PrintHeader("Stretched nine-grid, 30x30 picture (reference: pixman NEAREST / BILINEAR per cell)");
  for (bool smooth : {false, true})
    for (const auto& s : sizes)
      Run({std::string(s.name) + (smooth ? " bilinear" : " nearest"), 30, sdmStretch, s.width, s.height, smooth});

  bench::PrintHeader("Tiled nine-grid, sdmFill (reference: pixman REPEAT_NORMAL per cell)");
  for (const auto& s : sizes) {
    double per_pixel[2];
    int i = 0;
    for (int32_t tile : {4, 12})
      per_pixel[i++] = Run({std::string(s.name) + " " + std::to_string(tile) + "-px tiles", 16 + tile, sdmFill,
                            s.width, s.height, false});
    std::printf("  %s: ours %.3f ns a pixel with 4-px tiles, %.3f with 12-px tiles (ratio %.2f)\n", s.name,
                per_pixel[0] * 1e9, per_pixel[1] * 1e9, per_pixel[0] / per_pixel[1]);
  }
  return 0;
}
