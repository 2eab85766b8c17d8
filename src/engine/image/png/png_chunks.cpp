#include "engine/image/png/png_chunks.h"

#include <zlib.h>

#include <cstring>
#include <new>

#include "engine/image/png/png_decoder.h"
#include "engine/image/png/png_errors.h"

namespace {

constexpr TPngChunkType kIHDR = {'I', 'H', 'D', 'R'}, kPLTE = {'P', 'L', 'T', 'E'}, kIDAT = {'I', 'D', 'A', 'T'},
                        kIEND = {'I', 'E', 'N', 'D'}, ktRNS = {'t', 'R', 'N', 'S'}, kgAMA = {'g', 'A', 'M', 'A'},
                        kpHYs = {'p', 'H', 'Y', 's'}, ktIME = {'t', 'I', 'M', 'E'}, ktEXt = {'t', 'E', 'X', 't'},
                        kzTXt = {'z', 'T', 'X', 't'};

uint32_t Get32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v >> 24));
  out.push_back(uint8_t(v >> 16));
  out.push_back(uint8_t(v >> 8));
  out.push_back(uint8_t(v));
}
void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v >> 8));
  out.push_back(uint8_t(v));
}

// Scales a sample of `depth` bits to 8 bits (16-bit samples keep their high byte).
uint8_t SampleTo8(uint16_t v, uint8_t depth) {
  if (depth == 16) return uint8_t(v >> 8);
  if (depth == 8) return uint8_t(v);
  const unsigned max = (1u << depth) - 1;
  return uint8_t((v & max) * 255 / max);
}

// Splits keyword \0 rest; false without the separator or with a keyword of
// 0 or more than 79 bytes.
bool SplitKeyword(const uint8_t* data, size_t size, std::string& keyword, size_t& rest) {
  const void* nul = std::memchr(data, 0, size);
  if (!nul) return false;
  const size_t length = size_t(static_cast<const uint8_t*>(nul) - data);
  if (length == 0 || length > 79) return false;
  keyword.assign(reinterpret_cast<const char*>(data), length);
  rest = length + 1;
  return true;
}

}  // namespace

void RaisePngOutOfMemory(uint64_t bytes, int64_t width, int64_t height) {
  String text = u"Not enough memory for the PNG image, Size=";
  text += Utf8ToString(std::to_string(bytes));
  text += u", W=";
  text += Utf8ToString(std::to_string(width));
  text += u", H=";
  text += Utf8ToString(std::to_string(height));
  RaisePng<EPNGOutMemory>(text);
}

void TPngBuffer::Allocate(uint64_t size, bool zeroed, int64_t width, int64_t height) {
  if (size > kMaxPngBufferBytes) RaisePngOutOfMemory(size, width, height);
  uint8_t* p = new (std::nothrow) uint8_t[size_t(size) + (size == 0)];
  if (!p) RaisePngOutOfMemory(size, width, height);
  if (zeroed) std::memset(p, 0, size_t(size));
  Bytes.reset(p);
  Borrowed = nullptr;
  Size = size_t(size);
}

// ---- TChunk ------------------------------------------------------------------

bool TChunk::LoadData(const uint8_t* data, size_t size, const TPNGList&) {
  raw_.assign(data, data + size);
  return true;
}

void TChunk::SaveData(std::vector<uint8_t>& out, const TChunkIHDR&) const { out = raw_; }

// ---- IHDR --------------------------------------------------------------------

TChunkIHDR::TChunkIHDR() : TChunk(kIHDR) {}
TChunkIHDR::~TChunkIHDR() = default;

