// The codec against libpng: every corpus file decodes to libpng's samples (or
// is refused with one of the codec's errors where the file is broken), and
// what the codec saves reads back in libpng as the same pixels.

#include <algorithm>
#include <cstdlib>

#include <gtest/gtest.h>

#include "engine/image/png/png_errors.h"
#include "engine/image/png/png_format.h"
#include "engine/image/png/png_io.h"
#include "libpng_reference.h"
#include "png_test_support.h"

namespace {

using png_test::Bytes;
using png_test::CompareWithLibpng;
using png_test::IsAlphaChannel;
using png_test::LibpngDecode;
using png_test::TLibpngImage;

void ExpectSameAsLibpng(const std::string& path, bool broken_allowed) {
  SCOPED_TRACE(path);
  const Bytes file = png_test::ReadFile(path);
  // libpng runs only when ours decodes: it takes seconds over some crashers.
  TLibpngImage ref;
  int ref_ok = -1;
  for (bool want_32bit : {false, true}) {
    try {
      TPNGList list = png_test::ReadDecoded(file, want_32bit);
      if (ref_ok < 0) ref_ok = LibpngDecode(file, ref);
      ASSERT_TRUE(ref_ok) << "decoded a file libpng refuses";
      const TChunkIHDR& header = *list.Header();
      EXPECT_EQ(CompareWithLibpng(header, ref), "");
      if (header.ColorType == kPngIndexed) {
        const TChunkPLTE* plte = list.Find<TChunkPLTE>();
        ASSERT_NE(plte, nullptr);
        ASSERT_EQ(size_t(plte->Count), ref.Palette.size());
        for (int i = 0; i < plte->Count; ++i)
          EXPECT_EQ(header.PixelInfo.Colors[i].Red, ref.Palette[i].red) << "palette entry " << i;
        const TChunktRNS* trns = list.Find<TChunktRNS>();
        ASSERT_EQ(trns ? size_t(trns->Count) : 0, ref.Alpha.size());
        for (size_t i = 0; i < ref.Alpha.size(); ++i) EXPECT_EQ(trns->Alpha[i], ref.Alpha[i]);
      }
    } catch (const EPngError& e) {
      EXPECT_TRUE(broken_allowed) << "refused: " << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("2.671 ", 0), 0u);
    }
  }
}

TEST(PngDifferential, SuiteAndTestImagesDecodeAsInLibpng) {
  for (const char* folder : {"pngsuite", "testpngs"}) {
    const auto files = png_test::CorpusFiles(folder);
    ASSERT_FALSE(files.empty()) << folder;
    for (const std::string& path : files) ExpectSameAsLibpng(path, false);
  }
}

TEST(PngDifferential, BrokenFilesAreRefusedOrDecodedAsInLibpng) {
  for (const char* folder : {"crashers", "badpal"})
    for (const std::string& path : png_test::CorpusFiles(folder)) ExpectSameAsLibpng(path, true);
}

TEST(PngDifferential, BadCrcAndAdlerInImageDataLoadButDecodeTransparent) {
  for (const char* name : {"badcrc.png", "badadler.png"}) {
    SCOPED_TRACE(name);
    TPNGList list = png_test::Read(png_test::ReadFile(std::string(RD_PNG_CORPUS) + "/crashers/" + name));
    uint8_t identity[256];
    for (int i = 0; i < 256; ++i) identity[i] = uint8_t(i);
    EXPECT_THROW(DecodePngPixels(list, false, identity), EPngError);
    const TChunkIHDR& h = *list.Header();
    ASSERT_TRUE(h.PixelData);
    for (size_t i = 0; i < h.PixelData.Size; ++i) ASSERT_EQ(h.PixelData.Data()[i], 0);
    for (size_t i = 0; i < h.AlphaData.Size; ++i) ASSERT_EQ(h.AlphaData.Data()[i], 0);
  }
}

// ---- saving, read back by libpng ---------------------------------------------

