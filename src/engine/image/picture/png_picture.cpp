#include "engine/image/picture/png_picture.h"

#include <algorithm>
#include <cstring>

#include "engine/image/pixels/convert.h"
#include "engine/image/png/png_errors.h"
#include "engine/image/png/png_gamma.h"
#include "rtl/textutils.h"

namespace {

const TPngChunkType kTextType = {'t', 'E', 'X', 't'};

// Bits `bits` wide of pixel x in a row whose leftmost pixel is in the high bits.
uint32_t ReadSample(const uint8_t* row, int32_t x, int bits) {
  switch (bits) {
    case 8: return row[x];
    case 4: return (row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F;
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
    default: return 0;
  }
}

void WriteSample(uint8_t* row, int32_t x, int bits, uint32_t value) {
  switch (bits) {
    case 8: row[x] = uint8_t(value); break;
    case 4: {
      const int shift = x % 2 == 0 ? 4 : 0;
      row[x / 2] = uint8_t((row[x / 2] & ~(0x0F << shift)) | ((value & 0x0F) << shift));
      break;
    }
    case 1: {
      const int shift = 7 - x % 8;
      row[x / 8] = uint8_t((row[x / 8] & ~(1 << shift)) | ((value & 1) << shift));
      break;
    }
    default: break;
  }
}

// Copies `count` pixels from pixel `from` of `src` to pixel `to` of `dst`.
void CopySamples(const uint8_t* src, int32_t from, uint8_t* dst, int32_t to, int32_t count, int bits) {
  if (bits % 8 == 0) {
    const size_t bytes = size_t(bits / 8);
    std::memcpy(dst + size_t(to) * bytes, src + size_t(from) * bytes, size_t(count) * bytes);
    return;
  }
  for (int32_t i = 0; i < count; ++i) WriteSample(dst, to + i, bits, ReadSample(src, from + i, bits));
}

// The palette entry nearest to a colour (squared distance; first on a tie).
int NearestEntry(const TPngRgbQuad* colors, int count, uint32_t color) {
  const int r = int(color & 0xFF), g = int((color >> 8) & 0xFF), b = int((color >> 16) & 0xFF);
  int best = 0;
  int best_distance = INT32_MAX;
  for (int i = 0; i < count; ++i) {
    const int dr = colors[i].Red - r, dg = colors[i].Green - g, db = colors[i].Blue - b;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < best_distance) {
      best_distance = distance;
      best = i;
    }
  }
  return best;
}

int PaletteCount(const TChunkIHDR& header) { return header.BitDepth >= 8 ? 256 : 1 << header.BitDepth; }

std::unique_ptr<TChunkIHDR> CloneHeader(const TChunkIHDR& source) {
  auto header = std::make_unique<TChunkIHDR>();
  header->Width = source.Width;
  header->Height = source.Height;
  header->BitDepth = source.BitDepth;
  header->ColorType = source.ColorType;
  header->CompressionMethod = source.CompressionMethod;
  header->FilterMethod = source.FilterMethod;
  header->InterlaceMethod = source.InterlaceMethod;
  header->PixelInfo = source.PixelInfo;
  auto copy = [&](const TPngBuffer& from, TPngBuffer& to) {
    if (!from) return;
    to.Allocate(from.Size, false, source.Width, source.Height);
    std::memcpy(to.Data(), from.Data(), from.Size);
  };
  copy(source.PixelData, header->PixelData);
  copy(source.AlphaData, header->AlphaData);
  copy(source.ExtraData, header->ExtraData);
  return header;
}

// A copy of any other chunk through its own data, read in the new list.
std::unique_ptr<TChunk> CloneChunk(const TChunk& source, const TChunkIHDR& source_header, const TPNGList& list) {
  std::unique_ptr<TChunk> chunk = CreateChunk(source.Type());
  if (auto* idat = dynamic_cast<const TChunkIDAT*>(&source)) {
    auto* copy = static_cast<TChunkIDAT*>(chunk.get());
    copy->Run = idat->Run;
    copy->FirstLength = idat->FirstLength;
    return chunk;
  }
  if (auto* trns = dynamic_cast<const TChunktRNS*>(&source)) {
    // Copied field by field: SetAllAlpha's 256 entries outgrow the palette.
    auto* copy = static_cast<TChunktRNS*>(chunk.get());
    copy->Count = trns->Count;
    std::memcpy(copy->Alpha, trns->Alpha, sizeof copy->Alpha);
    copy->KeyGrey = trns->KeyGrey;
    copy->KeyRed = trns->KeyRed;
    copy->KeyGreen = trns->KeyGreen;
    copy->KeyBlue = trns->KeyBlue;
    copy->SingleColor = trns->SingleColor;
    copy->TransparentIndex = trns->TransparentIndex;
    copy->TransparentColor = trns->TransparentColor;
    return chunk;
  }
  std::vector<uint8_t> data;
  source.SaveData(data, source_header);
  chunk->LoadData(data.data(), data.size(), list);
  return chunk;
}

}  // namespace

