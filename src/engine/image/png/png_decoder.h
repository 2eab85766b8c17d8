#pragma once
// Decoding of the compressed image data of a PNG file into the engine's layout.
//
// The reader captures the image data as one run of bytes (the first IDAT's
// data and CRC, then every further IDAT chunk whole, see TChunkIDAT). Decoding
// checks each piece's CRC, inflates the run in large blocks into one working
// buffer and undoes the row filters there, then writes the rows out; Adam7
// images are first gathered into full rows. Nothing is read or written
// outside the buffers the target names.

#include <cstddef>
#include <cstdint>

#include "engine/image/png/png_rows.h"

// Decodes the run into the target (whose buffers the caller sized for it).
// On any failure every target buffer is zero-filled (a fully transparent
// picture) and the error is raised: EPngInvalidCRC for a piece whose CRC
// does not match, EPNGZLIBError for data zlib refuses, EPngTruncated when
// the data end before the last row, EPngInvalidChunk for an unknown row filter.
void DecodeIdatRun(const uint8_t* run, size_t run_size, uint32_t first_length, bool interlaced,
                   const TPngPixelTarget& target);
