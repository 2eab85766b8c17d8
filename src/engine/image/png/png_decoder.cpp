#include "engine/image/png/png_decoder.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "engine/image/png/png_errors.h"
#include "engine/image/png/png_format.h"

namespace {

uint32_t ReadBigEndian32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

std::unique_ptr<uint8_t[]> AllocateBytes(uint64_t bytes, const TPngPixelTarget& t) {
  if (bytes > kMaxPngBufferBytes) RaisePngOutOfMemory(bytes, t.Width, t.Height);
  uint8_t* p = new (std::nothrow) uint8_t[size_t(bytes)];
  if (!p) RaisePngOutOfMemory(bytes, t.Width, t.Height);
  return std::unique_ptr<uint8_t[]>(p);
}

// Hands out the pieces of zlib data of a captured run, each after its CRC check.
class TIdatPieces {
 public:
  TIdatPieces(const uint8_t* run, size_t size, uint32_t first_length)
      : run_(run), size_(size), first_length_(first_length) {}

  // The next piece's data, or false at the end of the run.
  bool Next(const uint8_t*& data, uint32_t& length) {
    static const uint8_t kIdat[4] = {'I', 'D', 'A', 'T'};
    size_t data_at;
    if (!started_) {
      started_ = true;
      length = first_length_;
      data_at = 0;
    } else {
      if (pos_ == size_) return false;
      if (size_ - pos_ < 8) RaisePng<EPngTruncated>(u"The PNG image data are truncated.");
      length = ReadBigEndian32(run_ + pos_);
      if (std::memcmp(run_ + pos_ + 4, kIdat, 4) != 0) RaisePng<EPngInvalidChunk>(u"The PNG image data are not framed as IDAT chunks.");
      data_at = pos_ + 8;
    }
    if (data_at > size_ || size_ - data_at < uint64_t(length) + 4) RaisePng<EPngTruncated>(u"The PNG image data are truncated.");
    uLong crc = crc32(0, kIdat, 4);
    crc = crc32(crc, run_ + data_at, length);
    if (crc != ReadBigEndian32(run_ + data_at + length)) RaisePng<EPngInvalidCRC>(u"CRC error in the PNG image data (IDAT).");
    data = run_ + data_at;
    pos_ = data_at + length + 4;
    return true;
  }

 private:
  const uint8_t* run_;
  size_t size_;
  uint32_t first_length_;
  size_t pos_ = 0;
  bool started_ = false;
};

// Yields unfiltered rows of the inflated run. It inflates in large blocks into
// a working buffer and undoes each row's filter in place against the previous
// row of the same pass.
class TRowInflater {
 public:
  TRowInflater(TIdatPieces& pieces, const TPngKernels& kernels, int bytes_per_pixel, size_t max_row_bytes,
               uint64_t total_bytes, const TPngPixelTarget& t)
      : pieces_(pieces), kernels_(kernels), bpp_(bytes_per_pixel) {
    constexpr uint64_t kBlock = 96 * 1024;  // stays in the second-level cache while the rows are worked on
    const uint64_t stride = uint64_t(max_row_bytes) + 1;
    capacity_ = size_t(std::min<uint64_t>(total_bytes, std::max<uint64_t>(kBlock, 2 * stride)));
    // When the whole image fits, zlib may finish in one call and then needs
    // no window of its own (nor the copy of the output into it).
    flush_ = capacity_ == total_bytes ? Z_FINISH : Z_NO_FLUSH;
    buffer_ = AllocateBytes(uint64_t(capacity_) + 16, t);
    zeros_ = AllocateBytes(uint64_t(max_row_bytes) + 16, t);
    prior_store_ = AllocateBytes(uint64_t(max_row_bytes) + 16, t);
    std::memset(zeros_.get(), 0, max_row_bytes + 16);
    if (inflateInit(&z_) != Z_OK) RaisePng<EPNGZLIBError>(u"zlib could not start inflating.");
    open_ = true;
    prior_ = zeros_.get();
  }
  ~TRowInflater() {
    if (open_) inflateEnd(&z_);
  }
  TRowInflater(const TRowInflater&) = delete;
  TRowInflater& operator=(const TRowInflater&) = delete;

  void StartPass() { prior_ = zeros_.get(); }

  const uint8_t* NextRow(size_t row_bytes) {
    const size_t stride = row_bytes + 1;
    while (filled_ - pos_ < stride) Refill();
    uint8_t* row = buffer_.get() + pos_;
    pos_ += stride;
    if (!UnfilterRow(kernels_, row[0], row + 1, prior_, row_bytes, bpp_))
      RaisePng<EPngInvalidChunk>(u"Unknown row filter in the PNG image data.");
    prior_ = row + 1;
    prior_bytes_ = row_bytes;
    return row + 1;
  }

  // After the last row: lets zlib check the stream's end (its Adler-32). Data
  // after the image and a stream cut off after the last row are tolerated.
  void Finish() {
    uint8_t sink[64];
    while (!ended_) {
      z_.next_out = sink;
      z_.avail_out = sizeof sink;
      if (!Inflate() || z_.avail_out < sizeof sink) return;
    }
  }

