// Malformed files: each is refused with its own error class (all EPngError,
// all messages starting "2.671 ") or, for broken ancillary data, loaded
// without the broken chunk.

#include <functional>
#include <zlib.h>

#include <gtest/gtest.h>

#include "engine/image/png/png_errors.h"
#include "engine/image/png/png_gamma.h"
#include "engine/image/png/png_io.h"
#include "png_test_support.h"

namespace {

using namespace png_test;

// A 2 × 2 RGB picture's filtered rows.
const Bytes kRgbRows = {0, 1, 2, 3, 4, 5, 6, 0, 7, 8, 9, 10, 11, 12};
Bytes Ihdr(uint32_t w = 2, uint32_t h = 2, uint8_t depth = 8, uint8_t type = 2, uint8_t interlace = 0) {
  return Chunk("IHDR", HeaderData(w, h, depth, type, interlace));
}
Bytes Idat(const Bytes& rows = kRgbRows) { return Chunk("IDAT", Deflate(rows)); }
Bytes Iend() { return Chunk("IEND", {}); }
Bytes WithBadCrc(Bytes chunk) {
  chunk.back() ^= 0xFF;
  return chunk;
}

template <class E>
void ExpectRefused(const Bytes& file, const char* what) {
  SCOPED_TRACE(what);
  try {
    Read(file);
    ADD_FAILURE() << "accepted";
  } catch (const E& e) {
    EXPECT_EQ(std::string(e.what()).rfind("2.671 ", 0), 0u) << e.what();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "wrong error: " << e.what();
  }
}

TEST(PngErrors, MalformedFilesAreRefusedWithTheirClass) {
  Bytes truncated = File({Ihdr(), Idat(), Iend()});
  truncated.resize(truncated.size() - 20);
  Bytes huge_length = File({Ihdr(), Idat()});
  huge_length.insert(huge_length.end(), {0x40, 0, 0, 0, 't', 'E', 'X', 't', 0, 0, 0, 0});
  Bytes bad_signature = File({Ihdr(), Idat(), Iend()});
  bad_signature[1] = 'Q';

  ExpectRefused<EPngInvalidSignature>(bad_signature, "bad signature");
  ExpectRefused<EPngInvalidSignature>(Bytes(kPngSignature, kPngSignature + 5), "short signature");
  ExpectRefused<EPngHeaderNotFirst>(File({Chunk("gAMA", {0, 0, 0xB1, 0x8F}), Ihdr(), Idat(), Iend()}), "IHDR not first");
  ExpectRefused<EPngHeaderNotFirst>(File({Iend()}), "no IHDR");
  ExpectRefused<EPngHeaderNotFirst>(File({Ihdr(), Ihdr(), Idat(), Iend()}), "second IHDR");
  ExpectRefused<EPngNoImageData>(File({Ihdr(), Iend()}), "no IDAT");
  ExpectRefused<EPngNoImageData>(File({Ihdr()}), "only a header");
  ExpectRefused<EPngInvalidSize>(File({Ihdr(0, 2), Idat(), Iend()}), "width 0");
  ExpectRefused<EPngInvalidSize>(File({Ihdr(2, 65536), Idat(), Iend()}), "height 65536");
  ExpectRefused<EPngInvalidSize>(File({Ihdr(0x80000000u, 2), Idat(), Iend()}), "width 2^31");
  ExpectRefused<EPngInvalidChunk>(File({Chunk("IHDR", {0, 0, 0, 1}), Idat(), Iend()}), "short IHDR");
  ExpectRefused<EPngUnknownCompression>(File({Chunk("IHDR", {0, 0, 0, 2, 0, 0, 0, 2, 8, 2, 1, 0, 0}), Idat(), Iend()}), "compression 1");
  ExpectRefused<EPngUnknownCompression>(File({Chunk("IHDR", {0, 0, 0, 2, 0, 0, 0, 2, 8, 2, 0, 1, 0}), Idat(), Iend()}), "filter method 1");
  ExpectRefused<EPngUnknownCompression>(File({Ihdr(2, 2, 8, 2, 2), Idat(), Iend()}), "interlace 2");
  ExpectRefused<EPngUnknownCriticalChunk>(File({Ihdr(), Chunk("ABCD", {1}), Idat(), Iend()}), "unknown critical chunk");
  ExpectRefused<EPngInvalidChunk>(File({Ihdr(), Chunk("a1cd", {1}), Idat(), Iend()}), "chunk type with a digit");
  ExpectRefused<EPngInvalidCRC>(File({WithBadCrc(Ihdr()), Idat(), Iend()}), "IHDR CRC");
  ExpectRefused<EPngInvalidCRC>(File({Ihdr(2, 2, 8, 3), WithBadCrc(Chunk("PLTE", {1, 2, 3})), Idat({0, 0, 0, 0, 0, 0}), Iend()}), "PLTE CRC");
  ExpectRefused<EPngTruncated>(truncated, "cut inside a chunk");
  ExpectRefused<EPngTruncated>(huge_length, "length past the end");
  ExpectRefused<EPngInvalidChunk>(File({Ihdr(), Idat(), Chunk("PLTE", {1, 2, 3}), Iend()}), "PLTE after IDAT");
  ExpectRefused<EPngInvalidChunk>(File({Ihdr(2, 2, 8, 3), Chunk("PLTE", {1, 2, 3}), Chunk("PLTE", {1, 2, 3}), Idat(), Iend()}), "second PLTE");
  ExpectRefused<EPngInvalidChunk>(File({Ihdr(2, 2, 8, 3), Idat(), Iend()}), "indexed without PLTE");
  ExpectRefused<EPngInvalidChunk>(File({Ihdr(2, 2, 8, 3), Chunk("PLTE", {1, 2, 3, 4}), Idat(), Iend()}), "PLTE length");
}

TEST(PngErrors, EveryInvalidDepthAndTypePairIsRefused) {
  for (int type : {0, 1, 2, 3, 4, 5, 6, 7, 240})
    for (int depth : {0, 1, 2, 3, 4, 5, 8, 12, 16, 32}) {
      const Bytes file = File({Ihdr(2, 2, uint8_t(depth), uint8_t(type)), Idat(), Iend()});
      const bool valid = IsValidPngDepth(uint8_t(type), uint8_t(depth));
      const bool standard = (type == 0 && (depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16)) ||
                            (type == 3 && (depth == 1 || depth == 2 || depth == 4 || depth == 8)) ||
                            ((type == 2 || type == 4 || type == 6) && (depth == 8 || depth == 16));
      EXPECT_EQ(valid, standard) << type << "/" << depth;
      if (!standard) ExpectRefused<EPngInvalidColorType>(file, "type/depth");
    }
}

TEST(PngErrors, BrokenAncillaryChunksAreDroppedAndTheRestKept) {
  Bytes ztxt = {'k', 0, 0};
  Bytes big(kMaxPngTextBytes + 1, 'x');
  const Bytes deflated = Deflate(big);
  ztxt.insert(ztxt.end(), deflated.begin(), deflated.end());
  TPNGList list = Read(File({Ihdr(),
                             WithBadCrc(Chunk("tEXt", {'a', 0, 'b'})),
                             Chunk("gAMA", {0, 1}),              // wrong length
                             Chunk("cHRM", Bytes(32, 1)),        // dropped on load
                             Chunk("tEXt", {0, 'n', 'o'}),       // empty keyword
                             Chunk("zTXt", ztxt),                // inflates past the cap
                             Chunk("sRGB", {0}),                 // unknown: kept
                             Chunk("tEXt", {'k', 'e', 'y', 0, 'v'}),
                             Idat(), Iend()}));
  ASSERT_EQ(list.Count(), 5u);
  EXPECT_EQ(list.Item(1).Type(), (TPngChunkType{'s', 'R', 'G', 'B'}));
  const TChunktEXt* text = list.Find<TChunktEXt>();
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->Keyword(), u"key");
  EXPECT_EQ(text->Text(), u"v");
}