TChunktEXt* FindSkinOptionsChunk(const TPNGList& list) {
  for (size_t i = 0; i < list.Count(); ++i) {
    TChunk& chunk = list.Item(i);
    if (chunk.Type() != kTextType) continue;
    auto& text = static_cast<TChunktEXt&>(chunk);
    if (SameText(text.Keyword(), kSkinOptionsKeyword)) return &text;
  }
  return nullptr;
}

TPngPicture::TPngPicture() { Clear(); }

int32_t TPngPicture::Width() const {
  const TChunkIHDR* header = Header();
  return header ? header->Width : 0;
}

int32_t TPngPicture::Height() const {
  const TChunkIHDR* header = Header();
  return header ? header->Height : 0;
}

size_t TPngPicture::BytesPerRow() const {
  const TChunkIHDR* header = Header();
  return header ? header->BytesPerRow() : 0;
}

void TPngPicture::Clear() {
  chunks_.Clear();
  SetIdentityGamma(GammaTable);
  SetIdentityGamma(InverseGammaTable);
}

void TPngPicture::CreateBlank(uint8_t color_type, uint8_t bit_depth, bool want_32bit, int32_t height, int32_t width) {
  const bool device = color_type == kPngDeviceBitmap;
  if (device) bit_depth = 8;
  if (!device && !IsValidPngDepth(color_type, bit_depth))
    RaisePng<EPngInvalidColorType>(u"Invalid colour type or bit depth for a new PNG image.");
  if (width < 0 || height < 0 || width > kPngMaxSide || height > kPngMaxSide)
    RaisePng<EPngInvalidSize>(u"Invalid PNG image size.");
  TPNGList list;
  list.SetBuilding(true);
  auto header = std::make_unique<TChunkIHDR>();
  header->Width = width;
  header->Height = height;
  header->ColorType = color_type;
  header->BitDepth = bit_depth;
  if (device) {
    SetPixelInfoHeader(header->PixelInfo, width, height, 32);
  } else {
    header->PrepareLayout(want_32bit);
  }
  TChunkIHDR& h = static_cast<TChunkIHDR&>(list.Add(std::move(header)));
  if (LayoutHasPalette(color_type)) {
    auto plte = std::make_unique<TChunkPLTE>();
    plte->Count = PaletteCount(h);
    if (color_type != kPngIndexed) {
      for (int n = 0; n < plte->Count; ++n) {
        const uint8_t level = uint8_t((n * 255 + (plte->Count - 1) / 2) / (plte->Count - 1));
        plte->Entries[n] = {level, level, level, 0};
      }
    }
    list.Add(std::move(plte));
  }
  list.Add(std::make_unique<TChunkIDAT>());
  list.Add(std::make_unique<TChunkIEND>());
  list.SetBuilding(false);
  Clear();
  chunks_ = std::move(list);
  h.SetPaletteColors(chunks_, GammaTable);
}

bool TPngPicture::HasPixels() const {
  const TChunkIHDR* header = Header();
  return header && header->PixelData;
}

void TPngPicture::EnsureDecoded() const {
  const TChunkIHDR* header = Header();
  if (!header || header->PixelData || header->ColorType == kPngDeviceBitmap) return;
  const TChunkIDAT* idat = chunks_.Find<TChunkIDAT>();
  if (!idat || !idat->HasRun()) return;
  DecodePngPixels(chunks_, false, GammaTable);
}

bool TPngPicture::Is32Bit() const {
  const TChunkIHDR* header = Header();
  return header && header->LayoutBits() == 32;
}

