#pragma once
// Composition of a row of source pixels over a row of 32-bit destination
// pixels, byte-exact to the tables:
//
//   a  = Mul[As][Alpha]
//   key colour matched, or a = 0: the destination pixel stays as it is
//   k  = Alpha for premultiplied sources, else a
//   Cd = Mul[Cs][k] + Mul[Cd][255 - a]   (Cs the grey value in grey mode)
//   Ad = Union[Ad][a]
//
// A premultiplied colour larger than its alpha (device drawing produces
// them) saturates at 255 instead of wrapping. With a = 255 this gives
// Cd = Cs and Ad = 255; over an opaque destination Ad stays 255.

#include <cstdint>

struct TComposeParams {
  uint8_t Alpha = 255;         // opacity of the draw
  bool Premultiplied = false;  // source colours already multiplied by their alpha
  bool Gray = false;           // compose the grey value of the source colour
  bool UseKey = false;         // skip source pixels whose colour equals Key
  uint32_t Key = 0;            // colour value: red | green << 8 | blue << 16
};

// Composes `count` BGRA source pixels over `count` BGRA destination pixels.
// The rows may not overlap.
void ComposeRow(uint8_t* dest, const uint8_t* source, int32_t count, const TComposeParams& params);
