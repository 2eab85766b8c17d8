#pragma once
// Encoding of the engine's layout into PNG image data: rows packed into the
// file's sample order, filtered with the chosen set and deflated into one
// zlib stream (the writer cuts it into IDAT chunks).

#include <cstdint>
#include <vector>

#include "engine/image/png/png_format.h"
#include "engine/image/png/png_rows.h"

struct TPngEncodeOptions {
  uint8_t Filters = kPngDefaultFilters;  // a set of PngFilterBit(); empty means None
  int CompressionLevel = 1;              // zlib level 0..9
  bool Interlaced = false;               // Adam7
  TPngAlphaMode AlphaMode = TPngAlphaMode::Straight;
};

// The zlib stream of the target's pixels as a file of depth SavedBitDepth().
// With one filter in the set every row uses it; with several, each row takes
// the one whose bytes have the smallest sum of absolute (signed) values.
std::vector<uint8_t> EncodeImageData(const TPngPixelTarget& target, const TPngEncodeOptions& options);