bool TChunkIHDR::LoadData(const uint8_t* data, size_t size, const TPNGList&) {
  if (size != 13) RaisePng<EPngInvalidChunk>(u"The PNG header (IHDR) is not 13 bytes long.");
  const uint32_t w = Get32(data), h = Get32(data + 4);
  if (w == 0 || h == 0 || w > uint32_t(kPngMaxSide) || h > uint32_t(kPngMaxSide)) {
    String text = u"Invalid PNG image size ";
    text += Utf8ToString(std::to_string(w) + " x " + std::to_string(h));
    text += u" (each side must be 1 to 65535).";
    RaisePng<EPngInvalidSize>(text);
  }
  if (!IsValidPngDepth(data[9], data[8])) {
    String text = u"Invalid PNG colour type ";
    text += Utf8ToString(std::to_string(data[9]) + " with bit depth " + std::to_string(data[8]) + ".");
    RaisePng<EPngInvalidColorType>(text);
  }
  if (data[10] != 0 || data[11] != 0 || data[12] > 1)
    RaisePng<EPngUnknownCompression>(u"Unknown PNG compression, filter or interlace method.");
  Width = int32_t(w);
  Height = int32_t(h);
  BitDepth = data[8];
  ColorType = data[9];
  CompressionMethod = data[10];
  FilterMethod = data[11];
  InterlaceMethod = data[12];
  SetPixelInfoHeader(PixelInfo, Width, Height, LayoutBitsPerPixel(ColorType, BitDepth, false));
  return true;
}

void TChunkIHDR::SaveData(std::vector<uint8_t>& out, const TChunkIHDR&) const {
  out.clear();
  Put32(out, uint32_t(Width));
  Put32(out, uint32_t(Height));
  out.push_back(SavedBitDepth(BitDepth));
  out.push_back(ColorType);
  out.push_back(0);
  out.push_back(0);
  out.push_back(BitDepth == 2 ? 0 : InterlaceMethod);
}

void TChunkIHDR::PrepareLayout(bool want_32bit, bool zeroed) {
  if (Width < 0 || Height < 0 || Width > kPngMaxSide || Height > kPngMaxSide)
    RaisePng<EPngInvalidSize>(u"Invalid PNG image size.");
  const int bits = LayoutBitsPerPixel(ColorType, BitDepth, want_32bit);
  const uint64_t stride = LayoutBytesPerRow(uint32_t(Width), bits);
  const uint64_t pixel_bytes = stride * uint64_t(Height);
  const bool alpha = LayoutHasAlphaPlane(ColorType, bits);
  TPngBuffer pixels, alpha_plane, extra;
  pixels.Allocate(pixel_bytes, zeroed, Width, Height);
  if (alpha) alpha_plane.Allocate(uint64_t(Width) * uint64_t(Height), zeroed, Width, Height);
  if (BitDepth == 16) extra.Allocate(pixel_bytes, zeroed, Width, Height);
  SetPixelInfoHeader(PixelInfo, Width, Height, bits);
  PixelData = std::move(pixels);
  AlphaData = std::move(alpha_plane);
  ExtraData = std::move(extra);
}

void TChunkIHDR::SetPaletteColors(const TPNGList& list, const uint8_t gamma[256]) {
  std::memset(PixelInfo.Colors, 0, sizeof PixelInfo.Colors);
  if (ColorType == kPngIndexed) {
    if (const TChunkPLTE* plte = list.Find<TChunkPLTE>()) {
      for (int i = 0; i < plte->Count; ++i) {
        PixelInfo.Colors[i].Red = gamma[plte->Entries[i].Red];
        PixelInfo.Colors[i].Green = gamma[plte->Entries[i].Green];
        PixelInfo.Colors[i].Blue = gamma[plte->Entries[i].Blue];
      }
    }
  } else if (ColorType == kPngGrey || ColorType == kPngGreyAlpha) {
    const int count = BitDepth >= 8 ? 256 : 1 << BitDepth;
    for (int n = 0; n < count; ++n) {
      const uint8_t level = gamma[(n * 255 + (count - 1) / 2) / (count - 1)];
      PixelInfo.Colors[n] = {level, level, level, 0};
    }
  }
}

