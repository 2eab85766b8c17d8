#pragma once
// The BMP file format: reading any common variant into one normalised form,
// and writing an uncompressed file.

#include "vcl/win_api.h"

#include <cstdint>
#include <vector>

#include "rtl/streams.h"

// A device-independent image as a BMP file holds it. `header` is always the
// 40-byte form (biHeight negative for top-down rows); `masks` are set for
// BI_BITFIELDS; `colors` has the file's colour table (for up to 8 bits, at
// most 2^bits entries); `pixels` are the file's pixel bytes (still
// compressed for BI_RLE4 / BI_RLE8).
struct TDibData {
  BITMAPINFOHEADER header{};
  uint32_t masks[3]{};
  std::vector<RGBQUAD> colors;
  std::vector<uint8_t> pixels;
};

// Bytes of one row of `width` pixels of `bit_count` bits, padded to 4 bytes.
int64_t DibStride(int64_t width, int32_t bit_count);

// Reads one BMP file from the stream's position, which afterwards stands at
// the end of its pixel data. EInvalidGraphic "Bitmap image is not valid"
// for anything that is not a complete, consistent BMP.
TDibData ReadBmp(TStream& stream);

// File header, `header` (40 bytes; biHeight positive), the masks when
// BI_BITFIELDS, the colour table and `pixels` (bottom row first).
void WriteBmp(TStream& stream, const BITMAPINFOHEADER& header, const uint32_t* masks,
              const std::vector<RGBQUAD>& colors, const uint8_t* pixels, size_t pixel_bytes);
