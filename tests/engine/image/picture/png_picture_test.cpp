// The portable PNG picture: blank pictures, the options chunk, resizing,
// alpha, pixel access, conversion and save → load round trips.

#include <gtest/gtest.h>

#include <cstring>

#include "engine/image/picture/png_picture.h"
#include "engine/image/png/png_errors.h"

namespace {

const TPngChunkType kText = {'t', 'E', 'X', 't'};

void Save(const TPngPicture& picture, TMemoryStream& stream) {
  picture.SaveToStream(stream);
  stream.SetPosition(0);
}

void LoadBack(const TPngPicture& from, TPngPicture& to) {
  TMemoryStream stream;
  Save(from, stream);
  to.LoadFromStream(stream);
}

std::vector<const TChunktEXt*> TextChunks(const TPngPicture& picture) {
  std::vector<const TChunktEXt*> texts;
  for (size_t i = 0; i < picture.Chunks().Count(); ++i)
    if (picture.Chunks().Item(i).Type() == kText) texts.push_back(static_cast<TChunktEXt*>(&picture.Chunks().Item(i)));
  return texts;
}

// A picture whose pixel (x, y) has a colour made of its position.
void Paint(TPngPicture& picture) {
  for (int32_t y = 0; y < picture.Height(); ++y)
    for (int32_t x = 0; x < picture.Width(); ++x)
      picture.SetPixel(x, y, uint32_t(x * 10) | uint32_t(y * 10) << 8 | 0x40u << 16 | 0xFFu << 24);
}

// The raw sample of a 1-, 4- or 8-bit layout.
uint32_t Sample(const TPngPicture& picture, int32_t x, int32_t y) {
  const uint8_t* row = picture.PixelLine(y);
  switch (picture.Header()->LayoutBits()) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4: return (row[x / 2] >> (x % 2 ? 0 : 4)) & 15;
    default: return row[x];
  }
}

TEST(PngSkinOptions, ReadsEachLineByItsRules) {
  struct TCase {
    const char16_t* Text;
    TPngSkinOptions Expected;
  };
  const TPngSkinOptions start{200, true, psfSmooth};
  const TCase cases[] = {
      {u"AlphaBlendValue=300", {44, true, psfSmooth}},
      {u"SmoothFilter=5", {200, true, psfDefault}},
      {u"SmoothFilter=1", {200, true, psfFastSmooth}},
      {u"GrayMode=abc", {200, true, psfSmooth}},
      {u"GrayMode=0\r\nalphablendvalue=7", {7, false, psfSmooth}},
      {u"Author=me\nGrayMode=2", {200, true, psfSmooth}},
      {u"AlphaBlendValue=", {200, true, psfSmooth}},
      {u"", {200, true, psfSmooth}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.Text));
    TPngSkinOptions options = start;
    ReadSkinOptions(c.Text, options);
    EXPECT_EQ(options.AlphaBlendValue, c.Expected.AlphaBlendValue);
    EXPECT_EQ(options.GrayMode, c.Expected.GrayMode);
    EXPECT_EQ(options.SmoothFilter, c.Expected.SmoothFilter);
  }
  TPngSkinOptions off;
  ReadSkinOptions(u"GrayMode=abc", off);
  EXPECT_FALSE(off.GrayMode);
}

TEST(PngSkinOptions, WritesOnlyOptionsAwayFromTheirDefaults) {
  struct TCase {
    const char16_t* Text;
    TPngSkinOptions Options;
    const char16_t* Expected;
  };
  const TCase cases[] = {
      {u"", {}, u""},
      {u"", {128, false, psfDefault}, u"AlphaBlendValue=128\r\n"},
      {u"", {255, true, psfSmooth}, u"GrayMode=1\r\nSmoothFilter=2\r\n"},
      {u"Author=me\r\nAlphaBlendValue=3\r\n", {}, u"Author=me\r\n"},
      {u"GrayMode=1\r\nAuthor=me", {9, true, psfDefault}, u"GrayMode=1\r\nAuthor=me\r\nAlphaBlendValue=9\r\n"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.Text));
    EXPECT_EQ(WriteSkinOptions(c.Text, c.Options), String(c.Expected));
  }
}

