#pragma once
// Reading a picture of any layout as blue, green, red, alpha bytes, colours
// as they are stored (straight or premultiplied alike). Palette pictures read
// through their palette, grey samples of 1, 2 and 4 bits are expanded to
// 0..255; the alpha follows the rules of TPictureSource.

#include <cstdint>

#include "engine/image/pixels/pixel_view.h"

// `count` pixels from (x, y) on, into bgra (4 bytes each). The caller keeps
// the run inside the picture.
void ReadSourceRow(const TPictureSource& source, int32_t x, int32_t y, int32_t count, uint8_t* bgra);
