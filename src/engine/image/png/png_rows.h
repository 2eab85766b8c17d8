#pragma once
// One row between the file's sample order and the engine's layout (see
// png_format.h), and the Adam7 pass geometry shared by decoding and encoding.

#include <cstddef>
#include <cstdint>

#include "engine/image/png/png_kernels.h"

// The image a codec call works on: its header values and where its layout lives.
struct TPngPixelTarget {
  uint32_t Width = 0;
  uint32_t Height = 0;
  uint8_t BitDepth = 8;
  uint8_t ColorType = 0;
  int LayoutBits = 0;         // LayoutBitsPerPixel() of the header
  uint8_t* Pixels = nullptr;  // Height rows of BytesPerRow bytes
  size_t BytesPerRow = 0;
  uint8_t* Alpha = nullptr;   // Width bytes per row, or null (no alpha plane)
  uint8_t* Extra = nullptr;   // 16-bit low bytes in the layout of Pixels, or null
};

// How the alpha of the pixels being saved is to be read.
enum class TPngAlphaMode : uint8_t {
  Straight = 0,       // colours not multiplied by alpha
  Premultiplied = 1,  // colours multiplied by alpha: divided back before saving
  Invalid = 2,        // alpha never written by the drawing: saved as 255
};

// Writes row `y` of the target from one unfiltered PNG row (`raw`). Padding
// bytes of the layout rows are zeroed.
void ExpandRow(const TPngKernels& kernels, const TPngPixelTarget& target, const uint8_t* raw, uint32_t y);

// Builds one unfiltered PNG row (`raw`) from row `y` of the target. The file's
// depth is the target's, except that depth 2 is saved as 4 (grey levels
// scaled to keep their brightness). 16-bit alpha is saved as a × 257.
void PackRow(const TPngKernels& kernels, const TPngPixelTarget& target, TPngAlphaMode alpha_mode,
             uint8_t* raw, uint32_t y);

// The file depth PackRow writes for a layout depth.
inline uint8_t SavedBitDepth(uint8_t bit_depth) { return bit_depth == 2 ? 4 : bit_depth; }

// Adam7: pass p takes the pixels (X0 + i·DX, Y0 + j·DY).
struct TAdam7Pass {
  uint32_t X0, Y0, DX, DY;
};
inline constexpr TAdam7Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                         {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
inline uint32_t Adam7Extent(uint32_t size, uint32_t start, uint32_t step) {
  return size > start ? (size - start + step - 1) / step : 0;
}

// Copies `count` pixels of `bits` bits from src (pixel i) to dst (pixel
// first + i·step), or the other way round with Gather. Rows are MSB-first.
void ScatterPixels(const uint8_t* src, uint8_t* dst, uint32_t count, int bits, uint32_t first, uint32_t step);
void GatherPixels(const uint8_t* src, uint8_t* dst, uint32_t count, int bits, uint32_t first, uint32_t step);
