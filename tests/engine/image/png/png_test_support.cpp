#include "png_test_support.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/image/png/png_gamma.h"
#include "engine/image/png/png_io.h"

namespace png_test {

namespace {
void Put32(Bytes& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}
}  // namespace

Bytes Chunk(const char* type, const Bytes& data) {
  Bytes out;
  Put32(out, uint32_t(data.size()));
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
  if (!data.empty()) crc = crc32(crc, data.data(), uInt(data.size()));
  Put32(out, uint32_t(crc));
  return out;
}

Bytes HeaderData(uint32_t width, uint32_t height, uint8_t depth, uint8_t color_type, uint8_t interlace) {
  Bytes d;
  Put32(d, width);
  Put32(d, height);
  d.insert(d.end(), {depth, color_type, 0, 0, interlace});
  return d;
}

Bytes Deflate(const Bytes& raw) {
  uLongf size = compressBound(uLong(raw.size()));
  Bytes out(size);
  compress2(out.data(), &size, raw.data(), uLong(raw.size()), 9);
  out.resize(size);
  return out;
}

Bytes File(const std::vector<Bytes>& chunks) {
  Bytes out(kPngSignature, kPngSignature + 8);
  for (const Bytes& c : chunks) out.insert(out.end(), c.begin(), c.end());
  return out;
}

Bytes SimpleFile(uint32_t width, uint32_t height, uint8_t depth, uint8_t color_type, const Bytes& filtered_rows,
                 const std::vector<Bytes>& before_idat) {
  std::vector<Bytes> chunks = {Chunk("IHDR", HeaderData(width, height, depth, color_type))};
  chunks.insert(chunks.end(), before_idat.begin(), before_idat.end());
  chunks.push_back(Chunk("IDAT", Deflate(filtered_rows)));
  chunks.push_back(Chunk("IEND", {}));
  return File(chunks);
}

TPNGList Read(const Bytes& file) {
  TResourceStream stream(file.data(), int64_t(file.size()));
  return ReadPng(stream);
}

TPNGList ReadDecoded(const Bytes& file, bool want_32bit) {
  TPNGList list = Read(file);
  uint8_t identity[256];
  SetIdentityGamma(identity);
  DecodePngPixels(list, want_32bit, identity);
  return list;
}

Bytes Write(TPNGList& list, const TPngSaveOptions& options) {
  TMemoryStream stream;
  WritePng(stream, list, options);
  const uint8_t* p = static_cast<const uint8_t*>(stream.Memory());
  return Bytes(p, p + stream.Size());
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> CorpusFiles(const std::string& folder) {
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(std::string(RD_PNG_CORPUS) + "/" + folder))
    if (e.path().extension() == ".png") files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

uint32_t LayoutSample(const TChunkIHDR& h, uint32_t x, uint32_t y, int channel) {
  const uint8_t* row = h.PixelData.Data() + size_t(y) * h.BytesPerRow();
  const uint8_t* extra = h.ExtraData ? h.ExtraData.Data() + size_t(y) * h.BytesPerRow() : nullptr;
  const bool wide = h.BitDepth == 16;
  auto at = [&](size_t i) { return wide ? uint32_t(row[i]) << 8 | extra[i] : uint32_t(row[i]); };
  const uint8_t alpha = h.AlphaData ? h.AlphaData.Data()[size_t(y) * h.Width + x] : 0;
  switch (h.ColorType) {
    case kPngGrey:
    case kPngIndexed:
      if (h.LayoutBits() < 8) {
        const int bits = h.LayoutBits();
        const size_t bit = size_t(x) * bits;
        return (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
      }
      return at(x);
    case kPngGreyAlpha:
      return channel == 0 ? at(x) : alpha;
    case kPngTrueColor:
      return at(3 * size_t(x) + 2 - channel);
    case kPngTrueColorAlpha:
      if (h.LayoutBits() == 32) return channel == 3 ? row[4 * size_t(x) + 3] : at(4 * size_t(x) + 2 - channel);
      return channel == 3 ? alpha : at(3 * size_t(x) + 2 - channel);
    default:
      return 0;
  }
}

}  // namespace png_test

#include <random>

namespace png_test {

TPNGList RandomImage(uint8_t color_type, uint8_t depth, bool want_32bit, uint32_t width, uint32_t height,
                     uint32_t seed) {
  std::mt19937 rng(seed);
  TPNGList list;
  list.SetBuilding(true);
  auto header = std::make_unique<TChunkIHDR>();
  header->Width = int32_t(width);
  header->Height = int32_t(height);
  header->BitDepth = depth;
  header->ColorType = color_type;
  header->PrepareLayout(want_32bit);
  TChunkIHDR& h = static_cast<TChunkIHDR&>(list.Add(std::move(header)));
  if (color_type == kPngIndexed) {
    auto plte = std::make_unique<TChunkPLTE>();
    plte->Count = 1 << depth;
    for (int i = 0; i < plte->Count; ++i)
      plte->Entries[i] = {uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 0};
    list.Add(std::move(plte));
  }
  list.Add(std::make_unique<TChunkIDAT>());
  list.Add(std::make_unique<TChunkIEND>());
  list.SetBuilding(false);
  for (size_t i = 0; i < h.PixelData.Size; ++i) {
    uint8_t v = uint8_t(rng());
    if (depth == 2) v &= 0x33;  // one 2-bit sample per nibble
    h.PixelData.Data()[i] = v;
  }
  for (size_t i = 0; i < h.AlphaData.Size; ++i) h.AlphaData.Data()[i] = uint8_t(rng());
  for (size_t i = 0; i < h.ExtraData.Size; ++i) h.ExtraData.Data()[i] = uint8_t(rng());
  return list;
}

}  // namespace png_test