TPngPixelTarget TChunkIHDR::Target() const {
  TPngPixelTarget t;
  t.Width = uint32_t(Width);
  t.Height = uint32_t(Height);
  t.BitDepth = BitDepth;
  t.ColorType = ColorType;
  t.LayoutBits = LayoutBits();
  t.Pixels = PixelData.Data();
  t.BytesPerRow = BytesPerRow();
  t.Alpha = AlphaData.Data();
  t.Extra = ExtraData.Data();
  return t;
}

void TChunkIHDR::FreePixels() {
  PixelData.Free();
  AlphaData.Free();
  ExtraData.Free();
}

// ---- PLTE --------------------------------------------------------------------

TChunkPLTE::TChunkPLTE() : TChunk(kPLTE) {}

bool TChunkPLTE::LoadData(const uint8_t* data, size_t size, const TPNGList& list) {
  const TChunkIHDR* header = list.Header();
  if (size == 0 || size % 3 != 0 || size > 768) {
    if (header && header->ColorType != kPngIndexed) return false;  // only a suggestion there
    RaisePng<EPngInvalidChunk>(u"The PNG palette (PLTE) has an invalid length.");
  }
  Count = int(size / 3);
  // Entries past what the depth can index are never used; drop them like other decoders do.
  if (header && header->ColorType == kPngIndexed && Count > (1 << header->BitDepth)) Count = 1 << header->BitDepth;
  for (int i = 0; i < Count; ++i) Entries[i] = {data[3 * i + 2], data[3 * i + 1], data[3 * i], 0};
  return true;
}

void TChunkPLTE::SaveData(std::vector<uint8_t>& out, const TChunkIHDR&) const {
  out.clear();
  for (int i = 0; i < Count; ++i) {
    out.push_back(Entries[i].Red);
    out.push_back(Entries[i].Green);
    out.push_back(Entries[i].Blue);
  }
}

// ---- tRNS --------------------------------------------------------------------

TChunktRNS::TChunktRNS() : TChunk(ktRNS) { std::memset(Alpha, 255, sizeof Alpha); }

bool TChunktRNS::LoadData(const uint8_t* data, size_t size, const TPNGList& list) {
  const TChunkIHDR* header = list.Header();
  if (!header) return false;
  switch (header->ColorType) {
    case kPngIndexed: {
      const TChunkPLTE* plte = list.Find<TChunkPLTE>();
      if (!plte || size == 0 || size > size_t(plte->Count)) return false;
      Count = int(size);
      std::memcpy(Alpha, data, size);
      int zeros = 0, partial = 0;
      for (int i = 0; i < plte->Count; ++i) {
        if (Alpha[i] == 0) {
          ++zeros;
          TransparentIndex = i;
        } else if (Alpha[i] != 255) {
          ++partial;
        }
      }
      SingleColor = zeros == 1 && partial == 0;
      if (!SingleColor) TransparentIndex = -1;
      else {
        const TPngRgbQuad& e = plte->Entries[TransparentIndex];
        TransparentColor = uint32_t(e.Red) | uint32_t(e.Green) << 8 | uint32_t(e.Blue) << 16;
      }
      return true;
    }
    case kPngGrey: {
      if (size != 2) return false;
      KeyGrey = Get16(data);
      const uint8_t g = SampleTo8(KeyGrey, header->BitDepth);
      TransparentColor = uint32_t(g) * 0x010101u;
      SingleColor = true;
      return true;
    }
    case kPngTrueColor: {
      if (size != 6) return false;
      KeyRed = Get16(data);
      KeyGreen = Get16(data + 2);
      KeyBlue = Get16(data + 4);
      TransparentColor = uint32_t(SampleTo8(KeyRed, header->BitDepth)) |
                         uint32_t(SampleTo8(KeyGreen, header->BitDepth)) << 8 |
                         uint32_t(SampleTo8(KeyBlue, header->BitDepth)) << 16;
      SingleColor = true;
      return true;
    }
    default:
      return false;  // types with an alpha channel have no tRNS
  }
}

