#include "engine/image/pixels/convert.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/image/pixels/convert_variants.h"
#include "engine/image/pixels/pixel_errors.h"
#include "engine/image/pixels/pixel_tables.h"
#include "engine/image/pixels/simd_target.h"
#include "engine/image/pixels/source_pixels.h"
#include "rtl/cpu_features.h"

namespace {

inline void ConvertPixel(uint8_t* out, uint8_t blue, uint8_t green, uint8_t red, uint8_t alpha,
                         const TConvertRowSetup& setup) {
  if (uint32_t(blue | green << 8 | red << 16) == setup.KeyBits) {
    std::memset(out, 0, 4);
    return;
  }
  if (setup.Gray) blue = green = red = GrayValue(red, green, blue);
  if (setup.Premultiply) {
    blue = Mul[alpha][blue];
    green = Mul[alpha][green];
    red = Mul[alpha][red];
  }
  out[0] = blue;
  out[1] = green;
  out[2] = red;
  out[3] = alpha;
}

void ConvertBgrRow(uint8_t* dest, const uint8_t* bgr, const uint8_t* alpha, int32_t count,
                   const TConvertRowSetup& setup) {
#if RD_PIXELS_X86
  const TSimdLevel level = ActiveSimdLevel();
  if (level >= TSimdLevel::Avx2) return ConvertBgrRowAvx2(dest, bgr, alpha, count, setup);
  if (level >= TSimdLevel::Ssse3) return ConvertBgrRowSsse3(dest, bgr, alpha, count, setup);
#endif
  ConvertBgrRowPortable(dest, bgr, alpha, count, setup);
}

void ConvertBgraRow(uint8_t* dest, const uint8_t* bgra, int32_t count, const TConvertRowSetup& setup) {
#if RD_PIXELS_X86
  const TSimdLevel level = ActiveSimdLevel();
  if (level >= TSimdLevel::Avx2) return ConvertBgraRowAvx2(dest, bgra, count, setup);
  if (level >= TSimdLevel::Sse2) return ConvertBgraRowSse2(dest, bgra, count, setup);
#endif
  ConvertBgraRowPortable(dest, bgra, count, setup);
}

// A window of `source` placed at (dest_x, dest_y) of a destination, clipped to both.
struct TCopyWindow {
  int32_t DestX, DestY, SrcX, SrcY, Width, Height;
};

bool ClipWindow(TCopyWindow& w, const TPixelView& dest, const TPixelView& source) {
  const auto clip_axis = [](int32_t& d, int32_t& s, int32_t& size, int32_t dest_side, int32_t src_side) {
    int64_t dd = d, ss = s, n = size;
    if (ss < 0) dd -= ss, n += ss, ss = 0;
    if (dd < 0) ss -= dd, n += dd, dd = 0;
    n = std::min({n, int64_t(src_side) - ss, int64_t(dest_side) - dd});
    if (n <= 0) return false;
    d = int32_t(dd), s = int32_t(ss), size = int32_t(n);
    return true;
  };
  return clip_axis(w.DestX, w.SrcX, w.Width, dest.Width, source.Width) &&
         clip_axis(w.DestY, w.SrcY, w.Height, dest.Height, source.Height);
}

void ConvertWindow(const TPixelView& dest, const TPictureSource& source, const TCopyWindow& w,
                   const TConvertOptions& options) {
  if (dest.Layout != TPixelLayout::Bgra32 && dest.Layout != TPixelLayout::Bgr24)
    RaisePixelError(TPixelError::FormatNotSupported);
  const TConvertRowSetup setup{options.UseKey ? ColorToPixelBits(options.Key) : 0xFFFFFFFFu, options.Premultiply,
                               options.Gray};
  const bool to32 = dest.Layout == TPixelLayout::Bgra32;
  std::vector<uint8_t> row;
  if (!to32 || (source.Pixels.Layout != TPixelLayout::Bgra32 && source.Pixels.Layout != TPixelLayout::Bgr24))
    row.resize(4 * size_t(w.Width));
  for (int32_t j = 0; j < w.Height; ++j) {
    const int32_t y = w.SrcY + j;
    uint8_t* target = dest.Row(w.DestY + j) + (to32 ? 4 : 3) * size_t(w.DestX);
    uint8_t* out32 = to32 ? target : row.data();
    switch (source.Pixels.Layout) {
      case TPixelLayout::Bgra32:
        ConvertBgraRow(out32, source.Pixels.Row(y) + 4 * size_t(w.SrcX), w.Width, setup);
        break;
      case TPixelLayout::Bgr24:
        ConvertBgrRow(out32, source.Pixels.Row(y) + 3 * size_t(w.SrcX),
                      source.Alpha ? source.Alpha.Row(y) + w.SrcX : nullptr, w.Width, setup);
        break;
      default:
        ReadSourceRow(source, w.SrcX, y, w.Width, row.data());
        ConvertBgraRow(out32, row.data(), w.Width, setup);
    }
    if (!to32)
      for (int32_t i = 0; i < w.Width; ++i) std::memcpy(target + 3 * size_t(i), out32 + 4 * size_t(i), 3);
  }
}

}  // namespace

