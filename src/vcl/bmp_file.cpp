#include "vcl/bmp_file.h"

#include <cstring>

namespace {

[[noreturn]] void InvalidBitmap() { throw EInvalidGraphic(u"Bitmap image is not valid"); }

// Pixel data larger than this is refused before anything is allocated.
constexpr int64_t kMaxPixelBytes = int64_t{1} << 30;

template <class T>
T ReadLE(const uint8_t* p) {
  T value{};
  std::memcpy(&value, p, sizeof(T));
  return value;
}

void ReadExactly(TStream& stream, void* buffer, int64_t count) {
  if (count < 0 || count > INT32_MAX || stream.Read(buffer, static_cast<int32_t>(count)) != count) InvalidBitmap();
}

}  // namespace

int64_t DibStride(int64_t width, int32_t bit_count) { return ((width * bit_count + 31) / 32) * 4; }

TDibData ReadBmp(TStream& stream) {
  const int64_t start = stream.Position();
  uint8_t file_header[14];
  ReadExactly(stream, file_header, sizeof(file_header));
  if (file_header[0] != 'B' || file_header[1] != 'M') InvalidBitmap();
  const uint32_t pixel_offset = ReadLE<uint32_t>(file_header + 10);

  uint8_t info[124] = {};
  ReadExactly(stream, info, 4);
  const uint32_t header_size = ReadLE<uint32_t>(info);
  if (header_size != 12 && header_size != 40 && header_size != 52 && header_size != 56 && header_size != 108 &&
      header_size != 124) {
    InvalidBitmap();
  }
  ReadExactly(stream, info + 4, header_size - 4);

  TDibData dib;
  BITMAPINFOHEADER& h = dib.header;
  h.biSize = sizeof(BITMAPINFOHEADER);
  const bool core = header_size == 12;
  if (core) {
    h.biWidth = ReadLE<uint16_t>(info + 4);
    h.biHeight = ReadLE<uint16_t>(info + 6);
    h.biPlanes = ReadLE<uint16_t>(info + 8);
    h.biBitCount = ReadLE<uint16_t>(info + 10);
    h.biCompression = BI_RGB;
  } else {
    h.biWidth = ReadLE<int32_t>(info + 4);
    h.biHeight = ReadLE<int32_t>(info + 8);
    h.biPlanes = ReadLE<uint16_t>(info + 12);
    h.biBitCount = ReadLE<uint16_t>(info + 14);
    h.biCompression = ReadLE<uint32_t>(info + 16);
    h.biSizeImage = ReadLE<uint32_t>(info + 20);
    h.biXPelsPerMeter = ReadLE<int32_t>(info + 24);
    h.biYPelsPerMeter = ReadLE<int32_t>(info + 28);
    h.biClrUsed = ReadLE<uint32_t>(info + 32);
  }

  const int32_t bits = h.biBitCount;
  const int64_t width = h.biWidth;
  const int64_t height = h.biHeight < 0 ? -static_cast<int64_t>(h.biHeight) : h.biHeight;
  if (h.biPlanes != 1 || width <= 0 || height <= 0 || width > 0x7FFF'FFFF) InvalidBitmap();
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) InvalidBitmap();
  switch (h.biCompression) {
    case BI_RGB:
      break;
    case BI_RLE8:
    case BI_RLE4:
      // Run-length data is bottom-up only.
      if (bits != (h.biCompression == BI_RLE8 ? 8 : 4) || h.biHeight < 0) InvalidBitmap();
      break;
    case BI_BITFIELDS:
      if (bits != 16 && bits != 32) InvalidBitmap();
      break;
    default:
      InvalidBitmap();
  }
  const int64_t stride = DibStride(width, bits);
  if (stride * height > kMaxPixelBytes) InvalidBitmap();

  if (h.biCompression == BI_BITFIELDS) {
    if (header_size == 40) {
      uint8_t masks[12];
      ReadExactly(stream, masks, sizeof(masks));
      for (int i = 0; i < 3; ++i) dib.masks[i] = ReadLE<uint32_t>(masks + 4 * i);
    } else {
      for (int i = 0; i < 3; ++i) dib.masks[i] = ReadLE<uint32_t>(info + 40 + 4 * i);
    }
    if (dib.masks[0] == 0 || dib.masks[1] == 0 || dib.masks[2] == 0) InvalidBitmap();
  }

  if (bits <= 8) {
    const uint32_t max_colors = 1u << bits;
    const uint32_t count = h.biClrUsed == 0 ? max_colors : h.biClrUsed;
    if (count > max_colors) InvalidBitmap();
    const int entry = core ? 3 : 4;
    std::vector<uint8_t> table(static_cast<size_t>(count) * entry);
    ReadExactly(stream, table.data(), static_cast<int64_t>(table.size()));
    dib.colors.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
      const uint8_t* e = table.data() + static_cast<size_t>(i) * entry;
      dib.colors[i] = RGBQUAD{e[0], e[1], e[2], 0};
    }
    h.biClrUsed = count;
  } else {
    h.biClrUsed = 0;  // an optional palette hint of true-colour files is not kept
  }

  const int64_t headers_end = stream.Position();
  int64_t data_start = headers_end;
  if (pixel_offset != 0) {
    data_start = start + pixel_offset;
    if (data_start < headers_end) InvalidBitmap();
  }
  int64_t data_size = stride * height;
  if (h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4) {
    data_size = h.biSizeImage != 0 ? h.biSizeImage : stream.Size() - data_start;
    if (data_size <= 0 || data_size > kMaxPixelBytes) InvalidBitmap();
  }
  if (data_start + data_size > stream.Size()) InvalidBitmap();
  stream.SetPosition(data_start);
  dib.pixels.resize(static_cast<size_t>(data_size));
  ReadExactly(stream, dib.pixels.data(), data_size);
  h.biSizeImage = static_cast<DWORD>(data_size);
  return dib;
}

void WriteBmp(TStream& stream, const BITMAPINFOHEADER& header, const uint32_t* masks,
              const std::vector<RGBQUAD>& colors, const uint8_t* pixels, size_t pixel_bytes) {
  const bool bitfields = header.biCompression == BI_BITFIELDS;
  const uint32_t headers =
      14 + sizeof(BITMAPINFOHEADER) + (bitfields ? 12 : 0) + static_cast<uint32_t>(colors.size() * sizeof(RGBQUAD));
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfSize = static_cast<DWORD>(headers + pixel_bytes);
  file.bfOffBits = headers;
  uint8_t file_bytes[14];
  std::memcpy(file_bytes, &file.bfType, 2);
  std::memcpy(file_bytes + 2, &file.bfSize, 4);
  std::memset(file_bytes + 6, 0, 4);
  std::memcpy(file_bytes + 10, &file.bfOffBits, 4);
  stream.WriteBuffer(file_bytes, sizeof(file_bytes));
  BITMAPINFOHEADER h = header;
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biSizeImage = static_cast<DWORD>(pixel_bytes);
  h.biClrUsed = static_cast<DWORD>(colors.size());
  stream.WriteBuffer(&h, sizeof(h));
  if (bitfields) stream.WriteBuffer(masks, 12);
  if (!colors.empty()) stream.WriteBuffer(colors.data(), static_cast<int32_t>(colors.size() * sizeof(RGBQUAD)));
  stream.WriteBuffer(pixels, static_cast<int32_t>(pixel_bytes));
}
