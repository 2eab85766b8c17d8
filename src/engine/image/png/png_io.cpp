#include "engine/image/png/png_io.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/image/png/png_errors.h"
#include "engine/image/png/png_gamma.h"

namespace {

constexpr TPngChunkType kIDAT = {'I', 'D', 'A', 'T'}, kIEND = {'I', 'E', 'N', 'D'}, kIHDR = {'I', 'H', 'D', 'R'},
                        kPLTE = {'P', 'L', 'T', 'E'}, kcHRM = {'c', 'H', 'R', 'M'}, ktRNS = {'t', 'R', 'N', 'S'};

uint32_t Get32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

bool IsChunkLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

[[noreturn]] void RaiseTruncated() { RaisePng<EPngTruncated>(u"The PNG data are truncated (a chunk reaches past the end)."); }

String ChunkName(const TPngChunkType& type) {
  String name;
  for (char c : type) name += char16_t(static_cast<unsigned char>(c));
  return name;
}

class TChunkReader {
 public:
  explicit TChunkReader(TStream& stream) : stream_(stream), size_(stream.Size()) {}

  int64_t Remaining() { return size_ - stream_.Position(); }

  // Reads length and type; checks that data and CRC fit in the stream.
  void ReadFrame(uint32_t& length, TPngChunkType& type) {
    uint8_t frame[8];
    stream_.ReadBuffer(frame, 8);
    length = Get32(frame);
    std::memcpy(type.data(), frame + 4, 4);
    if (length > 0x7FFFFFFFu) RaisePng<EPngInvalidChunk>(u"A PNG chunk declares a length above 2^31 - 1.");
    if (!std::all_of(type.begin(), type.end(), IsChunkLetter))
      RaisePng<EPngInvalidChunk>(u"A PNG chunk has an invalid type.");
    if (int64_t(length) + 4 > Remaining()) RaiseTruncated();
  }

  // Reads data and CRC; true when the CRC matches.
  bool ReadBody(const TPngChunkType& type, uint32_t length, std::vector<uint8_t>& data) {
    data.resize(length);
    if (length) stream_.ReadBuffer(data.data(), int32_t(length));
    uint8_t crc_bytes[4];
    stream_.ReadBuffer(crc_bytes, 4);
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type.data()), 4);
    if (length) crc = crc32(crc, data.data(), length);  // a null buffer would reset the CRC
    return crc == Get32(crc_bytes);
  }

  void Skip(int64_t bytes) { stream_.Seek(bytes, soCurrent); }

  // Captures the run that starts with an IDAT of `first_length` data bytes
  // (the frame already read): see ReadPng.
  void CaptureRun(uint32_t first_length, TChunkIDAT& idat) {
    const int64_t start = stream_.Position();
    Skip(int64_t(first_length) + 4);
    while (Remaining() >= 8) {
      uint32_t length;
      TPngChunkType type;
      ReadFrame(length, type);
      if (type != kIDAT) {
        Skip(-8);
        break;
      }
      Skip(int64_t(length) + 4);
    }
    const int64_t end = stream_.Position();
    if (end - start > INT32_MAX) RaisePng<EPngInvalidChunk>(u"The PNG image data run is larger than 2 GB.");
    idat.FirstLength = first_length;
    idat.Run.resize(size_t(end - start));
    stream_.SetPosition(start);
    stream_.ReadBuffer(idat.Run.data(), int32_t(end - start));
  }

 private:
  TStream& stream_;
  int64_t size_;
};

// What of a transparency chunk may be written: for an indexed picture at most
// one entry per palette entry; nothing for pictures with an alpha channel.
bool FitTransparency(std::vector<uint8_t>& data, const TChunkIHDR& header, const TPNGList& list) {
  if (header.ColorType == kPngGreyAlpha || header.ColorType == kPngTrueColorAlpha) return false;
  if (header.ColorType == kPngIndexed) {
    const TChunkPLTE* plte = list.Find<TChunkPLTE>();
    data.resize(std::min(data.size(), size_t(plte ? plte->Count : 0)));
  }
  return !data.empty();
}

void WriteChunk(TStream& stream, const TPngChunkType& type, const uint8_t* data, size_t size) {
  uint8_t frame[8] = {uint8_t(size >> 24), uint8_t(size >> 16), uint8_t(size >> 8), uint8_t(size)};
  std::memcpy(frame + 4, type.data(), 4);
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type.data()), 4);
  if (size) crc = crc32(crc, data, uInt(size));  // a null buffer would reset the CRC
  const uint8_t tail[4] = {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)};
  stream.WriteBuffer(frame, 8);
  if (size) stream.WriteBuffer(data, int32_t(size));
  stream.WriteBuffer(tail, 4);
}

}  // namespace

