#pragma once
// The vector variants of ComposeRow, each equal to the portable one bit for
// bit; ComposeRow picks one by the active SIMD level.

#include <cstdint>

#include "engine/image/pixels/compose.h"

// The parameters of a row as the variants read them, prepared once per row.
struct TComposeRowSetup {
  uint32_t KeyBits;    // 24-bit key in pixel order; 0xFFFFFFFF: no key
  uint8_t Alpha;
  bool Premultiplied;
  bool Gray;
};

void ComposeRowSse2(uint8_t* dest, const uint8_t* source, int32_t count, const TComposeRowSetup& setup);
void ComposeRowAvx2(uint8_t* dest, const uint8_t* source, int32_t count, const TComposeRowSetup& setup);

// The portable reference, also used for the tails of the vector variants.
void ComposeRowPortable(uint8_t* dest, const uint8_t* source, int32_t count, const TComposeRowSetup& setup);