TEST(PngPicture, SavesTheOptionsChunkOnlyWhenNeededAndLeavesOtherTextAlone) {
  TPngPicture picture;
  picture.CreateBlank(kPngTrueColorAlpha, 8, false, 3, 4);
  EXPECT_TRUE(TextChunks(picture).empty());
  TPngPicture back;
  LoadBack(picture, back);
  EXPECT_TRUE(TextChunks(back).empty()) << "defaults write no options";

  picture.SetTextChunk(u"Comment", u"made by hand", false);
  picture.Options.AlphaBlendValue = 128;
  LoadBack(picture, back);
  std::vector<const TChunktEXt*> texts = TextChunks(back);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0]->Keyword(), u"Comment");
  EXPECT_EQ(texts[0]->Text(), u"made by hand");
  EXPECT_EQ(texts[1]->Keyword(), u"RDPNG");
  EXPECT_EQ(texts[1]->Text(), u"AlphaBlendValue=128\r\n");
  EXPECT_EQ(back.Options.AlphaBlendValue, 128);

  // Back at the defaults, the options chunk goes and the comment stays.
  back.Options = {};
  TPngPicture again;
  LoadBack(back, again);
  texts = TextChunks(again);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0]->Keyword(), u"Comment");
  EXPECT_EQ(again.Options.AlphaBlendValue, 255);
}

TEST(PngPicture, ReadsAnOptionsChunkWhateverTheKeywordCase) {
  TPngPicture picture;
  picture.CreateBlank(kPngTrueColor, 8, false, 2, 2);
  picture.SetTextChunk(u"rdpng", u"AlphaBlendValue=300\r\nSmoothFilter=5\r\nGrayMode=abc\r\nOther=1\r\n", false);
  // Written by the codec as it is (a save of the picture would sync the chunk to its options).
  TMemoryStream file;
  WritePng(file, picture.Chunks(), {});
  file.SetPosition(0);
  TPngPicture back;
  back.LoadFromStream(file);
  EXPECT_EQ(back.Options.AlphaBlendValue, 44);
  EXPECT_EQ(back.Options.SmoothFilter, psfDefault);
  EXPECT_FALSE(back.Options.GrayMode);
  // Saving again rewrites that chunk only: the options at their values, the other line kept.
  LoadBack(back, picture);
  std::vector<const TChunktEXt*> texts = TextChunks(picture);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0]->Keyword(), u"RDPNG");
  EXPECT_EQ(texts[0]->Text(), u"AlphaBlendValue=44\r\nOther=1\r\n");
}

TEST(PngPicture, SetTextChunkKeepsAForeignChunkUnlessAskedToReplaceIt) {
  TPngPicture picture;
  picture.CreateBlank(kPngTrueColor, 8, false, 2, 2);
  picture.SetTextChunk(u"Comment", u"hello", false);
  picture.SetTextChunk(u"RDPNG", u"", true);
  EXPECT_EQ(TextChunks(picture)[0]->Keyword(), u"Comment");
  picture.SetTextChunk(u"RDPNG", u"hello", true);
  EXPECT_EQ(TextChunks(picture)[0]->Keyword(), u"Comment");
  picture.SetTextChunk(u"RDPNG", u"GrayMode=1", true);
  EXPECT_EQ(TextChunks(picture)[0]->Keyword(), u"RDPNG");
  EXPECT_EQ(TextChunks(picture)[0]->Text(), u"GrayMode=1");
  EXPECT_EQ(TextChunks(picture).size(), 1u);
}

