// The pixel kernels against pixman (and memcpy) on the same pictures in the
// same run.
//
// Composition: premultiplied sources (AlphaMode 1) over 32-bit surfaces, with
// and without a constant opacity, against pixman's OVER with no mask and with
// a solid mask (its over_8888_8888 and over_8888_n_8888); the straight-alpha
// figure for reference; and memcpy of the destination's bytes. Scaling:
// bilinear against pixman's bilinear OVER, box shrink against its separable-
// convolution box. Blur: the Gaussian against pixman's separable convolution
// with the same weights. Conversion of 24-bit pixels to 32 bits against memcpy
// of the 32-bit result. Reference of each row: the pixman (or memcpy) figure;
// a ratio below 1.0 means faster than the reference.

#include <pixman.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/harness.h"
#include "bench/image/bench_surface.h"
#include "engine/image/pixels/blur.h"
#include "engine/image/pixels/compose_picture.h"
#include "engine/image/pixels/convert.h"
#include "rtl/cpu_features.h"

namespace {

enum class TAlphaKind { Random, UiLike };

// Premultiplied pixels. Random: every alpha equally likely. UI-like: a rounded
// panel: transparent outside, a soft two-pixel edge, opaque inside.
TBenchSurface MakeSource(int32_t width, int32_t height, TAlphaKind kind, uint32_t seed) {
  TBenchSurface b(width, height);
  std::mt19937 random(seed);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = &b.Bytes[4 * (size_t(y) * size_t(width) + size_t(x))];
      int alpha;
      if (kind == TAlphaKind::Random) {
        alpha = int(random() & 0xFF);
      } else {
        const int32_t edge = std::min({x, y, width - 1 - x, height - 1 - y});
        alpha = edge < 2 ? 0 : edge < 4 ? 64 * (edge - 1) + 63 : 255;
      }
      for (int c = 0; c < 3; ++c) p[c] = uint8_t((int(random() & 0xFF) * alpha + 127) / 255);
      p[3] = uint8_t(alpha);
    }
  return b;
}

TBenchSurface MakeBackground(int32_t width, int32_t height) {
  TBenchSurface b(width, height);
  std::mt19937 random(7);
  for (size_t i = 0; i < b.Bytes.size(); ++i) b.Bytes[i] = i % 4 == 3 ? 255 : uint8_t(random());
  return b;
}

// Repeats for a measurement of roughly 20 ms at `pixels_per_second`.
int RepeatsFor(int64_t pixels) { return int(std::max<int64_t>(1, 40'000'000 / std::max<int64_t>(pixels, 1))); }

void BenchComposition() {
  bench::PrintHeader("Composition over a 32-bit surface (reference: pixman OVER of the same pictures)");
  struct TSize {
    int32_t w, h;
  };
  for (TSize size : {TSize{100, 30}, TSize{256, 256}, TSize{2048, 2048}}) {
    for (TAlphaKind kind : {TAlphaKind::Random, TAlphaKind::UiLike}) {
      const std::string label = std::to_string(size.w) + "x" + std::to_string(size.h) +
                                (kind == TAlphaKind::Random ? " random" : " ui");
      TBenchSurface source = MakeSource(size.w, size.h, kind, 1);
      const TBenchSurface background = MakeBackground(size.w, size.h);
      TBenchSurface ours = background, theirs = background;
      const int repeats = RepeatsFor(int64_t(size.w) * size.h);
      pixman_image_t* src = source.Pixman();
      pixman_image_t* dst = theirs.Pixman();
      for (uint8_t opacity : {uint8_t(255), uint8_t(128)}) {
        pixman_color_t colour{0, 0, 0, uint16_t(opacity * 257)};
        pixman_image_t* mask = opacity == 255 ? nullptr : pixman_image_create_solid_fill(&colour);
        TComposeParams params;
        params.Alpha = opacity;
        params.Premultiplied = true;
        const TDrawWindow window{0, 0, size.w, size.h, size.w, size.h, 0, 0};
        TPictureSource picture;
        picture.Pixels = source.View();
        // One untimed run of each from the same background: are the bytes equal?
        ours.Bytes = background.Bytes;
        theirs.Bytes = background.Bytes;
        ComposePicture(ours.View(), picture, window, psfDefault, params);
        pixman_image_composite32(PIXMAN_OP_OVER, src, mask, dst, 0, 0, 0, 0, 0, 0, size.w, size.h);
        const bool same = ours.Bytes == theirs.Bytes;
        const double pixman_s = bench::BestSeconds([&] {
          for (int i = 0; i < repeats; ++i)
            pixman_image_composite32(PIXMAN_OP_OVER, src, mask, dst, 0, 0, 0, 0, 0, 0, size.w, size.h);
        });
        const double ours_s = bench::BestSeconds([&] {
          for (int i = 0; i < repeats; ++i) ComposePicture(ours.View(), picture, window, psfDefault, params);
        });
        params.Premultiplied = false;
        const double straight_s = bench::BestSeconds([&] {
          for (int i = 0; i < repeats; ++i) ComposePicture(ours.View(), picture, window, psfDefault, params);
        });
        std::vector<uint8_t> copy(ours.Bytes.size());
        const double memcpy_s = bench::BestSeconds([&] {
          for (int i = 0; i < repeats; ++i) {
            std::memcpy(copy.data(), source.Bytes.data(), copy.size());
            asm volatile("" : : "r"(copy.data()) : "memory");
          }
        });
        const std::string name = label + (opacity == 255 ? " over" : " over opacity 128");
        bench::PrintRow("pixman " + name, pixman_s, pixman_s);
        bench::PrintRow("ours premultiplied " + name + (same ? " (bytes = pixman)" : " (bytes differ)"), ours_s,
                        pixman_s);
        bench::PrintRow("ours straight alpha " + name, straight_s, pixman_s);
        // Bandwidth: composition reads source and destination and writes the
        // destination (12 bytes a pixel); memcpy reads and writes 4.
        std::printf("%-44s %12.3f %9.0f%%\n", ("memcpy " + label + " (bandwidth of ours in %)").c_str(),
                    memcpy_s * 1e3, 100 * (12 / ours_s) / (8 / memcpy_s));
        if (mask) pixman_image_unref(mask);
      }
      pixman_image_unref(src);
      pixman_image_unref(dst);
    }
  }
}

