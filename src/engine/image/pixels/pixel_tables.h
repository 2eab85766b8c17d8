#pragma once
// The byte arithmetic every pixel kernel shares: four 256 x 256 tables
// indexed [row][column], the grey value of a colour and the expansion of
// narrow grey samples to 0..255.
//
// The tables are computed by the compiler, so they exist before any code runs
// and are never written; the vector kernels compute the same values with
// integer arithmetic and are checked against them.

#include <cstdint>

// A 256 x 256 table of bytes; Table[a][b] reads row a, column b.
struct TByteTable {
  uint8_t Cells[256][256];
  const uint8_t* operator[](int row) const { return Cells[row]; }
};

// Mul[a][b] = a * b / 255 rounded to nearest ((a * b + 127) div 255).
// Every alpha multiplication: premultiplying, weighting.
extern const TByteTable Mul;
// MulTrunc[a][b] = a * b div 255. Combines a draw opacity with a picture's own opacity.
extern const TByteTable MulTrunc;
// Union[a][b]: the alpha of a pixel of alpha b laid over one of alpha a.
extern const TByteTable Union;
// Div[a][v] = min((v * 255 + a div 2) div a, 255): un-premultiplies v at
// alpha a. Not symmetric; Div[0][v] is 0.
extern const TByteTable Div;

// (77 R + 151 G + 28 B) >> 8; the weights add up to 256, so white stays 255.
inline uint8_t GrayValue(uint8_t red, uint8_t green, uint8_t blue) {
  return uint8_t((red * 77 + green * 151 + blue * 28) >> 8);
}

// A grey sample of 1, 2, 4 or 8 bits spread over 0..255 (x 255, x 85, x 17, x 1).
inline uint8_t ExpandSample(uint8_t sample, int bits) {
  switch (bits) {
    case 1: return uint8_t(sample * 255);
    case 2: return uint8_t(sample * 85);
    case 4: return uint8_t(sample * 17);
    default: return sample;
  }
}