bool TPngPicture::ConvertTrueColorTo32Bit() {
  EnsureDecoded();
  TChunkIHDR* header = Header();
  if (!header || !header->PixelData) return false;
  if (header->LayoutBits() == 32) return true;
  if (header->ColorType != kPngTrueColor && header->ColorType != kPngTrueColorAlpha) return false;
  const int32_t w = header->Width, h = header->Height;
  const uint64_t stride = LayoutBytesPerRow(uint32_t(w), 32);
  TPngBuffer pixels, extra, alpha;
  pixels.Allocate(stride * uint64_t(h), true, w, h);
  if (!header->AlphaData) {
    alpha.Allocate(uint64_t(w) * uint64_t(h), false, w, h);
    std::memset(alpha.Data(), 255, alpha.Size);
    AlphaMode = TPngAlphaMode::Premultiplied;
  }
  const TAlphaPlane plane{header->AlphaData ? header->AlphaData.Data() : alpha.Data(), w};
  auto convert = [&](const TPngBuffer& from, TPngBuffer& to) {
    TPictureSource source;
    source.Pixels = {from.Data(), w, h, ptrdiff_t(header->BytesPerRow()), TPixelLayout::Bgr24};
    source.Alpha = plane;
    ConvertPixels({to.Data(), w, h, ptrdiff_t(stride), TPixelLayout::Bgra32}, 0, 0, source, 0, 0, w, h, {});
  };
  convert(header->PixelData, pixels);
  if (header->ExtraData) {
    extra.Allocate(stride * uint64_t(h), true, w, h);
    convert(header->ExtraData, extra);
  }
  header->PixelData = std::move(pixels);
  header->ExtraData = std::move(extra);
  if (!header->AlphaData) header->AlphaData = std::move(alpha);
  header->ColorType = kPngTrueColorAlpha;
  SetPixelInfoHeader(header->PixelInfo, w, h, 32);
  return true;
}

bool TPngPicture::SetAllAlpha(uint8_t value) {
  EnsureDecoded();
  TChunkIHDR* header = Header();
  if (!header || !header->PixelData || header->ColorType == kPngDeviceBitmap) return false;
  const int32_t w = header->Width, h = header->Height;
  if (header->ColorType == kPngIndexed) {
    TChunktRNS* trns = chunks_.Find<TChunktRNS>();
    if (!trns) {
      trns = static_cast<TChunktRNS*>(
          &chunks_.Insert(IndexOfChunk<TChunkIDAT>(chunks_), std::make_unique<TChunktRNS>()));
    }
    trns->Count = 256;
    std::memset(trns->Alpha, value, sizeof trns->Alpha);
    trns->SingleColor = false;
    trns->TransparentIndex = -1;
    return true;
  }
  if (header->ColorType == kPngGrey && header->BitDepth < 8) {
    // PNG has grey with alpha only at 8 and 16 bits: widen the samples.
    const int bits = header->LayoutBits();
    const uint32_t top = (1u << header->BitDepth) - 1;
    const uint64_t stride = LayoutBytesPerRow(uint32_t(w), 8);
    TPngBuffer wide;
    wide.Allocate(stride * uint64_t(h), true, w, h);
    for (int32_t y = 0; y < h; ++y) {
      const uint8_t* from = header->PixelData.Data() + size_t(y) * header->BytesPerRow();
      uint8_t* to = wide.Data() + size_t(y) * stride;
      for (int32_t x = 0; x < w; ++x) to[x] = uint8_t(ReadSample(from, x, bits) * 255 / top);
    }
    header->PixelData = std::move(wide);
    header->BitDepth = 8;
    SetPixelInfoHeader(header->PixelInfo, w, h, 8);
    if (TChunkPLTE* plte = chunks_.Find<TChunkPLTE>()) {
      plte->Count = 256;
      for (int n = 0; n < 256; ++n) plte->Entries[n] = {uint8_t(n), uint8_t(n), uint8_t(n), 0};
    }
    header->SetPaletteColors(chunks_, GammaTable);
  }
  if (header->ColorType == kPngGrey || header->ColorType == kPngTrueColor) {
    // The key colour means nothing once every pixel has its own alpha.
    for (size_t i = 0; i < chunks_.Count(); ++i) {
      if (dynamic_cast<TChunktRNS*>(&chunks_.Item(i))) {
        chunks_.Delete(i);
        break;
      }
    }
    header->ColorType = header->ColorType == kPngGrey ? kPngGreyAlpha : kPngTrueColorAlpha;
  }
  if (header->LayoutBits() == 32) {
    for (int32_t y = 0; y < h; ++y) {
      uint8_t* row = header->PixelData.Data() + size_t(y) * header->BytesPerRow();
      uint8_t* extra = header->ExtraData ? header->ExtraData.Data() + size_t(y) * header->BytesPerRow() : nullptr;
      for (int32_t x = 0; x < w; ++x) {
        row[4 * x + 3] = value;
        if (extra) extra[4 * x + 3] = value;
      }
    }
    // The pixels' alpha is the truth; a plane kept beside them follows it.
    if (header->AlphaData) std::memset(header->AlphaData.Data(), value, header->AlphaData.Size);
    return true;
  }
  if (!header->AlphaData) header->AlphaData.Allocate(uint64_t(w) * uint64_t(h), false, w, h);
  std::memset(header->AlphaData.Data(), value, header->AlphaData.Size);
  return true;
}