TEST(PngErrors, CompressedTextsAreKeptOnlyUpToATotal) {
  // Each text inflates a thousandfold, to just under the cap of one chunk.
  Bytes ztxt = {'k', 0, 0};
  const Bytes deflated = Deflate(Bytes(kMaxPngTextBytes - 16, 'x'));
  ztxt.insert(ztxt.end(), deflated.begin(), deflated.end());
  std::vector<Bytes> chunks = {Ihdr()};
  const int count = int(kMaxPngKeptAncillaryBytes / kMaxPngTextBytes) + 2;
  for (int i = 0; i < count; ++i) chunks.push_back(Chunk("zTXt", ztxt));
  chunks.push_back(Idat());
  chunks.push_back(Iend());
  const TPNGList list = Read(File(chunks));
  size_t texts = 0;
  for (size_t i = 0; i < list.Count(); ++i) texts += dynamic_cast<const TChunkzTXt*>(&list.Item(i)) != nullptr;
  EXPECT_EQ(texts, kMaxPngKeptAncillaryBytes / kMaxPngTextBytes);
}

TEST(PngErrors, LaterImageDataRunsAreSkippedAndAMissingEndIsTolerated) {
  const Bytes rows = kRgbRows;
  const Bytes z = Deflate(rows);
  // The run split in two adjacent IDATs, then a chunk, then a stray IDAT; no IEND.
  const Bytes first(z.begin(), z.begin() + 5), second(z.begin() + 5, z.end());
  TPNGList list = ReadDecoded(File({Ihdr(), Chunk("IDAT", first), Chunk("IDAT", second), Chunk("tEXt", {'a', 0}),
                                    Chunk("IDAT", {1, 2, 3})}));
  const TChunkIHDR& h = *list.Header();
  EXPECT_EQ(LayoutSample(h, 1, 1, 0), 10u);
  EXPECT_EQ(LayoutSample(h, 0, 0, 2), 3u);
}