 private:
  // One inflate step; false when no more input exists.
  bool Inflate() {
    if (z_.avail_in == 0) {
      const uint8_t* data;
      uint32_t length;
      do {
        if (!pieces_.Next(data, length)) return false;
      } while (length == 0);
      z_.next_in = const_cast<Bytef*>(data);
      z_.avail_in = length;
    }
    const int rc = inflate(&z_, flush_);
    if (rc == Z_STREAM_END) {
      ended_ = true;
    } else if (rc != Z_OK && rc != Z_BUF_ERROR) {
      String text = u"zlib error in the PNG image data: ";
      text += Utf8ToString(z_.msg ? z_.msg : "unknown");
      RaisePng<EPNGZLIBError>(text);
    }
    return true;
  }

  void Refill() {
    if (pos_ > 0) {
      if (prior_ != zeros_.get()) {
        std::memcpy(prior_store_.get(), prior_, prior_bytes_);
        prior_ = prior_store_.get();
      }
      std::memmove(buffer_.get(), buffer_.get() + pos_, filled_ - pos_);
      filled_ -= pos_;
      pos_ = 0;
    }
    if (ended_) RaisePng<EPngTruncated>(u"The PNG image data end before the last row.");
    z_.next_out = buffer_.get() + filled_;
    z_.avail_out = uInt(capacity_ - filled_);
    if (!Inflate()) RaisePng<EPngTruncated>(u"The PNG image data end before the last row.");
    filled_ = capacity_ - z_.avail_out;
  }

  TIdatPieces& pieces_;
  const TPngKernels& kernels_;
  int bpp_;
  int flush_ = Z_NO_FLUSH;
  z_stream z_{};
  bool open_ = false;
  bool ended_ = false;
  std::unique_ptr<uint8_t[]> buffer_, zeros_, prior_store_;
  size_t capacity_ = 0, filled_ = 0, pos_ = 0;
  const uint8_t* prior_ = nullptr;
  size_t prior_bytes_ = 0;
};

void ZeroTarget(const TPngPixelTarget& t) {
  const size_t bytes = t.BytesPerRow * t.Height;
  if (t.Pixels) std::memset(t.Pixels, 0, bytes);
  if (t.Extra) std::memset(t.Extra, 0, bytes);
  if (t.Alpha) std::memset(t.Alpha, 0, size_t(t.Width) * t.Height);
}

void Decode(const uint8_t* run, size_t run_size, uint32_t first_length, bool interlaced, const TPngPixelTarget& t) {
  const TPngKernels& kernels = PngKernels();
  const int bits = PngBitsPerPixel(t.ColorType, t.BitDepth);
  const int bytes_per_pixel = std::max(1, bits / 8);
  const uint64_t row_bytes = PngRowBytes(t.Width, bits);
  TIdatPieces pieces(run, run_size, first_length);

  if (!interlaced) {
    TRowInflater rows(pieces, kernels, bytes_per_pixel, size_t(row_bytes), (row_bytes + 1) * t.Height, t);
    for (uint32_t y = 0; y < t.Height; ++y) ExpandRow(kernels, t, rows.NextRow(size_t(row_bytes)), y);
    rows.Finish();
    return;
  }

  uint64_t total = 0;
  for (const TAdam7Pass& p : kAdam7) {
    const uint32_t pw = Adam7Extent(t.Width, p.X0, p.DX), ph = Adam7Extent(t.Height, p.Y0, p.DY);
    if (pw && ph) total += (PngRowBytes(pw, bits) + 1) * ph;
  }
  auto full = AllocateBytes(row_bytes * t.Height + 16, t);
  std::memset(full.get(), 0, size_t(row_bytes * t.Height));
  TRowInflater rows(pieces, kernels, bytes_per_pixel, size_t(row_bytes), total, t);
  for (const TAdam7Pass& p : kAdam7) {
    const uint32_t pw = Adam7Extent(t.Width, p.X0, p.DX), ph = Adam7Extent(t.Height, p.Y0, p.DY);
    if (!pw || !ph) continue;
    rows.StartPass();
    const size_t pass_bytes = size_t(PngRowBytes(pw, bits));
    for (uint32_t j = 0; j < ph; ++j) {
      uint8_t* dst = full.get() + size_t(p.Y0 + j * p.DY) * row_bytes;
      ScatterPixels(rows.NextRow(pass_bytes), dst, pw, bits, p.X0, p.DX);
    }
  }
  rows.Finish();
  for (uint32_t y = 0; y < t.Height; ++y) ExpandRow(kernels, t, full.get() + size_t(y) * row_bytes, y);
}

}  // namespace

void DecodeIdatRun(const uint8_t* run, size_t run_size, uint32_t first_length, bool interlaced,
                   const TPngPixelTarget& target) {
  try {
    Decode(run, run_size, first_length, interlaced, target);
  } catch (...) {
    ZeroTarget(target);
    throw;
  }
}