TEST(PngPicture, CreateBlankAcceptsEveryPngPairAndTheDeviceType) {
  struct TCase {
    uint8_t Type, Depth;
    bool Want32;
    int LayoutBits;
    bool AlphaPlane;
    int Palette;  // PLTE entries, 0 for none
  };
  const TCase accepted[] = {
      {0, 1, false, 1, false, 2},    {0, 2, false, 4, false, 4},   {0, 4, false, 4, false, 16},
      {0, 8, false, 8, false, 256},  {0, 16, false, 8, false, 256}, {2, 8, false, 24, false, 0},
      {2, 16, false, 24, false, 0},  {3, 1, false, 1, false, 2},   {3, 2, false, 4, false, 4},
      {3, 4, false, 4, false, 16},   {3, 8, false, 8, false, 256}, {4, 8, false, 8, true, 256},
      {4, 16, false, 8, true, 256},  {6, 8, false, 24, true, 0},   {6, 8, true, 32, false, 0},
      {6, 16, true, 32, false, 0},   {240, 1, false, 32, false, 0},
  };
  for (const TCase& c : accepted) {
    SCOPED_TRACE(testing::Message() << int(c.Type) << "/" << int(c.Depth));
    TPngPicture picture;
    picture.CreateBlank(c.Type, c.Depth, c.Want32, 5, 7);
    const TChunkIHDR* header = picture.Header();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(picture.Width(), 7);
    EXPECT_EQ(picture.Height(), 5);
    EXPECT_EQ(header->LayoutBits(), c.LayoutBits);
    EXPECT_EQ(picture.BytesPerRow(), size_t((c.LayoutBits * 7 + 31) / 32 * 4));
    EXPECT_EQ(bool(header->AlphaData), c.AlphaPlane);
    const TChunkPLTE* plte = picture.Chunks().Find<TChunkPLTE>();
    EXPECT_EQ(plte ? plte->Count : 0, c.Palette);
    EXPECT_NE(picture.Chunks().Find<TChunkIDAT>(), nullptr);
    EXPECT_NE(picture.Chunks().Find<TChunkIEND>(), nullptr);
    if (c.Type == 240) {
      EXPECT_EQ(header->BitDepth, 8);
      EXPECT_FALSE(header->PixelData);  // made by the device side
      continue;
    }
    for (size_t i = 0; i < header->PixelData.Size; ++i) ASSERT_EQ(header->PixelData.Data()[i], 0);
    for (size_t i = 0; i < header->AlphaData.Size; ++i) ASSERT_EQ(header->AlphaData.Data()[i], 0);
  }
  const std::pair<uint8_t, uint8_t> refused[] = {{3, 16}, {2, 1}, {2, 2}, {2, 4}, {6, 4},
                                                 {4, 2},  {1, 8}, {5, 8}, {0, 3}, {0, 32}};
  for (auto [type, depth] : refused) {
    SCOPED_TRACE(testing::Message() << int(type) << "/" << int(depth));
    TPngPicture picture;
    picture.CreateBlank(kPngTrueColor, 8, false, 2, 2);
    EXPECT_THROW(picture.CreateBlank(type, depth, false, 5, 7), EPngInvalidColorType);
    EXPECT_EQ(picture.Width(), 2) << "a refused request leaves the picture as it was";
  }
  TPngPicture picture;
  EXPECT_THROW(picture.CreateBlank(kPngTrueColor, 8, false, 65536, 1), EPngInvalidSize);
  EXPECT_THROW(picture.CreateBlank(kPngTrueColor, 8, false, 1, -1), EPngInvalidSize);
}

