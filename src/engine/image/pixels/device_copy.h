#pragma once
// The pixel results of two device operations, for surfaces whose bits are
// reachable: the alpha repair after ordinary device drawing and the plain
// stretch copy that precedes it.

#include <cstdint>

#include "engine/image/pixels/pixel_view.h"

// Alpha repair of a rectangle of a 32-bit surface (clipped to it), colours
// unchanged. With copy_source every alpha becomes 255. Without it each alpha
// becomes 255 - alpha: right only where the device drawing touched every pixel
// of the rectangle (it writes alpha 0 there), since an untouched opaque pixel
// ends at 0. Callers pass copy_source unless they know that.
void FixAlphaAfterGdiPixels(const TPixelView& surface, int32_t x, int32_t y, int32_t width, int32_t height,
                            bool copy_source);

// Nearest-neighbour stretch copy of a source rectangle of a 24- or 32-bit
// picture onto a destination rectangle of a 32-bit surface, both clipped
// to their pictures: destination column i reads source column
// sx + i * sw div dw, rows likewise. 24-bit sources arrive with alpha 0, as a
// device writes them. Empty or negative sizes copy nothing.
void StretchCopyPixels(const TPixelView& dest, int32_t dx, int32_t dy, int32_t dw, int32_t dh,
                       const TPixelView& source, int32_t sx, int32_t sy, int32_t sw, int32_t sh);