struct TDecodeCase {
  const char* What;
  Bytes File;
  std::function<bool(const EPngError&)> IsExpected;
};

TEST(PngErrors, BadImageDataRaisesOnDecodeAndLeavesPixelsZero) {
  Bytes bad_adler = Deflate(kRgbRows);
  bad_adler.back() ^= 1;
  Bytes bad_filter = kRgbRows;
  bad_filter[7] = 5;
  const TDecodeCase cases[] = {
      {"IDAT CRC", File({Ihdr(), WithBadCrc(Idat()), Iend()}),
       [](const EPngError& e) { return dynamic_cast<const EPngInvalidCRC*>(&e) != nullptr; }},
      {"Adler-32", File({Ihdr(), Chunk("IDAT", bad_adler), Iend()}),
       [](const EPngError& e) { return dynamic_cast<const EPNGZLIBError*>(&e) != nullptr; }},
      {"not zlib", File({Ihdr(), Chunk("IDAT", {1, 2, 3, 4}), Iend()}),
       [](const EPngError& e) { return dynamic_cast<const EPNGZLIBError*>(&e) != nullptr; }},
      {"too few rows", File({Ihdr(2, 3), Idat(), Iend()}),
       [](const EPngError& e) { return dynamic_cast<const EPngTruncated*>(&e) != nullptr; }},
      {"filter type 5", File({Ihdr(), Idat(bad_filter), Iend()}),
       [](const EPngError& e) { return dynamic_cast<const EPngInvalidChunk*>(&e) != nullptr; }},
  };
  uint8_t identity[256];
  SetIdentityGamma(identity);
  for (const TDecodeCase& c : cases) {
    SCOPED_TRACE(c.What);
    TPNGList list = Read(c.File);
    try {
      DecodePngPixels(list, false, identity);
      ADD_FAILURE() << "decoded";
    } catch (const EPngError& e) {
      EXPECT_TRUE(c.IsExpected(e)) << e.what();
    }
    const TChunkIHDR& h = *list.Header();
    for (size_t i = 0; i < h.PixelData.Size; ++i) ASSERT_EQ(h.PixelData.Data()[i], 0);
  }
}

TEST(PngErrors, AHeaderAskingForTooMuchMemoryRaisesWithTheSizes) {
  // Loads (nothing is allocated for pixels yet); decoding refuses the buffer.
  TPNGList list = Read(File({Ihdr(65535, 65535, 16, 6), Idat(), Iend()}));
  uint8_t identity[256];
  SetIdentityGamma(identity);
  try {
    DecodePngPixels(list, true, identity);
    ADD_FAILURE() << "allocated";
  } catch (const EPNGOutMemory& e) {
    EXPECT_EQ(std::string(e.what()), "2.671 Not enough memory for the PNG image, Size=17179344900, W=65535, H=65535");
  }
  const TChunkIHDR& h = *list.Header();
  EXPECT_FALSE(h.PixelData);
  EXPECT_FALSE(h.AlphaData);
  EXPECT_EQ(h.Width, 65535);
}

}  // namespace
