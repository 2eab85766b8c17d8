#pragma once
// libpng as the reference decoder of the differential tests and the benchmark:
// raw samples of a file, and their comparison with the codec's layout.

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/image/png/png_chunks.h"

namespace png_test {

struct TLibpngImage {
  uint32_t Width = 0, Height = 0;
  int Depth = 0, ColorType = 0;
  size_t RowBytes = 0;
  std::vector<uint8_t> Pixels;  // rows as the file holds them, deinterlaced
  std::vector<png_bytep> RowPointers;
  std::vector<png_color> Palette;
  std::vector<uint8_t> Alpha;  // tRNS of an indexed picture

  // Sample `channel` of pixel (x, y) at the file's depth.
  uint32_t Sample(uint32_t x, uint32_t y, int channel) const;
};

// Decodes with no transformation but deinterlacing; false when libpng refuses the file.
bool LibpngDecode(const uint8_t* data, size_t size, TLibpngImage& image);
inline bool LibpngDecode(const std::vector<uint8_t>& file, TLibpngImage& image) {
  return LibpngDecode(file.data(), file.size(), image);
}

// True for the alpha sample of types 4 and 6.
bool IsAlphaChannel(int color_type, int channel);

// Empty when every sample of the layout equals libpng's (alpha compared at
// 8 bits), else the first difference in words.
std::string CompareWithLibpng(const TChunkIHDR& ours, const TLibpngImage& reference);

}  // namespace png_test
