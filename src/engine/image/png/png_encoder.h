#pragma once
// Encoding of the engine's layout into PNG image data: rows packed into the
// file's sample order, filtered with the chosen set and deflated into one
// zlib stream (the writer cuts it into IDAT chunks).

#include <cstddef>
#include <cstdint>
#include <functional>

#include "engine/image/png/png_format.h"
#include "engine/image/png/png_rows.h"

struct TPngEncodeOptions {
  uint8_t Filters = kPngDefaultFilters;  // a set of PngFilterBit(); empty means None
  int CompressionLevel = 1;              // zlib level 0..9
  bool Interlaced = false;               // Adam7
  TPngAlphaMode AlphaMode = TPngAlphaMode::Straight;
};

// Receives the zlib stream in pieces of exactly `piece_size` bytes (the last
// one shorter, never empty).
using TPngDataSink = std::function<void(const uint8_t* data, size_t size)>;

// Deflates the target's pixels as a file of depth SavedBitDepth() and hands
// the stream to `sink` in pieces of `piece_size` bytes, as it is made. With
// one filter in the set every row uses it; with several, each row takes the
// one whose bytes have the smallest sum of absolute (signed) values.
void EncodeImageData(const TPngPixelTarget& target, const TPngEncodeOptions& options, size_t piece_size,
                     const TPngDataSink& sink);
