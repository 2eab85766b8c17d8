#pragma once
// The software drawing of a picture: a window of the picture, scaled to a
// destination rectangle, composed over a 32-bit surface that holds the
// visible part of that rectangle (the background already in it).
//
// Sampling, by filter:
//  - psfDefault: destination column i (counted from the rectangle's left)
//    reads column SrcX + i * SrcWidth div DestWidth, rows likewise;
//  - psfFastSmooth: bilinear in 17.15 fixed point; neighbours beyond the
//    picture's last column or row are taken from the edge;
//  - psfSmooth: the average of the box of source pixels that falls on a
//    destination pixel (box bounds by rounded MulDiv), only when shrinking
//    both ways; otherwise it acts as psfFastSmooth.
// The filters apply to 24- and 32-bit pictures that are scaled; other
// pictures are sampled as psfDefault. Source columns and rows before the
// picture are skipped, the first one beyond it ends the row or the drawing.
// A colour key skips a bilinear sample only when all four neighbours match it.

#include <cstdint>

#include "engine/image/pixels/compose.h"
#include "engine/image/pixels/pixel_view.h"

enum TPngSmoothFilter : uint8_t { psfDefault = 0, psfFastSmooth = 1, psfSmooth = 2 };

struct TDrawWindow {
  int32_t SrcX = 0;  // source window in the picture
  int32_t SrcY = 0;
  int32_t SrcWidth = 0;
  int32_t SrcHeight = 0;
  int32_t DestWidth = 0;  // the whole destination rectangle
  int32_t DestHeight = 0;
  int32_t ClipLeft = 0;  // where the visible part starts inside the destination rectangle
  int32_t ClipTop = 0;
};

// Composes `source` over `dest` (32-bit; its Width and Height are those of
// the visible part). Empty sizes or a picture without pixels draw nothing;
// a destination that is not 32-bit raises "Must be 32 bit image pixel format.".
void ComposePicture(const TPixelView& dest, const TPictureSource& source, const TDrawWindow& window,
                    TPngSmoothFilter filter, const TComposeParams& params);
