// Chunk objects, the layout description and the gamma tables.

#include <gtest/gtest.h>

#include "engine/image/png/png_errors.h"
#include "engine/image/png/png_gamma.h"
#include "engine/image/png/png_io.h"
#include "png_test_support.h"

namespace {

using namespace png_test;

TEST(PngChunks, CriticalChunksAreAddedOnlyWhileBuilding) {
  TPNGList list;
  EXPECT_THROW(list.Add(std::make_unique<TChunkIHDR>()), EPngInvalidChunk);
  EXPECT_THROW(list.Add(CreateChunk({'I', 'D', 'A', 'T'})), EPngInvalidChunk);
  EXPECT_THROW(list.Add(CreateChunk({'A', 'B', 'C', 'D'})), EPngInvalidChunk);
  list.Add(CreateChunk({'t', 'E', 'X', 't'}));
  list.SetBuilding(true);
  list.Insert(0, std::make_unique<TChunkIHDR>());
  list.SetBuilding(false);
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_NE(list.Header(), nullptr);
  EXPECT_NE(list.Find<TChunktEXt>(), nullptr);
}

TEST(PngChunks, KnownTypesMakeTheirClasses) {
  EXPECT_NE(dynamic_cast<TChunkzTXt*>(CreateChunk({'z', 'T', 'X', 't'}).get()), nullptr);
  EXPECT_NE(dynamic_cast<TChunktIME*>(CreateChunk({'t', 'I', 'M', 'E'}).get()), nullptr);
  EXPECT_NE(dynamic_cast<TChunkpHYs*>(CreateChunk({'p', 'H', 'Y', 's'}).get()), nullptr);
  const auto unknown = CreateChunk({'s', 'R', 'G', 'B'});
  EXPECT_EQ(typeid(*unknown), typeid(TChunk));
}

struct TLayoutCase {
  uint8_t ColorType, Depth;
  bool Want32Bit;
  int Bits;
  bool AlphaPlane;
};

TEST(PngChunks, LayoutFollowsTheColourTypeTable) {
  const TLayoutCase cases[] = {
      {0, 1, false, 1, false},  {0, 2, false, 4, false},  {0, 4, false, 4, false}, {0, 8, false, 8, false},
      {0, 16, false, 8, false}, {3, 2, false, 4, false},  {3, 8, false, 8, false}, {4, 8, false, 8, true},
      {4, 16, false, 8, true},  {2, 8, false, 24, false}, {2, 16, true, 24, false}, {6, 8, false, 24, true},
      {6, 16, false, 24, true}, {6, 8, true, 32, false},  {6, 16, true, 32, false},
  };
  for (const TLayoutCase& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.ColorType) << "/" << int(c.Depth) << " 32-bit " << c.Want32Bit);
    TChunkIHDR h;
    h.Width = 5;
    h.Height = 3;
    h.ColorType = c.ColorType;
    h.BitDepth = c.Depth;
    h.PrepareLayout(c.Want32Bit);
    EXPECT_EQ(h.LayoutBits(), c.Bits);
    EXPECT_EQ(h.BytesPerRow(), size_t((c.Bits * 5 + 31) / 32 * 4));
    EXPECT_EQ(h.PixelData.Size, h.BytesPerRow() * 3);
    EXPECT_EQ(bool(h.AlphaData), c.AlphaPlane);
    EXPECT_EQ(h.ExtraData.Size, c.Depth == 16 ? h.PixelData.Size : 0u);
    const TPngBitmapInfoHeader info = h.PixelInfo.Header;  // a packed copy: no references into it
    EXPECT_EQ(uint32_t(info.biSize), 40u);
    EXPECT_EQ(int32_t(info.biWidth), 5);
    EXPECT_EQ(int32_t(info.biHeight), -3);
    EXPECT_EQ(int(info.biPlanes), 1);
    EXPECT_EQ(uint32_t(info.biCompression), 0u);
    EXPECT_EQ(uint32_t(info.biClrUsed), 0u);
  }
}

TEST(PngChunks, GreyPalettesAndGammaTables) {
  uint8_t gamma[256], inverse[256];
  BuildGammaTables(45455, gamma, inverse);  // 1/2.2: what a display shows already
  for (int i = 0; i < 256; ++i) ASSERT_EQ(gamma[i], i);
  BuildGammaTables(100000, gamma, inverse);  // linear samples: brightened for display
  EXPECT_EQ(gamma[0], 0);
  EXPECT_EQ(gamma[255], 255);
  EXPECT_EQ(gamma[128], 186);   // 255 × (128/255)^(1/2.2)
  EXPECT_EQ(inverse[186], 127);  // and back, within the tables' rounding
  EXPECT_EQ(inverse[64], 12);

  TPNGList list = Read(SimpleFile(4, 1, 2, 0, {0, 0x1B}));
  TChunkIHDR& h = *list.Header();
  SetIdentityGamma(gamma);
  h.SetPaletteColors(list, gamma);
  const uint8_t levels[4] = {0, 85, 170, 255};
  for (int n = 0; n < 4; ++n) EXPECT_EQ(h.PixelInfo.Colors[n].Red, levels[n]);
  EXPECT_EQ(h.PixelInfo.Colors[4].Red, 0);  // unnamed entries stay 0
  BuildGammaTables(100000, gamma, inverse);
  h.SetPaletteColors(list, gamma);
  EXPECT_EQ(h.PixelInfo.Colors[1].Green, gamma[85]);
}

