#pragma once
// Software drawing of a nine-grid plan: each cell of the plan composed from
// the picture over a 32-bit surface with the pixel kernels. The device
// drawer hands over the destination bits and the picture's pixels and gets
// the same result for any picture layout.

#include "engine/image/design/nine_grid_plan.h"
#include "engine/image/pixels/compose.h"
#include "engine/image/pixels/compose_picture.h"
#include "engine/image/pixels/pixel_view.h"

// Draws the cells of `plan`, made for `picture`'s size, over `dest`, whose
// pixel (0, 0) is the origin of the plan's destination coordinates; cells
// are clipped to `dest`. Stretched cells are sampled with `filter`, copies
// and tiles 1:1. params.Alpha 0 draws nothing. A destination that is not
// 32-bit raises "Must be 32 bit image pixel format.".
void DrawNineGridPlan(const TPixelView& dest, const TPictureSource& picture, const TNineGridPlan& plan,
                      TPngSmoothFilter filter, const TComposeParams& params);