TEST(PngPicture, ResizeExShowsTheOldPicturesWindow) {
  struct TCase {
    uint8_t Type, Depth;
    bool Want32;
  };
  const TCase layouts[] = {{2, 8, false}, {6, 8, false}, {6, 8, true}, {0, 8, false}, {3, 4, false}, {3, 1, false}};
  struct TWindow {
    int32_t Width, Height, Top, Left;
  };
  const TWindow windows[] = {{10, 10, 5, 5}, {30, 25, 0, 0}, {8, 6, -3, 15}, {20, 20, 0, 0}};
  for (const TCase& c : layouts) {
    for (const TWindow& w : windows) {
      SCOPED_TRACE(testing::Message() << int(c.Type) << "/" << int(c.Depth) << "/" << c.Want32 << " window "
                                      << w.Width << "x" << w.Height << "+" << w.Left << "+" << w.Top);
      TPngPicture old;
      old.CreateBlank(c.Type, c.Depth, c.Want32, 20, 20);
      const int bits = old.Header()->LayoutBits();
      // Every pixel and alpha value made of its position.
      for (int32_t y = 0; y < 20; ++y) {
        for (int32_t x = 0; x < 20; ++x) {
          uint8_t* row = old.PixelLine(y);
          if (bits == 1) row[x / 8] = uint8_t(row[x / 8] | (((x + y) & 1) << (7 - x % 8)));
          else if (bits == 4) row[x / 2] = uint8_t(row[x / 2] | (((x + y) & 15) << (x % 2 ? 0 : 4)));
          else
            for (int b = 0; b < bits / 8; ++b) row[x * bits / 8 + b] = uint8_t(x * 7 + y * 3 + b + 1);
          if (uint8_t* alpha = old.AlphaLine(y)) alpha[x] = uint8_t(x + 20 * y);
        }
      }
      TPngPicture resized;
      resized.Assign(old);
      resized.ResizeEx(w.Width, w.Height, w.Top, w.Left, 255);
      ASSERT_EQ(resized.Width(), w.Width);
      ASSERT_EQ(resized.Height(), w.Height);
      for (int32_t y = 0; y < w.Height; ++y) {
        for (int32_t x = 0; x < w.Width; ++x) {
          const int32_t ox = x + w.Left, oy = y + w.Top;
          const bool inside = ox >= 0 && oy >= 0 && ox < 20 && oy < 20;
          if (bits >= 24) {
            const uint32_t want = inside ? old.GetPixel(ox, oy) : (bits == 32 ? 0xFF000000u : 0u);
            ASSERT_EQ(resized.GetPixel(x, y), want) << x << "," << y;
          } else {
            ASSERT_EQ(Sample(resized, x, y), inside ? Sample(old, ox, oy) : 0u) << x << "," << y;
          }
          if (const uint8_t* alpha = resized.AlphaLine(y)) {
            ASSERT_EQ(alpha[x], inside ? old.AlphaLine(oy)[ox] : 255) << x << "," << y;
          }
        }
      }
    }
  }
}

TEST(PngPicture, ResizeExEdgeSizes) {
  TPngPicture picture;
  picture.CreateBlank(kPngTrueColor, 8, false, 20, 20);
  EXPECT_THROW(picture.ResizeEx(-1, 5, 0, 0, 255), EPNGInvalidNewSize);
  EXPECT_THROW(picture.ResizeEx(5, -1, 0, 0, 255), EPNGInvalidNewSize);
  EXPECT_EQ(picture.Width(), 20);
  picture.ResizeEx(0, 7, 0, 0, 255);
  EXPECT_EQ(picture.Width(), 0);
  EXPECT_EQ(picture.Height(), 0);
  EXPECT_TRUE(picture.Empty());
  picture.ResizeEx(3, 2, 0, 0, 255);
  EXPECT_EQ(picture.GetPixel(2, 1), 0u);
}