TPNGList ReadPng(TStream& stream) {
  uint8_t signature[8];
  if (stream.Size() - stream.Position() < 8 || (stream.ReadBuffer(signature, 8), std::memcmp(signature, kPngSignature, 8) != 0))
    RaisePng<EPngInvalidSignature>(u"This is not a PNG image (the signature does not match).");

  TChunkReader reader(stream);
  TPNGList list;
  list.SetBuilding(true);
  TChunkIHDR* header = nullptr;
  bool seen_plte = false, seen_idat = false, seen_trns = false;
  uint64_t kept_ancillary = 0;
  std::vector<uint8_t> data;
  while (reader.Remaining() > 0) {
    if (reader.Remaining() < 12) RaiseTruncated();
    uint32_t length;
    TPngChunkType type;
    reader.ReadFrame(length, type);
    const bool is_header = type == kIHDR;
    if (!header && !is_header) RaisePng<EPngHeaderNotFirst>(u"The PNG image does not start with its header (IHDR).");
    if (header && is_header) RaisePng<EPngHeaderNotFirst>(u"The PNG image has a second header (IHDR).");

    if (type == kIDAT) {
      if (seen_idat) {  // a later run: the image data are the first run
        reader.Skip(int64_t(length) + 4);
        continue;
      }
      if (header->ColorType == kPngIndexed && !seen_plte)
        RaisePng<EPngInvalidChunk>(u"The PNG image has no palette (PLTE) before its image data.");
      auto idat = std::make_unique<TChunkIDAT>();
      reader.CaptureRun(length, *idat);
      list.Add(std::move(idat));
      seen_idat = true;
      continue;
    }
    auto chunk = CreateChunk(type);
    const bool critical = chunk->IsCritical();
    if (critical && !is_header && type != kPLTE && type != kIEND) {
      String text = u"Unknown critical PNG chunk \"";
      text += ChunkName(type);
      text += u"\".";
      RaisePng<EPngUnknownCriticalChunk>(text);
    }
    if ((!critical && length > kMaxPngAncillaryBytes) || type == kcHRM) {
      reader.Skip(int64_t(length) + 4);
      continue;
    }
    if (!reader.ReadBody(type, length, data)) {
      if (critical) {
        String text = u"CRC error in the PNG chunk \"";
        text += ChunkName(type);
        text += u"\".";
        RaisePng<EPngInvalidCRC>(text);
      }
      continue;
    }
    if (type == kIEND) {
      list.Add(std::move(chunk));
      break;
    }
    if (type == kPLTE) {
      if (seen_idat) RaisePng<EPngInvalidChunk>(u"The PNG palette (PLTE) comes after the image data.");
      if (seen_plte) RaisePng<EPngInvalidChunk>(u"The PNG image has a second palette (PLTE).");
      if (header->ColorType == kPngGrey || header->ColorType == kPngGreyAlpha) continue;  // meaningless for grey
    }
    if (type == ktRNS && (seen_trns || seen_idat)) continue;
    if (!chunk->LoadData(data.data(), data.size(), list)) continue;
    if (!critical) {
      const auto* text = dynamic_cast<const TChunktEXt*>(chunk.get());
      kept_ancillary += text ? text->KeywordBytes.size() + text->TextBytes.size() : length;
      if (kept_ancillary > kMaxPngKeptAncillaryBytes) continue;
    }
    if (is_header) header = static_cast<TChunkIHDR*>(chunk.get());
    seen_plte = seen_plte || type == kPLTE;
    seen_trns = seen_trns || type == ktRNS;
    list.Add(std::move(chunk));
  }
  if (!header) RaisePng<EPngHeaderNotFirst>(u"The PNG image has no header (IHDR).");
  if (!seen_idat) RaisePng<EPngNoImageData>(u"The PNG image has no image data (IDAT).");
  list.SetBuilding(false);
  return list;
}

void DecodePngPixels(TPNGList& list, bool want_32bit, const uint8_t gamma[256]) {
  TChunkIHDR* header = list.Header();
  if (!header) RaisePng<EPngMissingHeader>(u"The PNG image has no header.");
  const TChunkIDAT* idat = list.Find<TChunkIDAT>();
  if (!idat || !idat->HasRun()) RaisePng<EPngNoImageData>(u"The PNG image has no image data (IDAT).");
  header->SetPaletteColors(list, gamma);
  idat->Decode(*header, want_32bit);
}

void WritePng(TStream& stream, TPNGList& list, const TPngSaveOptions& options) {
  TChunkIHDR* header = list.Header();
  if (!header) RaisePng<EPngMissingHeader>(u"The PNG image has no header.");
  if (header->ColorType == kPngDeviceBitmap || !IsValidPngDepth(header->ColorType, header->BitDepth))
    RaisePng<EPngInvalidColorType>(u"This colour type cannot be saved as PNG; convert the picture first.");
  if (!list.Find<TChunkIDAT>()) RaisePng<EPngNoImageData>(u"The PNG image has no image data (IDAT).");
  if (header->ColorType == kPngIndexed && !list.Find<TChunkPLTE>())
    RaisePng<EPngInvalidChunk>(u"The indexed PNG image has no palette (PLTE).");
  if (!header->PixelData) {
    uint8_t identity[256];
    SetIdentityGamma(identity);
    DecodePngPixels(list, false, identity);
  }
  const bool interlaced = options.Interlaced && header->BitDepth != 2;
  TPngEncodeOptions encode = options;
  encode.Interlaced = interlaced;
  const size_t max_idat = std::max<uint32_t>(options.MaxIdatSize, 65535);

  stream.WriteBuffer(kPngSignature, 8);
  std::vector<uint8_t> data;
  bool ended = false;
  for (size_t i = 0; i < list.Count(); ++i) {
    const TChunk& chunk = list.Item(i);
    if (chunk.Type() == kIDAT) {
      EncodeImageData(header->Target(), encode, max_idat,
                      [&](const uint8_t* piece, size_t size) { WriteChunk(stream, kIDAT, piece, size); });
      continue;
    }
    const bool grey = header->ColorType == kPngGrey || header->ColorType == kPngGreyAlpha;
    if (chunk.Type() == kPLTE && grey) continue;  // grey pictures carry no palette in the file
    chunk.SaveData(data, *header);
    if (chunk.Type() == ktRNS && !FitTransparency(data, *header, list)) continue;
    if (chunk.Type() == kIHDR) data[12] = interlaced ? 1 : 0;
    WriteChunk(stream, chunk.Type(), data.data(), data.size());
    if (chunk.Type() == kIEND) {
      ended = true;
      break;
    }
  }
  if (!ended) WriteChunk(stream, kIEND, nullptr, 0);
}