void TChunktRNS::SaveData(std::vector<uint8_t>& out, const TChunkIHDR& header) const {
  out.clear();
  if (header.ColorType == kPngGrey) {
    // Depth 2 is saved as 4: the key level scales with the samples.
    Put16(out, header.BitDepth == 2 ? uint16_t((KeyGrey & 3) * 5) : KeyGrey);
  } else if (header.ColorType == kPngTrueColor) {
    Put16(out, KeyRed);
    Put16(out, KeyGreen);
    Put16(out, KeyBlue);
  } else {
    out.assign(Alpha, Alpha + Count);
  }
}

// ---- gAMA, pHYs, tIME ----------------------------------------------------------

TChunkgAMA::TChunkgAMA() : TChunk(kgAMA) {}

bool TChunkgAMA::LoadData(const uint8_t* data, size_t size, const TPNGList&) {
  if (size != 4) return false;
  const uint32_t gamma = Get32(data);
  if (gamma == 0 || gamma > 0x7FFFFFFFu) return false;
  Gamma = gamma;
  return true;
}

void TChunkgAMA::SaveData(std::vector<uint8_t>& out, const TChunkIHDR&) const {
  out.clear();
  Put32(out, Gamma);
}

TChunkpHYs::TChunkpHYs() : TChunk(kpHYs) {}

bool TChunkpHYs::LoadData(const uint8_t* data, size_t size, const TPNGList&) {
  if (size != 9) return false;
  PixelsPerUnitX = Get32(data);
  PixelsPerUnitY = Get32(data + 4);
  Unit = data[8];
  return true;
}

void TChunkpHYs::SaveData(std::vector<uint8_t>& out, const TChunkIHDR&) const {
  out.clear();
  Put32(out, PixelsPerUnitX);
  Put32(out, PixelsPerUnitY);
  out.push_back(Unit);
}

TChunktIME::TChunktIME() : TChunk(ktIME) {}

bool TChunktIME::LoadData(const uint8_t* data, size_t size, const TPNGList&) {
  if (size != 7) return false;
  Year = Get16(data);
  Month = data[2];
  Day = data[3];
  Hour = data[4];
  Minute = data[5];
  Second = data[6];
  return true;
}

void TChunktIME::SaveData(std::vector<uint8_t>& out, const TChunkIHDR&) const {
  out.clear();
  Put16(out, Year);
  out.insert(out.end(), {Month, Day, Hour, Minute, Second});
}

// ---- tEXt, zTXt ----------------------------------------------------------------

TChunktEXt::TChunktEXt() : TChunk(ktEXt) {}

bool TChunktEXt::LoadData(const uint8_t* data, size_t size, const TPNGList&) {
  size_t rest;
  if (!SplitKeyword(data, size, KeywordBytes, rest)) return false;
  TextBytes.assign(reinterpret_cast<const char*>(data + rest), size - rest);
  return true;
}

void TChunktEXt::SaveData(std::vector<uint8_t>& out, const TChunkIHDR&) const {
  out.assign(KeywordBytes.begin(), KeywordBytes.end());
  out.push_back(0);
  out.insert(out.end(), TextBytes.begin(), TextBytes.end());
}

TChunkzTXt::TChunkzTXt() : TChunktEXt(kzTXt) {}

bool TChunkzTXt::LoadData(const uint8_t* data, size_t size, const TPNGList&) {
  size_t rest;
  if (!SplitKeyword(data, size, KeywordBytes, rest) || rest >= size || data[rest] != 0) return false;
  ++rest;
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return false;
  z.next_in = const_cast<Bytef*>(data + rest);
  z.avail_in = uInt(size - rest);
  std::string text;
  char block[16384];
  int rc;
  do {
    z.next_out = reinterpret_cast<Bytef*>(block);
    z.avail_out = sizeof block;
    rc = inflate(&z, Z_NO_FLUSH);
    text.append(block, sizeof block - z.avail_out);
  } while (rc == Z_OK && text.size() <= kMaxPngTextBytes && z.avail_out == 0);
  inflateEnd(&z);
  if (rc != Z_STREAM_END || text.size() > kMaxPngTextBytes) return false;
  TextBytes = std::move(text);
  return true;
}