// The source window (src_side square from the origin) scaled to dest_side.
pixman_image_t* ScaledPixman(TBenchSurface& source, int32_t src_side, int32_t dest_side, pixman_filter_t filter,
                             const pixman_fixed_t* params, int n_params) {
  pixman_image_t* src = source.Pixman();
  pixman_transform_t t;
  const pixman_fixed_t scale = pixman_double_to_fixed(double(src_side) / dest_side);
  pixman_transform_init_scale(&t, scale, scale);
  pixman_image_set_transform(src, &t);
  pixman_image_set_filter(src, filter, params, n_params);
  pixman_image_set_repeat(src, PIXMAN_REPEAT_PAD);
  return src;
}

void BenchScaling() {
  bench::PrintHeader("Scaling a 512x512 picture over a surface (reference: pixman with the matching filter)");
  TBenchSurface source = MakeSource(512, 512, TAlphaKind::UiLike, 3);
  TPictureSource picture;
  picture.Pixels = source.View();
  TComposeParams params;
  params.Premultiplied = true;
  struct TCase {
    const char* name;
    int32_t src, dest;
    TPngSmoothFilter filter;
  };
  for (TCase c : {TCase{"bilinear x0.5", 512, 256, psfFastSmooth}, TCase{"bilinear x0.75", 512, 384, psfFastSmooth},
                  TCase{"bilinear x1.5", 512, 768, psfFastSmooth}, TCase{"bilinear x2", 512, 1024, psfFastSmooth},
                  TCase{"box shrink /2", 512, 256, psfSmooth}, TCase{"box shrink /3", 510, 170, psfSmooth},
                  TCase{"box shrink /4", 512, 128, psfSmooth}}) {
    TBenchSurface dest = MakeBackground(c.dest, c.dest);
    pixman_image_t* src;
    int n_params = 0;
    pixman_fixed_t* params_box = nullptr;
    if (c.filter == psfFastSmooth) {
      src = ScaledPixman(source, c.src, c.dest, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    } else {
      const pixman_fixed_t scale = pixman_double_to_fixed(double(c.src) / c.dest);
      params_box = pixman_filter_create_separable_convolution(&n_params, scale, scale, PIXMAN_KERNEL_IMPULSE,
                                                              PIXMAN_KERNEL_IMPULSE, PIXMAN_KERNEL_BOX,
                                                              PIXMAN_KERNEL_BOX, 1, 1);
      src = ScaledPixman(source, c.src, c.dest, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params_box, n_params);
    }
    pixman_image_t* dst = dest.Pixman();
    const int repeats = RepeatsFor(int64_t(c.dest) * c.dest) / 4 + 1;
    const double pixman_s = bench::BestSeconds([&] {
      for (int i = 0; i < repeats; ++i)
        pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dst, 0, 0, 0, 0, 0, 0, c.dest, c.dest);
    });
    const TDrawWindow window{0, 0, c.src, c.src, c.dest, c.dest, 0, 0};
    const double ours_s = bench::BestSeconds([&] {
      for (int i = 0; i < repeats; ++i) ComposePicture(dest.View(), picture, window, c.filter, params);
    });
    bench::PrintRow(std::string("pixman ") + c.name, pixman_s, pixman_s);
    bench::PrintRow(std::string("ours ") + c.name, ours_s, pixman_s);
    pixman_image_unref(src);
    pixman_image_unref(dst);
    free(params_box);
  }
}