void TPngPicture::ResizeEx(int32_t width, int32_t height, int32_t top, int32_t left, uint8_t alpha_fill) {
  if (width < 0 || height < 0) RaisePng<EPNGInvalidNewSize>(u"Invalid new size for the PNG image.");
  if (width > kPngMaxSide || height > kPngMaxSide) RaisePng<EPngInvalidSize>(u"Invalid PNG image size.");
  if (width == 0 || height == 0) width = height = 0;
  EnsureDecoded();
  TChunkIHDR* header = Header();
  if (!header) RaisePng<EPngMissingHeader>(u"The PNG image has no header.");
  const int32_t old_w = header->Width, old_h = header->Height;
  const int bits = header->LayoutBits();
  const size_t old_stride = header->BytesPerRow();
  const uint64_t stride = LayoutBytesPerRow(uint32_t(width), bits);
  const bool has_pixels = bool(header->PixelData);
  const bool has_alpha = bool(header->AlphaData);
  TPngBuffer pixels, alpha, extra;
  if (has_pixels) pixels.Allocate(stride * uint64_t(height), true, width, height);
  if (has_alpha) {
    alpha.Allocate(uint64_t(width) * uint64_t(height), false, width, height);
    std::memset(alpha.Data(), alpha_fill, alpha.Size);
  }
  if (header->ExtraData) extra.Allocate(stride * uint64_t(height), true, width, height);
  if (bits == 32 && has_pixels) {
    for (int32_t y = 0; y < height; ++y) {
      uint8_t* row = pixels.Data() + size_t(y) * stride;
      for (int32_t x = 0; x < width; ++x) row[4 * x + 3] = alpha_fill;
    }
  }
  // The part of the new picture the old one covers.
  const int32_t x0 = std::max(0, -left), y0 = std::max(0, -top);
  const int32_t x1 = int32_t(std::min<int64_t>(width, int64_t(old_w) - left));
  const int32_t y1 = int32_t(std::min<int64_t>(height, int64_t(old_h) - top));
  if (has_pixels) {
    for (int32_t y = y0; y < y1; ++y) {
      if (x1 <= x0) break;
      const size_t old_row = size_t(y + top);
      CopySamples(header->PixelData.Data() + old_row * old_stride, x0 + left, pixels.Data() + size_t(y) * stride, x0,
                  x1 - x0, bits);
      if (extra)
        CopySamples(header->ExtraData.Data() + old_row * old_stride, x0 + left, extra.Data() + size_t(y) * stride,
                    x0, x1 - x0, bits);
      if (has_alpha)
        std::memcpy(alpha.Data() + size_t(y) * size_t(width) + size_t(x0),
                    header->AlphaData.Data() + old_row * size_t(old_w) + size_t(x0 + left), size_t(x1 - x0));
    }
  }
  header->Width = width;
  header->Height = height;
  header->PixelData = std::move(pixels);
  header->AlphaData = std::move(alpha);
  header->ExtraData = std::move(extra);
  SetPixelInfoHeader(header->PixelInfo, width, height, bits);
}

void TPngPicture::SetTextChunk(StringView keyword, StringView text, bool only_if_matching) {
  TChunktEXt* chunk = nullptr;  // the first tEXt (a zTXt is none)
  for (size_t i = 0; !chunk && i < chunks_.Count(); ++i)
    if (chunks_.Item(i).Type() == kTextType) chunk = static_cast<TChunktEXt*>(&chunks_.Item(i));
  if (!chunk) {
    chunk = static_cast<TChunktEXt*>(
        &chunks_.Insert(IndexOfChunk<TChunkIEND>(chunks_), std::make_unique<TChunktEXt>()));
  } else if (only_if_matching && (keyword.empty() || chunk->Keyword() != keyword) &&
             (text.empty() || chunk->Text() == text)) {
    return;
  }
  chunk->SetKeyword(keyword);
  chunk->SetText(text);
}