struct TTransparencyCase {
  const char* What;
  Bytes File;
  bool SingleColor;
  int Index;
  uint32_t Color;
};

TEST(PngChunks, TransparencySettlesItsSingleColour) {
  const Bytes plte = Chunk("PLTE", {10, 20, 30, 40, 50, 60, 70, 80, 90});
  const TTransparencyCase cases[] = {
      {"indexed, one entry clear", SimpleFile(1, 1, 8, 3, {0, 0}, {plte, Chunk("tRNS", {255, 0})}), true, 1, 0x3C3228},
      {"indexed, one clear one half", SimpleFile(1, 1, 8, 3, {0, 0}, {plte, Chunk("tRNS", {0, 128})}), false, -1, 0},
      {"indexed, two clear", SimpleFile(1, 1, 8, 3, {0, 0}, {plte, Chunk("tRNS", {0, 0})}), false, -1, 0},
      {"grey depth 4", SimpleFile(1, 1, 4, 0, {0, 0}, {Chunk("tRNS", {0, 5})}), true, -1, 0x555555},
      {"grey depth 16", SimpleFile(1, 1, 16, 0, {0, 0, 0}, {Chunk("tRNS", {0x12, 0x34})}), true, -1, 0x121212},
      {"rgb depth 8", SimpleFile(1, 1, 8, 2, {0, 0, 0, 0}, {Chunk("tRNS", {0, 1, 0, 2, 0, 3})}), true, -1, 0x030201},
  };
  for (const TTransparencyCase& c : cases) {
    SCOPED_TRACE(c.What);
    TPNGList list = Read(c.File);
    const TChunktRNS* trns = list.Find<TChunktRNS>();
    ASSERT_NE(trns, nullptr);
    EXPECT_EQ(trns->SingleColor, c.SingleColor);
    EXPECT_EQ(trns->TransparentIndex, c.Index);
    if (c.SingleColor) {
      EXPECT_EQ(trns->TransparentColor, c.Color);
    }
  }
  // Longer than the palette, wrong length for the type, or on a type with alpha: dropped as other decoders do.
  EXPECT_EQ(Read(SimpleFile(1, 1, 8, 3, {0, 0}, {plte, Chunk("tRNS", {1, 2, 3, 4})})).Find<TChunktRNS>(), nullptr);
  EXPECT_EQ(Read(SimpleFile(1, 1, 8, 0, {0, 0}, {Chunk("tRNS", {1, 2, 3})})).Find<TChunktRNS>(), nullptr);
  EXPECT_EQ(Read(SimpleFile(1, 1, 8, 6, {0, 0, 0, 0, 0}, {Chunk("tRNS", {0, 1})})).Find<TChunktRNS>(), nullptr);
}

TEST(PngChunks, AncillaryChunksTravelThroughASave) {
  const Bytes file = SimpleFile(2, 1, 8, 0, {0, 7, 9},
                                {Chunk("gAMA", {0, 0, 0xB1, 0x8F}), Chunk("pHYs", {0, 0, 0x0B, 0x13, 0, 0, 0x0B, 0x13, 1}),
                                 Chunk("tIME", {0x07, 0xEA, 12, 10, 14, 30, 59}), Chunk("sRGB", {0}),
                                 Chunk("tEXt", {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0xC3, 0xA9}),
                                 Chunk("zTXt", [] {
                                   Bytes d = {'z', 0, 0};
                                   const Bytes text = Deflate({'h', 'e', 'l', 'l', 'o'});
                                   d.insert(d.end(), text.begin(), text.end());
                                   return d;
                                 }())});
  TPNGList first = ReadDecoded(file);
  TPNGList second = ReadDecoded(Write(first, {}));
  ASSERT_EQ(second.Count(), first.Count());
  for (size_t i = 0; i < first.Count(); ++i) EXPECT_EQ(second.Item(i).Type(), first.Item(i).Type()) << i;
  EXPECT_EQ(second.Find<TChunkgAMA>()->Gamma, 45455u);
  EXPECT_EQ(second.Find<TChunkpHYs>()->PixelsPerUnitX, 2835u);
  EXPECT_EQ(second.Find<TChunktIME>()->Year, 2026);
  EXPECT_EQ(second.Find<TChunktIME>()->Second, 59);
  EXPECT_EQ(second.Find<TChunktEXt>()->Text(), u"\u00e9");
  EXPECT_EQ(second.Find<TChunkzTXt>()->Text(), u"hello");
  EXPECT_EQ(LayoutSample(*second.Header(), 1, 0, 0), 9u);
}

}  // namespace
