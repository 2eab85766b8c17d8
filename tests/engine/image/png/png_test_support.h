#pragma once
// Helpers of the PNG codec tests: files made chunk by chunk, corpus access
// and sample-level reading of the engine's layout.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/image/png/png_io.h"

namespace png_test {

using Bytes = std::vector<uint8_t>;

// One chunk with its length, type and CRC.
Bytes Chunk(const char* type, const Bytes& data);
// The 13 IHDR bytes.
Bytes HeaderData(uint32_t width, uint32_t height, uint8_t depth, uint8_t color_type, uint8_t interlace = 0);
// zlib stream of `raw` at level 9.
Bytes Deflate(const Bytes& raw);
// Signature + the chunks.
Bytes File(const std::vector<Bytes>& chunks);
// A valid file: IHDR, optional extra chunks before IDAT, IDAT of the raw
// (already filtered) rows, IEND.
Bytes SimpleFile(uint32_t width, uint32_t height, uint8_t depth, uint8_t color_type, const Bytes& filtered_rows,
                 const std::vector<Bytes>& before_idat = {});

TPNGList Read(const Bytes& file);
// Reads and decodes with the identity gamma.
TPNGList ReadDecoded(const Bytes& file, bool want_32bit = false);
Bytes Write(TPNGList& list, const TPngSaveOptions& options);

Bytes ReadFile(const std::string& path);
// The .png files of a corpus folder (RD_PNG_CORPUS/<folder>), sorted.
std::vector<std::string> CorpusFiles(const std::string& folder);

// Sample `channel` of pixel (x, y) in the file's terms (R, G, B, A order;
// grey first), at the file's depth, read back from the layout. 16-bit samples
// combine the pixels' high byte and the extra plane's low byte; the alpha of
// a 16-bit picture is 8 bits (its high byte).
uint32_t LayoutSample(const TChunkIHDR& header, uint32_t x, uint32_t y, int channel);

}  // namespace png_test

namespace png_test {
// A picture built in memory (IHDR, PLTE for type 3, IDAT, IEND) whose layout
// holds random valid pixels, alpha and extra bytes.
TPNGList RandomImage(uint8_t color_type, uint8_t depth, bool want_32bit, uint32_t width, uint32_t height,
                     uint32_t seed);
}  // namespace png_test