int TPngPicture::TransparencyMode() const {
  const TChunkIHDR* header = Header();
  if (!header) return 0;
  const TChunktRNS* trns = chunks_.Find<TChunktRNS>();
  switch (header->ColorType) {
    case kPngGrey:
    case kPngTrueColor: return trns ? 1 : 0;
    case kPngIndexed: return trns ? (trns->SingleColor ? 1 : 2) : 0;
    case kPngGreyAlpha:
    case kPngTrueColorAlpha: return 2;
    case kPngDeviceBitmap:
      if (AlphaMode == TPngAlphaMode::Premultiplied) return 2;
      return trns && trns->SingleColor ? 1 : 0;
    default: return 0;
  }
}

uint8_t* TPngPicture::PixelLine(int32_t row) const {
  EnsureDecoded();
  const TChunkIHDR* header = Header();
  if (!header || !header->PixelData || row < 0 || row >= header->Height) return nullptr;
  return header->PixelData.Data() + size_t(row) * header->BytesPerRow();
}

uint8_t* TPngPicture::AlphaLine(int32_t row) const {
  const TChunkIHDR* header = Header();
  if (!header || (header->ColorType != kPngGreyAlpha && header->ColorType != kPngTrueColorAlpha)) return nullptr;
  if (row < 0 || row >= header->Height) return nullptr;
  EnsureDecoded();
  if (!header->AlphaData) return nullptr;
  return header->AlphaData.Data() + size_t(row) * size_t(header->Width);
}

uint32_t TPngPicture::GetPixel(int32_t x, int32_t y) const {
  const uint8_t* row = PixelLine(y);
  const TChunkIHDR* header = Header();
  if (!row || x < 0 || x >= header->Width || header->ColorType == kPngDeviceBitmap) return 0;
  const int bits = header->LayoutBits();
  if (bits >= 24) {
    const uint8_t* p = row + size_t(x) * size_t(bits / 8);
    uint32_t color = uint32_t(p[2]) | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16;
    if (bits == 32) color |= uint32_t(p[3]) << 24;
    return color;
  }
  const uint32_t sample = ReadSample(row, x, bits);
  if (header->ColorType == kPngGreyAlpha) return sample * 0x010101u;
  const TPngRgbQuad& c = header->PixelInfo.Colors[sample];
  return uint32_t(c.Red) | uint32_t(c.Green) << 8 | uint32_t(c.Blue) << 16;
}

void TPngPicture::SetPixel(int32_t x, int32_t y, uint32_t color) {
  uint8_t* row = PixelLine(y);
  TChunkIHDR* header = Header();
  if (!row || x < 0 || x >= header->Width || header->ColorType == kPngDeviceBitmap) return;
  const int bits = header->LayoutBits();
  if (bits >= 24) {
    uint8_t* p = row + size_t(x) * size_t(bits / 8);
    p[0] = uint8_t(color >> 16);
    p[1] = uint8_t(color >> 8);
    p[2] = uint8_t(color);
    if (bits == 32) p[3] = (color >> 24) == 0 ? 255 : uint8_t(color >> 24);
    return;
  }
  if (header->ColorType == kPngGreyAlpha) {
    WriteSample(row, x, bits, color & 0xFF);
    return;
  }
  int count = PaletteCount(*header);
  if (header->ColorType == kPngIndexed) {
    const TChunkPLTE* plte = chunks_.Find<TChunkPLTE>();
    count = plte ? std::min(plte->Count, 1 << bits) : 1 << bits;
  }
  WriteSample(row, x, bits, uint32_t(NearestEntry(header->PixelInfo.Colors, count, color)));
}

