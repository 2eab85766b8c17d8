#pragma once
// Reading and writing whole PNG files as chunk lists.

#include <cstdint>

#include "engine/image/png/png_chunks.h"
#include "engine/image/png/png_encoder.h"
#include "rtl/streams.h"

// The 8 bytes every PNG file starts with.
inline constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Reads a PNG file from the stream's position: the signature, then chunks up
// to IEND or the end of the stream. The image data are captured, not decoded
// (TChunkIDAT::Run): the IDAT run's bytes from the first IDAT's data to the
// last adjacent IDAT's CRC; IDAT chunks met after another chunk are skipped.
// cHRM chunks and ancillary chunks with a bad CRC, malformed data or more
// than kMaxPngAncillaryBytes of data are dropped, and so is every ancillary
// chunk past kMaxPngKeptAncillaryBytes kept in all (inflated texts counted).
//
// Raises EPngInvalidSignature, EPngHeaderNotFirst, EPngInvalidSize,
// EPngInvalidColorType, EPngUnknownCompression, EPngUnknownCriticalChunk,
// EPngInvalidChunk (malformed, misplaced or repeated critical chunk, bad
// chunk type or length), EPngInvalidCRC (critical chunk), EPngTruncated (a
// chunk reaching past the end of the stream) and EPngNoImageData. Nothing is
// returned on failure, so the caller's own list stays as it was.
TPNGList ReadPng(TStream& stream);

// Decodes the captured image data into the header's layout, with its
// palette colours mapped through `gamma`. On a decode error the pixels are
// left zero-filled (fully transparent) and the error raised (DecodeIdatRun).
void DecodePngPixels(TPNGList& list, bool want_32bit, const uint8_t gamma[256]);

struct TPngSaveOptions : TPngEncodeOptions {
  uint32_t MaxIdatSize = 65535;  // values below 65535 are raised to it
};

// Writes the signature and every chunk of the list in order; the IDAT chunk
// is encoded from the header's pixels (decoded first when only the captured
// run exists) and cut into chunks of MaxIdatSize bytes. An IEND is added when
// the list has none. A transparency chunk is cut to the palette's length (and
// left out for colour types with alpha); a palette of a grey picture is left
// out. Raises EPngMissingHeader without a header, EPngInvalidChunk for an
// indexed picture without a palette,
// EPngNoImageData without pixels or an IDAT chunk, and EPngInvalidColorType
// for the device-bitmap colour type 240 (convert such pictures first).
void WritePng(TStream& stream, TPNGList& list, const TPngSaveOptions& options);
