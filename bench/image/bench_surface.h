#pragma once
// A 32-bit surface that our kernels and pixman draw on alike: pixman's images
// are views of the same memory, so both sides read and write the same bytes.

#include <pixman.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/image/pixels/pixel_view.h"

struct TBenchSurface {
  TBenchSurface(int32_t width, int32_t height)
      : Width(width), Height(height), Bytes(4 * size_t(width) * size_t(height)) {}
  int32_t Width, Height;
  std::vector<uint8_t> Bytes;

  TPixelView View() { return {Bytes.data(), Width, Height, 4 * ptrdiff_t(Width), TPixelLayout::Bgra32}; }
  // A pixman image over the whole surface, or over a window of it.
  pixman_image_t* Pixman() { return Pixman(0, 0, Width, Height); }
  pixman_image_t* Pixman(int32_t x, int32_t y, int32_t width, int32_t height) {
    return pixman_image_create_bits(PIXMAN_a8r8g8b8, width, height,
                                    reinterpret_cast<uint32_t*>(&Bytes[4 * (size_t(y) * size_t(Width) + size_t(x))]),
                                    4 * Width);
  }
};