void ConvertBgrRowPortable(uint8_t* dest, const uint8_t* bgr, const uint8_t* alpha, int32_t count,
                           const TConvertRowSetup& setup) {
  for (int32_t i = 0; i < count; ++i, dest += 4, bgr += 3)
    ConvertPixel(dest, bgr[0], bgr[1], bgr[2], alpha ? alpha[i] : 255, setup);
}

void ConvertBgraRowPortable(uint8_t* dest, const uint8_t* bgra, int32_t count, const TConvertRowSetup& setup) {
  for (int32_t i = 0; i < count; ++i, dest += 4, bgra += 4) ConvertPixel(dest, bgra[0], bgra[1], bgra[2], bgra[3], setup);
}

void ConvertPixels(const TPixelView& dest, int32_t dest_x, int32_t dest_y, const TPictureSource& source,
                   int32_t src_x, int32_t src_y, int32_t width, int32_t height, const TConvertOptions& options) {
  TCopyWindow w{dest_x, dest_y, src_x, src_y, width, height};
  if (!source.Pixels.Bits || !dest.Bits || !ClipWindow(w, dest, source.Pixels)) return;
  ConvertWindow(dest, source, w, options);
}

void CopyPixels(const TPixelView& dest, const TAlphaPlane& dest_alpha, int32_t dest_x, int32_t dest_y,
                const TPictureSource& source, int32_t src_x, int32_t src_y, int32_t width, int32_t height) {
  TCopyWindow w{dest_x, dest_y, src_x, src_y, width, height};
  if (!source.Pixels.Bits || !dest.Bits || !ClipWindow(w, dest, source.Pixels)) return;
  const TPixelLayout layout = source.Pixels.Layout;
  if (dest.Layout == layout && BitsPerPixel(layout) >= 8) {
    const size_t bytes = size_t(BitsPerPixel(layout) / 8);
    for (int32_t j = 0; j < w.Height; ++j)
      std::memmove(dest.Row(w.DestY + j) + bytes * size_t(w.DestX),
                   source.Pixels.Row(w.SrcY + j) + bytes * size_t(w.SrcX), bytes * size_t(w.Width));
  } else {
    ConvertWindow(dest, source, w, TConvertOptions{});
  }
  if (!dest_alpha) return;
  std::vector<uint8_t> row(4 * size_t(w.Width));
  for (int32_t j = 0; j < w.Height; ++j) {
    uint8_t* target = dest_alpha.Row(w.DestY + j) + w.DestX;
    if (source.Alpha && layout != TPixelLayout::Bgra32) {
      std::memmove(target, source.Alpha.Row(w.SrcY + j) + w.SrcX, size_t(w.Width));
      continue;
    }
    ReadSourceRow(source, w.SrcX, w.SrcY + j, w.Width, row.data());
    for (int32_t i = 0; i < w.Width; ++i) target[i] = row[4 * size_t(i) + 3];
  }
}