TEST(PngPicture, SetAllAlphaPerColourType) {
  struct TCase {
    uint8_t Type, Depth;
    bool Want32;
    uint8_t TypeAfter;
  };
  const TCase cases[] = {{0, 8, false, 4}, {0, 1, false, 4}, {0, 4, false, 4}, {2, 8, false, 6}, {2, 16, false, 6},
                         {3, 4, false, 3}, {4, 8, false, 4}, {6, 8, false, 6}, {6, 8, true, 6}, {6, 16, true, 6}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.Type) << "/" << int(c.Depth) << "/" << c.Want32);
    TPngPicture picture;
    picture.CreateBlank(c.Type, c.Depth, c.Want32, 3, 5);
    if (c.Type == 0) picture.SetPixel(1, 1, 0xFFFFFF);
    const uint32_t before = picture.GetPixel(1, 1) & 0xFFFFFF;
    ASSERT_TRUE(picture.SetAllAlpha(77));
    EXPECT_EQ(picture.Header()->ColorType, c.TypeAfter);
    EXPECT_EQ(picture.TransparencyMode(), 2);
    EXPECT_EQ(picture.GetPixel(1, 1) & 0xFFFFFF, before) << "colours stay";
    TPngPicture back;
    LoadBack(picture, back);
    back.ConvertTrueColorTo32Bit();
    if (c.Type == 3) {
      const TChunktRNS* trns = back.Chunks().Find<TChunktRNS>();
      ASSERT_NE(trns, nullptr);
      EXPECT_EQ(trns->Alpha[0], 77);
    } else if (back.Is32Bit()) {
      for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(back.GetPixel(x, 2) >> 24, 77u);
    } else {
      for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(back.AlphaLine(2)[x], 77);
    }
  }
}

TEST(PngPicture, PixelsReadAndWrittenPerColourType) {
  struct TCase {
    uint8_t Type, Depth;
    bool Want32;
    uint32_t Written, Read;
  };
  const TCase cases[] = {
      {2, 8, false, 0x00336699, 0x00336699},  {6, 8, false, 0x80336699, 0x00336699},
      {6, 8, true, 0x00336699, 0xFF336699},   {6, 8, true, 0x40336699, 0x40336699},
      {0, 8, false, 0x00808080, 0x00808080},  {0, 1, false, 0x00F0F0F0, 0x00FFFFFF},
      {0, 4, false, 0x00101010, 0x00111111},  {4, 8, false, 0x00123456, 0x00565656},
      {3, 1, false, 0x00FFFFFF, 0x00000000},  // a blank palette is all black
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.Type) << "/" << int(c.Depth) << "/" << c.Want32);
    TPngPicture picture;
    picture.CreateBlank(c.Type, c.Depth, c.Want32, 4, 9);
    picture.SetPixel(7, 3, c.Written);
    EXPECT_EQ(picture.GetPixel(7, 3), c.Read);
    EXPECT_EQ(picture.GetPixel(6, 3) & 0xFFFFFF, 0u) << "the neighbour is untouched";
    picture.SetPixel(9, 0, c.Written);
    picture.SetPixel(-1, 0, c.Written);
    EXPECT_EQ(picture.GetPixel(9, 0), 0u);
    EXPECT_EQ(picture.GetPixel(0, 4), 0u);
  }
  // Indexed pictures store the nearest palette entry.
  TPngPicture indexed;
  indexed.CreateBlank(kPngIndexed, 8, false, 1, 2);
  TChunkPLTE* plte = indexed.Chunks().Find<TChunkPLTE>();
  plte->Entries[5] = {200, 10, 10, 0};  // blue, green, red
  plte->Entries[9] = {10, 10, 200, 0};
  indexed.Header()->SetPaletteColors(indexed.Chunks(), indexed.GammaTable);
  indexed.SetPixel(1, 0, 0x0000F0);  // reddish
  EXPECT_EQ(indexed.PixelLine(0)[1], 9);
  EXPECT_EQ(indexed.GetPixel(1, 0), 0x0A0AC8u);
}