struct TSaveCase {
  uint8_t ColorType, Depth;
  bool Want32Bit;
};
constexpr TSaveCase kSaveCases[] = {
    {0, 1, false}, {0, 2, false}, {0, 4, false}, {0, 8, false}, {0, 16, false}, {2, 8, false},
    {2, 16, false}, {3, 1, false}, {3, 2, false}, {3, 4, false}, {3, 8, false}, {4, 8, false},
    {4, 16, false}, {6, 8, false}, {6, 16, false}, {6, 8, true}, {6, 16, true},
};

TEST(PngDifferential, SavedPicturesReadBackInLibpng) {
  for (const TSaveCase& c : kSaveCases)
    for (bool interlaced : {false, true})
      for (uint8_t filters : {kPngDefaultFilters, kPngAllFilters, uint8_t(PngFilterBit(TPngFilter::Paeth))}) {
        SCOPED_TRACE(testing::Message() << "type " << int(c.ColorType) << " depth " << int(c.Depth) << " 32-bit "
                                        << c.Want32Bit << " interlaced " << interlaced << " filters " << int(filters));
        TPNGList list = png_test::RandomImage(c.ColorType, c.Depth, c.Want32Bit, 37, 19, c.ColorType * 100 + c.Depth);
        TPngSaveOptions options;
        options.Filters = filters;
        options.Interlaced = interlaced;
        options.CompressionLevel = 6;
        TLibpngImage ref;
        ASSERT_TRUE(LibpngDecode(png_test::Write(list, options), ref));
        const TChunkIHDR& h = *list.Header();
        ASSERT_EQ(ref.Depth, SavedBitDepth(c.Depth));
        const int channels = PngChannels(c.ColorType);
        for (uint32_t y = 0; y < ref.Height; ++y)
          for (uint32_t x = 0; x < ref.Width; ++x)
            for (int ch = 0; ch < channels; ++ch) {
              uint32_t expected = png_test::LayoutSample(h, x, y, ch);
              if (c.Depth == 16 && IsAlphaChannel(c.ColorType, ch)) expected *= 257;  // a × 257
              if (c.Depth == 2 && c.ColorType == kPngGrey) expected *= 5;          // same grey level at depth 4
              ASSERT_EQ(ref.Sample(x, y, ch), expected) << "pixel " << x << ", " << y << " channel " << ch;
            }
      }
}

TEST(PngDifferential, PremultipliedColoursAreSavedStraight) {
  TPNGList list = png_test::RandomImage(kPngTrueColorAlpha, 8, true, 64, 4, 7);
  TChunkIHDR& h = *list.Header();
  // Make the colours valid premultiplied values: c <= a.
  for (size_t i = 0; i < h.PixelData.Size; i += 4)
    for (int c = 0; c < 3; ++c) h.PixelData.Data()[i + c] = uint8_t(h.PixelData.Data()[i + c] * h.PixelData.Data()[i + 3] / 255);
  TPngSaveOptions options;
  options.AlphaMode = TPngAlphaMode::Premultiplied;
  TLibpngImage ref;
  ASSERT_TRUE(LibpngDecode(png_test::Write(list, options), ref));
  for (uint32_t y = 0; y < 4; ++y)
    for (uint32_t x = 0; x < 64; ++x) {
      const uint8_t* p = h.PixelData.Data() + y * h.BytesPerRow() + 4 * x;
      const unsigned a = p[3];
      ASSERT_EQ(ref.Sample(x, y, 3), a);
      for (int c = 0; c < 3; ++c) {
        // Straight s multiplied back by alpha gives the stored colour again, within rounding.
        const int s = int(ref.Sample(x, y, c)), premultiplied = p[2 - c];
        if (a == 0) ASSERT_EQ(s, 0);
        else ASSERT_LE(std::abs(s * int(a) - premultiplied * 255), int(a) / 2 + 1) << x << ", " << y;
      }
    }
}

}  // namespace
