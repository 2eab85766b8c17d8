#include "libpng_reference.h"

#include <csetjmp>
#include <cstring>

#include "png_test_support.h"

namespace png_test {

namespace {

struct TMemoryReader {
  const uint8_t* Data;
  size_t Size, Pos;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t n) {
  auto* r = static_cast<TMemoryReader*>(png_get_io_ptr(png));
  if (r->Size - r->Pos < n) png_error(png, "read past the end");
  std::memcpy(out, r->Data + r->Pos, n);
  r->Pos += n;
}

void OnLibpngError(png_structp png, png_const_charp) { longjmp(png_jmpbuf(png), 1); }
void OnLibpngWarning(png_structp, png_const_charp) {}

}  // namespace

uint32_t TLibpngImage::Sample(uint32_t x, uint32_t y, int channel) const {
  const uint8_t* row = Pixels.data() + size_t(y) * RowBytes;
  const int channels = PngChannels(uint8_t(ColorType));
  if (Depth < 8) {
    const size_t bit = size_t(x) * Depth;
    return (row[bit / 8] >> (8 - Depth - bit % 8)) & ((1u << Depth) - 1);
  }
  const size_t i = size_t(x) * channels + channel;
  return Depth == 8 ? row[i] : uint32_t(row[2 * i]) << 8 | row[2 * i + 1];
}

// Everything that outlives a longjmp belongs to `img`.
bool LibpngDecode(const uint8_t* data, size_t size, TLibpngImage& img) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnLibpngError, OnLibpngWarning);
  png_infop info = png_create_info_struct(png);
  TMemoryReader reader{data, size, 0};
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &reader, ReadFromMemory);
  png_set_chunk_malloc_max(png, 8u << 20);  // the same cap as ours: no gigabyte chunks
  png_read_info(png, info);
  img.Width = png_get_image_width(png, info);
  img.Height = png_get_image_height(png, info);
  img.Depth = png_get_bit_depth(png, info);
  img.ColorType = png_get_color_type(png, info);
  if (png_get_interlace_type(png, info) != PNG_INTERLACE_NONE) png_set_interlace_handling(png);
  png_read_update_info(png, info);
  img.RowBytes = png_get_rowbytes(png, info);
  img.Pixels.resize(img.RowBytes * img.Height);
  img.RowPointers.resize(img.Height);
  for (uint32_t y = 0; y < img.Height; ++y) img.RowPointers[y] = img.Pixels.data() + y * img.RowBytes;
  png_read_image(png, img.RowPointers.data());
  png_read_end(png, nullptr);
  png_colorp palette;
  int count;
  img.Palette.clear();
  img.Alpha.clear();
  if (png_get_PLTE(png, info, &palette, &count)) img.Palette.assign(palette, palette + count);
  png_bytep trans;
  int trans_count;
  png_color_16p key;
  if (img.ColorType == PNG_COLOR_TYPE_PALETTE && png_get_tRNS(png, info, &trans, &trans_count, &key))
    img.Alpha.assign(trans, trans + trans_count);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

bool IsAlphaChannel(int color_type, int channel) {
  return (color_type == kPngGreyAlpha && channel == 1) || (color_type == kPngTrueColorAlpha && channel == 3);
}

std::string CompareWithLibpng(const TChunkIHDR& ours, const TLibpngImage& ref) {
  if (uint32_t(ours.Width) != ref.Width || uint32_t(ours.Height) != ref.Height || ours.BitDepth != ref.Depth ||
      ours.ColorType != ref.ColorType)
    return "header differs";
  const int channels = PngChannels(ours.ColorType);
  for (uint32_t y = 0; y < ref.Height; ++y)
    for (uint32_t x = 0; x < ref.Width; ++x)
      for (int c = 0; c < channels; ++c) {
        uint32_t expected = ref.Sample(x, y, c);
        if (ref.Depth == 16 && IsAlphaChannel(ref.ColorType, c)) expected >>= 8;
        const uint32_t got = LayoutSample(ours, x, y, c);
        if (got != expected)
          return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") channel " + std::to_string(c) + ": " +
                 std::to_string(got) + " instead of " + std::to_string(expected);
      }
  return {};
}

}  // namespace png_test