TEST(PngPicture, ConvertTrueColorTo32BitKeepsColoursAndAlpha) {
  TPngPicture plain;
  plain.CreateBlank(kPngTrueColor, 8, false, 2, 3);
  plain.SetPixel(2, 1, 0x123456);
  ASSERT_TRUE(plain.ConvertTrueColorTo32Bit());
  EXPECT_EQ(plain.Header()->ColorType, kPngTrueColorAlpha);
  EXPECT_TRUE(plain.Is32Bit());
  EXPECT_EQ(plain.GetPixel(2, 1), 0xFF123456u);
  EXPECT_EQ(plain.AlphaMode, TPngAlphaMode::Premultiplied);

  TPngPicture alpha;
  alpha.CreateBlank(kPngTrueColorAlpha, 8, false, 2, 3);
  alpha.SetPixel(0, 0, 0x808080);
  alpha.AlphaLine(0)[0] = 64;
  ASSERT_TRUE(alpha.ConvertTrueColorTo32Bit());
  EXPECT_EQ(alpha.GetPixel(0, 0), 0x40808080u) << "straight: colours not multiplied";
  EXPECT_EQ(alpha.AlphaMode, TPngAlphaMode::Straight);
  EXPECT_TRUE(alpha.ConvertTrueColorTo32Bit()) << "already 32-bit";

  TPngPicture grey, none;
  grey.CreateBlank(kPngGrey, 8, false, 2, 2);
  EXPECT_FALSE(grey.ConvertTrueColorTo32Bit()) << "left to the device side";
  EXPECT_FALSE(none.ConvertTrueColorTo32Bit());
}

TEST(PngPicture, TransparencyModeByTypeAndChunk) {
  TPngPicture picture;
  EXPECT_EQ(picture.TransparencyMode(), 0);
  const std::pair<uint8_t, int> plain[] = {{0, 0}, {2, 0}, {3, 0}, {4, 2}, {6, 2}, {240, 0}};
  for (auto [type, mode] : plain) {
    picture.CreateBlank(type, 8, false, 1, 1);
    EXPECT_EQ(picture.TransparencyMode(), mode) << int(type);
  }
  picture.CreateBlank(kPngDeviceBitmap, 8, false, 1, 1);
  picture.AlphaMode = TPngAlphaMode::Premultiplied;
  EXPECT_EQ(picture.TransparencyMode(), 2);
}

TEST(PngPicture, SaveLoadRoundTripsAndEquals) {
  const std::tuple<uint8_t, uint8_t, bool> cases[] = {{0, 1, false}, {0, 16, false}, {2, 8, false}, {3, 4, false},
                                                      {4, 8, false}, {6, 8, false},  {6, 8, true},  {6, 16, false}};
  for (auto [type, depth, want32] : cases) {
    SCOPED_TRACE(testing::Message() << int(type) << "/" << int(depth) << "/" << want32);
    TPngPicture picture;
    picture.CreateBlank(type, depth, want32, 6, 11);
    Paint(picture);
    if (uint8_t* alpha = picture.AlphaLine(2)) alpha[3] = 99;
    picture.Options = {10, true, psfFastSmooth};
    picture.InterlaceMethod = 1;
    TPngPicture back;
    LoadBack(picture, back);
    if (want32) back.ConvertTrueColorTo32Bit();
    EXPECT_TRUE(back.Equals(picture));
    EXPECT_EQ(back.Header()->InterlaceMethod, 1);
    TPngPicture copy;
    copy.Assign(back);
    EXPECT_TRUE(copy.Equals(back));
    copy.PixelLine(0)[0] ^= 0x80;
    EXPECT_FALSE(copy.Equals(back));
  }
}

TEST(PngPicture, AFailedLoadLeavesThePictureAsItWas) {
  TPngPicture picture;
  picture.CreateBlank(kPngTrueColor, 8, false, 2, 3);
  picture.SetPixel(1, 1, 0x112233);
  picture.Options.AlphaBlendValue = 9;
  TMemoryStream good;
  Save(picture, good);
  TMemoryStream bad;
  bad.WriteBuffer(good.Memory(), good.Size() / 2);
  bad.SetPosition(0);
  EXPECT_THROW(picture.LoadFromStream(bad), EPngError);
  EXPECT_EQ(picture.Width(), 3);
  EXPECT_EQ(picture.GetPixel(1, 1), 0x112233u);
  EXPECT_EQ(picture.Options.AlphaBlendValue, 9);
}

}  // namespace
