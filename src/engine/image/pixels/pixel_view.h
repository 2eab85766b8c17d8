#pragma once
// Plain-memory descriptions of pixels, so that the kernels work on any buffer:
// a picture's own memory, a scratch surface or the bits of a DIB section.
// Rows run top-down; Stride is the distance in bytes from one row to the next.
// Pixels are blue, green, red (and alpha) in memory.

#include <cstddef>
#include <cstdint>

enum class TPixelLayout : uint8_t {
  Indexed1,  // samples of 1, 2, 4 or 8 bits, leftmost pixel in the high bits:
  Indexed2,  // palette indices, or grey levels when no palette is given
  Indexed4,
  Indexed8,
  Bgr24,
  Bgra32,
};

inline int32_t BitsPerPixel(TPixelLayout layout) {
  switch (layout) {
    case TPixelLayout::Indexed1: return 1;
    case TPixelLayout::Indexed2: return 2;
    case TPixelLayout::Indexed4: return 4;
    case TPixelLayout::Indexed8: return 8;
    case TPixelLayout::Bgr24: return 24;
    case TPixelLayout::Bgra32: return 32;
  }
  return 0;
}

struct TPixelView {
  uint8_t* Bits = nullptr;
  int32_t Width = 0;
  int32_t Height = 0;
  ptrdiff_t Stride = 0;
  TPixelLayout Layout = TPixelLayout::Bgra32;

  uint8_t* Row(int32_t y) const { return Bits + ptrdiff_t(y) * Stride; }
};

// One alpha byte per pixel, of the same width and height as the pixels it
// belongs to. No Bits: no plane.
struct TAlphaPlane {
  uint8_t* Bits = nullptr;
  ptrdiff_t Stride = 0;

  explicit operator bool() const { return Bits != nullptr; }
  uint8_t* Row(int32_t y) const { return Bits + ptrdiff_t(y) * Stride; }
};

// A picture as the kernels read it. The alpha of a pixel comes from the
// 32-bit pixel itself, else from the alpha plane, else from the palette's
// alpha list (indices beyond it are opaque), else it is 255.
struct TPictureSource {
  TPixelView Pixels;
  TAlphaPlane Alpha;
  const uint8_t* Palette = nullptr;       // 4 bytes per entry: blue, green, red, unused
  const uint8_t* PaletteAlpha = nullptr;  // alpha of the first PaletteAlphaCount entries
  int32_t PaletteAlphaCount = 0;
};

// A colour value (red | green << 8 | blue << 16) as the 24 bits of a pixel
// in memory (blue | green << 8 | red << 16), for comparing with pixels.
inline uint32_t ColorToPixelBits(uint32_t color) {
  return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}