void BenchBlur() {
  bench::PrintHeader("Gaussian blur, ms per frame (reference: pixman separable convolution, same weights)");
  struct TCase {
    int32_t w, h, passes;
  };
  for (TCase c : {TCase{400, 300, 4}, TCase{400, 300, 24}, TCase{1024, 768, 4}, TCase{1024, 768, 24}}) {
    const std::vector<float> weights = GaussianWeights(c.passes);
    const int32_t taps = 2 * int32_t(weights.size()) - 1;
    std::vector<pixman_fixed_t> params = {pixman_int_to_fixed(taps), pixman_int_to_fixed(taps), 0, 0};
    for (int pass = 0; pass < 2; ++pass)
      for (int32_t k = 0; k < taps; ++k)
        params.push_back(pixman_double_to_fixed(weights[size_t(std::abs(k - (taps - 1) / 2))]));
    TBenchSurface source = MakeSource(c.w, c.h, TAlphaKind::Random, 5), target(c.w, c.h);
    pixman_image_t* src = source.Pixman();
    pixman_image_set_filter(src, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params.data(), int(params.size()));
    pixman_image_set_repeat(src, PIXMAN_REPEAT_PAD);
    pixman_image_t* dst = target.Pixman();
    const double pixman_s = bench::BestSeconds(
        [&] { pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, 0, 0, c.w, c.h); }, 3);
    TBenchSurface work = source;
    const double ours_s = bench::BestSeconds(
        [&] { BlurPixels(work.View(), {}, 0, 0, 0, 0, c.passes, TBlurKernel::Gaussian); }, 3);
    const std::string name = std::to_string(c.w) + "x" + std::to_string(c.h) + " radius " +
                             std::to_string(weights.size() - 1);
    bench::PrintRow("pixman " + name, pixman_s, pixman_s);
    bench::PrintRow("ours " + name, ours_s, pixman_s);
    pixman_image_unref(src);
    pixman_image_unref(dst);
  }
}

void BenchConversion() {
  bench::PrintHeader("24-bit pixels (and alpha plane) to 32 bits (reference: memcpy of the 32-bit bytes)");
  for (int32_t side : {256, 2048}) {
    std::vector<uint8_t> bgr(3 * size_t(side) * size_t(side)), alpha(size_t(side) * size_t(side));
    std::mt19937 random(9);
    for (uint8_t& b : bgr) b = uint8_t(random());
    for (uint8_t& b : alpha) b = uint8_t(random());
    TBenchSurface out(side, side);
    std::vector<uint8_t> copy(out.Bytes.size()), from(out.Bytes.size(), 1);
    const int repeats = RepeatsFor(int64_t(side) * side);
    const double memcpy_s = bench::BestSeconds([&] {
      for (int i = 0; i < repeats; ++i) {
        std::memcpy(copy.data(), from.data(), copy.size());
        asm volatile("" : : "r"(copy.data()) : "memory");
      }
    });
    const std::string size = std::to_string(side) + "x" + std::to_string(side);
    bench::PrintRow("memcpy " + size, memcpy_s, memcpy_s);
    for (int with_plane = 0; with_plane < 2; ++with_plane)
      for (bool premultiply : {false, true}) {
        TPictureSource source;
        source.Pixels = {bgr.data(), side, side, 3 * ptrdiff_t(side), TPixelLayout::Bgr24};
        if (with_plane) source.Alpha = {alpha.data(), side};
        TConvertOptions options;
        options.Premultiply = premultiply;
        const double s = bench::BestSeconds([&] {
          for (int i = 0; i < repeats; ++i) ConvertPixels(out.View(), 0, 0, source, 0, 0, side, side, options);
        });
        // Bandwidth: 3 (+1 with the plane) bytes read and 4 written a pixel,
        // against memcpy's 4 read and 4 written.
        const double bytes = with_plane ? 8 : 7;
        const std::string name =
            "24" + std::string(with_plane ? "+alpha" : "") + "->32" + (premultiply ? " premultiplied " : " ") + size;
        bench::PrintRow(name, s, memcpy_s);
        std::printf("%-44s %21.0f%%\n", "  bandwidth against memcpy", 100 * (bytes / s) / (8 / memcpy_s));
      }
  }
}

}  // namespace

// Without arguments every block runs; otherwise the named ones
// (composition, scaling, blur, conversion).
int main(int argc, char** argv) {
  std::printf("SIMD level: %s\n", SimdLevelName(ActiveSimdLevel()));
  const auto wanted = [&](const char* block) {
    if (argc < 2) return true;
    for (int i = 1; i < argc; ++i)
      if (std::strcmp(argv[i], block) == 0) return true;
    return false;
  };
  if (wanted("composition")) BenchComposition();
  if (wanted("scaling")) BenchScaling();
  if (wanted("blur")) BenchBlur();
  if (wanted("conversion")) BenchConversion();
  return 0;
}
