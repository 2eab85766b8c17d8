#pragma once
// Pixel conversions between layouts: any picture into 32-bit pixels (24-bit
// with or without an alpha plane, 32-bit, palette and grey), 32-bit into
// 24-bit, and the copy of a window of pixels and alpha between pictures.

#include <cstdint>

#include "engine/image/pixels/pixel_view.h"

struct TConvertOptions {
  bool Premultiply = false;  // each colour channel = Mul[alpha][channel]
  bool Gray = false;         // the grey value into the three colour channels
  bool UseKey = false;       // a pixel whose colour equals Key becomes 0 (all four bytes)
  uint32_t Key = 0;          // colour value: red | green << 8 | blue << 16
};

// A window of a picture placed at (dest_x, dest_y) of the destination: the
// window is clipped to both. Output alpha = the source's alpha (TPictureSource
// rules); a 24-bit destination drops it. A 32-bit picture may be converted
// in place (same buffer, same position). A destination that is neither 24-
// nor 32-bit raises "The image pixel format not supported.".
void ConvertPixels(const TPixelView& dest, int32_t dest_x, int32_t dest_y, const TPictureSource& source,
                   int32_t src_x, int32_t src_y, int32_t width, int32_t height, const TConvertOptions& options);

// The pixel part of copying one picture into another: pixels as they are
// (converted between 24 and 32 bits where the layouts differ) and, when the
// destination has an alpha plane, the source's alpha into it. Clipped like
// ConvertPixels. Pictures of the same layout copy whatever it is; otherwise
// the destination must be 24- or 32-bit.
void CopyPixels(const TPixelView& dest, const TAlphaPlane& dest_alpha, int32_t dest_x, int32_t dest_y,
                const TPictureSource& source, int32_t src_x, int32_t src_y, int32_t width, int32_t height);
