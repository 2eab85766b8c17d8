#pragma once
// What a PNG header means for memory: which colour types and depths pair,
// the bytes of one filtered PNG row, and the engine's pixel layout (a
// device-independent bitmap description, rows top-down) that decoded
// pixels are stored in.
//
//   colour type                  depth      layout bits   beside the pixels
//   0 grey, 3 indexed            1, 4, 8    same          palette
//   0, 3                         2          4             palette (one pixel per nibble)
//   0                            16         8             palette; low bytes in the extra plane
//   4 grey + alpha               8, 16      8             palette; alpha plane (+ extra)
//   2 truecolour                 8, 16      24 B,G,R      (extra)
//   6 truecolour + alpha         8, 16      24 B,G,R      alpha plane (+ extra)
//                                           or 32 B,G,R,A (+ extra, same layout)

#include <cstddef>
#include <cstdint>

inline constexpr uint8_t kPngGrey = 0;
inline constexpr uint8_t kPngTrueColor = 2;
inline constexpr uint8_t kPngIndexed = 3;
inline constexpr uint8_t kPngGreyAlpha = 4;
inline constexpr uint8_t kPngTrueColorAlpha = 6;
// The engine's own colour type: pixels live in a device bitmap. Never written to a file.
inline constexpr uint8_t kPngDeviceBitmap = 240;

inline constexpr int32_t kPngMaxSide = 65535;
// The largest single buffer the codec allocates; a header asking for more is
// refused with EPNGOutMemory before anything is tried.
inline constexpr uint64_t kMaxPngBufferBytes = sizeof(void*) >= 8 ? (uint64_t(2) << 30) : (uint64_t(512) << 20);

// PNG row filters and the bits of a filter set (Sub alone = 2, the default).
enum class TPngFilter : uint8_t { None = 0, Sub = 1, Up = 2, Average = 3, Paeth = 4 };
inline constexpr uint8_t PngFilterBit(TPngFilter f) { return uint8_t(1u << uint8_t(f)); }
inline constexpr uint8_t kPngDefaultFilters = PngFilterBit(TPngFilter::Sub);
inline constexpr uint8_t kPngAllFilters = 0x1F;

#pragma pack(push, 1)
// The 40-byte bitmap-info header, field for field as the platform defines it.
struct TPngBitmapInfoHeader {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight;  // negative: rows top-down
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
};
struct TPngRgbQuad {
  uint8_t Blue;
  uint8_t Green;
  uint8_t Red;
  uint8_t Reserved;
};
// A bitmap description with room for a full palette; every byte not set is 0.
struct TPngPixelInfo {
  TPngBitmapInfoHeader Header;
  TPngRgbQuad Colors[256];
};
#pragma pack(pop)
static_assert(sizeof(TPngBitmapInfoHeader) == 40);
static_assert(sizeof(TPngPixelInfo) == 1064);

// True when the PNG standard allows this colour type with this depth.
bool IsValidPngDepth(uint8_t color_type, uint8_t bit_depth);

// Samples per pixel of a PNG colour type (1..4).
int PngChannels(uint8_t color_type);

// Bits of one pixel in the file (channels × depth).
inline int PngBitsPerPixel(uint8_t color_type, uint8_t bit_depth) {
  return PngChannels(color_type) * bit_depth;
}

// Bytes of one PNG row of `width` pixels, without the filter byte.
inline uint64_t PngRowBytes(uint32_t width, int bits_per_pixel) {
  return (uint64_t(width) * uint64_t(bits_per_pixel) + 7) / 8;
}

// Bits per pixel of the engine's layout for a header (see the table above).
int LayoutBitsPerPixel(uint8_t color_type, uint8_t bit_depth, bool want_32bit);

// Stride of the layout: rows padded to 4 bytes.
inline uint64_t LayoutBytesPerRow(uint32_t width, int layout_bits) {
  return ((uint64_t(layout_bits) * width + 31) / 32) * 4;
}

// True for the colour types whose layout carries a palette (0, 3, 4).
inline bool LayoutHasPalette(uint8_t color_type) {
  return color_type == kPngGrey || color_type == kPngIndexed || color_type == kPngGreyAlpha;
}
// True when decoded pixels keep their alpha in a separate plane.
inline bool LayoutHasAlphaPlane(uint8_t color_type, int layout_bits) {
  return color_type == kPngGreyAlpha || (color_type == kPngTrueColorAlpha && layout_bits == 24);
}

// Fills the bitmap-info header (not the colours) for a picture of this size.
void SetPixelInfoHeader(TPngPixelInfo& info, int32_t width, int32_t height, int bit_count);
