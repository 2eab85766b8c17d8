#pragma once
// Scratch images: temporary surfaces for drawing code, taken from a pool of
// 8 images on the main thread so that repeated painting does not allocate.
//
// A pooled image is held by the pool (usage count 1 while idle); a caller
// gets it with the count raised to 2 and the DC state saved, and gives it
// back by freeing it. Pooled images are made larger than asked (each side
// by max(side div 3, 100), at most 65535) and may be larger than the
// request: callers draw into their top-left part. When all slots are full
// a new image evicts the smallest idle one (or, when every one is in use,
// the smallest in use, which lives on for its caller).

#include "vcl/win_api.h"

#include "engine/image/picture/png_image_win.h"

inline constexpr int kScratchPoolSlots = 8;

// Starts and stops the pool; `main_thread` is the only thread that uses it.
void CreateScratchImagePool(DWORD main_thread);
void FreeScratchImagePool();

// A blank image of at least the given size (exactly that size when not
// pooled: `use_pool` false, another thread, or no pool).
TPngImagePtr AcquireScratchImage(uint8_t color_type, uint8_t bit_depth, bool want_32bit, bool use_pool,
                                 bool with_dc, int32_t height, int32_t width);

// The pool's image in `slot`, or nullptr (for tests and diagnostics).
TPngImage* ScratchPoolSlot(int slot);