void TChunkzTXt::SaveData(std::vector<uint8_t>& out, const TChunkIHDR&) const {
  out.assign(KeywordBytes.begin(), KeywordBytes.end());
  out.push_back(0);
  out.push_back(0);  // compression method: deflate
  uLongf bound = compressBound(uLong(TextBytes.size()));
  const size_t at = out.size();
  out.resize(at + bound);
  if (compress2(out.data() + at, &bound, reinterpret_cast<const Bytef*>(TextBytes.data()), uLong(TextBytes.size()),
                Z_DEFAULT_COMPRESSION) != Z_OK)
    RaisePng<EPNGZLIBError>(u"zlib error while compressing a PNG text chunk.");
  out.resize(at + bound);
}

// ---- IDAT, IEND ----------------------------------------------------------------

TChunkIDAT::TChunkIDAT() : TChunk(kIDAT) {}

void TChunkIDAT::Decode(TChunkIHDR& header, bool want_32bit) const {
  header.PrepareLayout(want_32bit, false);  // every byte is written, or all zeroed on failure
  DecodeIdatRun(Run.data(), Run.size(), FirstLength, header.InterlaceMethod == 1, header.Target());
}

void TChunkIDAT::SaveData(std::vector<uint8_t>&, const TChunkIHDR&) const {
  // The writer encodes the image data from the header's pixels itself.
  RaisePng<EPngInvalidChunk>(u"Image data are written by the PNG writer only.");
}

TChunkIEND::TChunkIEND() : TChunk(kIEND) {}

void TChunkIEND::SaveData(std::vector<uint8_t>& out, const TChunkIHDR&) const { out.clear(); }

// ---- the list ------------------------------------------------------------------

std::unique_ptr<TChunk> CreateChunk(const TPngChunkType& type) {
  if (type == kIHDR) return std::make_unique<TChunkIHDR>();
  if (type == kPLTE) return std::make_unique<TChunkPLTE>();
  if (type == kIDAT) return std::make_unique<TChunkIDAT>();
  if (type == kIEND) return std::make_unique<TChunkIEND>();
  if (type == ktRNS) return std::make_unique<TChunktRNS>();
  if (type == kgAMA) return std::make_unique<TChunkgAMA>();
  if (type == kpHYs) return std::make_unique<TChunkpHYs>();
  if (type == ktIME) return std::make_unique<TChunktIME>();
  if (type == ktEXt) return std::make_unique<TChunktEXt>();
  if (type == kzTXt) return std::make_unique<TChunkzTXt>();
  return std::make_unique<TChunk>(type);
}

TChunk& TPNGList::Add(std::unique_ptr<TChunk> chunk) { return Insert(chunks_.size(), std::move(chunk)); }

TChunk& TPNGList::Insert(size_t index, std::unique_ptr<TChunk> chunk) {
  if (chunk->IsCritical() && !building_)
    RaisePng<EPngInvalidChunk>(u"Critical PNG chunks can be added only while the image is built.");
  if (index > chunks_.size()) index = chunks_.size();
  return **chunks_.insert(chunks_.begin() + std::ptrdiff_t(index), std::move(chunk));
}

void TPNGList::Delete(size_t index) {
  if (index < chunks_.size()) chunks_.erase(chunks_.begin() + std::ptrdiff_t(index));
}

TChunkIHDR* TPNGList::Header() const {
  return chunks_.empty() ? nullptr : dynamic_cast<TChunkIHDR*>(chunks_.front().get());
}