void TPngPicture::LoadFromStream(TStream& stream) {
  TPNGList list = ReadPng(stream);
  uint8_t gamma[256], inverse[256];
  if (const TChunkgAMA* chunk = list.Find<TChunkgAMA>()) {
    BuildGammaTables(chunk->Gamma, gamma, inverse);
  } else {
    SetIdentityGamma(gamma);
    SetIdentityGamma(inverse);
  }
  TPngSkinOptions options;
  for (size_t i = 0; i < list.Count(); ++i) {
    if (list.Item(i).Type() != kTextType) continue;
    const auto& text = static_cast<const TChunktEXt&>(list.Item(i));
    if (SameText(text.Keyword(), kSkinOptionsKeyword) && !text.TextBytes.empty())
      ReadSkinOptions(text.Text(), options);
  }
  chunks_ = std::move(list);
  std::memcpy(GammaTable, gamma, sizeof gamma);
  std::memcpy(InverseGammaTable, inverse, sizeof inverse);
  Options = options;
  AlphaMode = TPngAlphaMode::Straight;
}

void TPngPicture::UpdateSkinOptionsChunk() const {
  TChunktEXt* chunk = FindSkinOptionsChunk(chunks_);
  if (!chunk && Options.AtDefaults()) return;
  if (!chunk) {
    chunk = static_cast<TChunktEXt*>(
        &chunks_.Insert(IndexOfChunk<TChunkIEND>(chunks_), std::make_unique<TChunktEXt>()));
  }
  const String text = WriteSkinOptions(chunk->Text(), Options);
  if (text.empty()) {
    // Nothing left to say: no empty options chunk.
    for (size_t i = 0; i < chunks_.Count(); ++i) {
      if (&chunks_.Item(i) == chunk) {
        chunks_.Delete(i);
        break;
      }
    }
    return;
  }
  if (!Options.AtDefaults()) chunk->SetKeyword(kSkinOptionsKeyword);
  chunk->SetText(text);
}

void TPngPicture::SaveToStream(TStream& stream) const {
  UpdateSkinOptionsChunk();
  TPngSaveOptions options;
  options.Filters = Filters;
  options.CompressionLevel = CompressionLevel;
  options.Interlaced = InterlaceMethod == 1;
  options.AlphaMode = AlphaMode;
  options.MaxIdatSize = max_idat_size_;
  WritePng(stream, chunks_, options);
}

void TPngPicture::Assign(const TPngPicture& source) {
  if (&source == this) return;
  TPNGList list;
  list.SetBuilding(true);
  if (const TChunkIHDR* source_header = source.Header()) {
    for (size_t i = 0; i < source.chunks_.Count(); ++i) {
      const TChunk& chunk = source.chunks_.Item(i);
      if (&chunk == source_header) {
        list.Add(CloneHeader(*source_header));
      } else {
        list.Add(CloneChunk(chunk, *source_header, list));
      }
    }
  }
  list.SetBuilding(false);
  chunks_ = std::move(list);
  Filters = source.Filters;
  CompressionLevel = source.CompressionLevel;
  InterlaceMethod = source.InterlaceMethod;
  max_idat_size_ = source.max_idat_size_;
  Options = source.Options;
  AlphaMode = source.AlphaMode;
  std::memcpy(GammaTable, source.GammaTable, sizeof GammaTable);
  std::memcpy(InverseGammaTable, source.InverseGammaTable, sizeof InverseGammaTable);
}

bool TPngPicture::Equals(const TPngPicture& other) const {
  const TChunkIHDR* a = Header();
  const TChunkIHDR* b = other.Header();
  if (!a || !b) return !a && !b;
  if (a->Width != b->Width || a->Height != b->Height || a->ColorType != b->ColorType ||
      a->BitDepth != b->BitDepth || a->LayoutBits() != b->LayoutBits() || !(Options == other.Options) ||
      AlphaMode != other.AlphaMode)
    return false;
  EnsureDecoded();
  other.EnsureDecoded();
  auto same = [](const TPngBuffer& x, const TPngBuffer& y) {
    if (bool(x) != bool(y)) return false;
    return !x || (x.Size == y.Size && std::memcmp(x.Data(), y.Data(), x.Size) == 0);
  };
  // In 32 bits the alpha inside the pixels is the truth; a plane kept beside them is not compared.
  const bool planes = a->LayoutBits() != 32;
  return same(a->PixelData, b->PixelData) && (!planes || same(a->AlphaData, b->AlphaData)) &&
         same(a->ExtraData, b->ExtraData) &&
         std::memcmp(a->PixelInfo.Colors, b->PixelInfo.Colors, sizeof a->PixelInfo.Colors) == 0 &&
         TransparencyMode() == other.TransparencyMode();
}
