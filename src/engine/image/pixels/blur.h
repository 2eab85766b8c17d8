#pragma once
// Blurring a rectangle of a picture in place, for shadows and glows.
//
// Gaussian: separable, sigma = |passes| / 2 (clamped to 0.1 .. 250) over all
// four channels of 32-bit pixels; radius = passes when passes > 0, else the
// automatic radius of GaussianWeights. It runs horizontally then vertically
// in single precision over the rectangle enlarged by the radius, the enlarged
// border repeating the rectangle's edge pixels, and rounds back to bytes.
//
// 3 x 3: |passes| rounds in place, row by row, left to right, each pixel from
// its current neighbours (already blurred ones included), neighbours outside
// the rectangle replaced by the nearest edge pixel:
//   (TL div 2 + T + TR div 2 + L + 2 C + R + BL div 2 + B + BR div 2) >> 3
// on every channel of 24- and 32-bit pixels and on the alpha plane of 24-bit ones.

#include <cstdint>
#include <vector>

#include "engine/image/pixels/pixel_view.h"

enum class TBlurKernel : uint8_t {
  ByVectorLevel,  // Gaussian when the processor has SSE2 (and the level allows it), else 3 x 3
  Gaussian,
  Box3x3,
};

// |passes| is capped at this: beyond it the work grows without changing the look.
constexpr int32_t kMaxBlurPasses = 1000;

// Blurs (left, top, width, height) of the picture; a width or height of 0
// stands for the picture's, a negative left or top shortens the rectangle.
// Raises (plain Exception): "Invalid image data." without pixels, "Invalid
// rectangular area." when nothing of the rectangle lies on the picture, "Must
// be 32 bit image pixel format." for the Gaussian on other pixels, "The image
// pixel format not supported." for the 3 x 3 on pixels below 24 bits and
// "Not enough memory." when a work buffer cannot be had.
void BlurPixels(const TPixelView& pixels, const TAlphaPlane& alpha, int32_t left, int32_t top, int32_t width,
                int32_t height, int32_t passes, TBlurKernel kernel = TBlurKernel::ByVectorLevel);

// The Gaussian's weights for centre, 1, ..., radius (normalised so that
// centre + 2 * the others is 1). Without a radius (passes < 0) it starts at
// round(sigma + 1) and grows until a weight rounds to 0 of 255 against the
// sum; the radius before that is used, at least 1. passes must not be 0.
std::vector<float> GaussianWeights(int32_t passes);
