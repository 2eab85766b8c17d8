#include "engine/image/png/png_encoder.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/image/png/png_errors.h"
#include "engine/image/png/png_format.h"

namespace {

uint8_t Paeth(int a, int b, int c) {
  const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
  if (pa <= pb && pa <= pc) return uint8_t(a);
  return uint8_t(pb <= pc ? b : c);
}

// out = filter(row) against the previous raw row `prior` (zeros for the first).
void FilterRow(const TPngKernels& k, TPngFilter f, const uint8_t* row, const uint8_t* prior, uint8_t* out,
               size_t n, int bpp) {
  switch (f) {
    case TPngFilter::None:
      std::memcpy(out, row, n);
      break;
    case TPngFilter::Sub:
      k.FilterSub(row, out, n, bpp);
      break;
    case TPngFilter::Up:
      for (size_t i = 0; i < n; ++i) out[i] = uint8_t(row[i] - prior[i]);
      break;
    case TPngFilter::Average:
      for (size_t i = 0; i < n; ++i) {
        const int a = i >= size_t(bpp) ? row[i - bpp] : 0;
        out[i] = uint8_t(row[i] - ((a + prior[i]) >> 1));
      }
      break;
    case TPngFilter::Paeth:
      for (size_t i = 0; i < n; ++i) {
        const int a = i >= size_t(bpp) ? row[i - bpp] : 0;
        const int c = i >= size_t(bpp) ? prior[i - bpp] : 0;
        out[i] = uint8_t(row[i] - Paeth(a, prior[i], c));
      }
      break;
  }
}

uint64_t SignedSum(const uint8_t* p, size_t n) {
  uint64_t sum = 0;
  for (size_t i = 0; i < n; ++i) sum += p[i] < 128 ? p[i] : 256 - p[i];
  return sum;
}

// Deflates filtered rows into a piece buffer and hands every full piece on.
class TRowDeflater {
 public:
  // The window and the hash table follow the data's size: a small picture
  // needs no 32 KB window, and zlib clears the whole hash table on start.
  TRowDeflater(int level, size_t piece_size, uint64_t raw_size, const TPngDataSink& sink)
      : piece_(new uint8_t[piece_size]), piece_size_(piece_size), sink_(sink) {
    int window_bits = 9;
    while (window_bits < 15 && (uint64_t(1) << window_bits) < raw_size + 262) ++window_bits;
    const int mem_level = std::clamp(window_bits - 6, 1, 9);
    if (deflateInit2(&z_, std::clamp(level, 0, 9), Z_DEFLATED, window_bits, mem_level, Z_DEFAULT_STRATEGY) != Z_OK)
      RaisePng<EPNGZLIBError>(u"zlib could not start deflating.");
    z_.next_out = piece_.get();
    z_.avail_out = uInt(piece_size_);
  }
  ~TRowDeflater() { deflateEnd(&z_); }
  TRowDeflater(const TRowDeflater&) = delete;
  TRowDeflater& operator=(const TRowDeflater&) = delete;

  void Write(const uint8_t* data, size_t n, bool finish) {
    z_.next_in = const_cast<Bytef*>(data);
    z_.avail_in = uInt(n);
    for (;;) {
      const int rc = deflate(&z_, finish ? Z_FINISH : Z_NO_FLUSH);
      if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
        RaisePng<EPNGZLIBError>(u"zlib error while deflating the PNG image data.");
      if (rc == Z_STREAM_END) {
        if (z_.avail_out < piece_size_) sink_(piece_.get(), piece_size_ - z_.avail_out);
        return;
      }
      if (z_.avail_out == 0) {
        sink_(piece_.get(), piece_size_);
        z_.next_out = piece_.get();
        z_.avail_out = uInt(piece_size_);
        continue;
      }
      if (!finish && z_.avail_in == 0) return;
    }
  }

 private:
  z_stream z_{};
  std::unique_ptr<uint8_t[]> piece_;
  size_t piece_size_;
  const TPngDataSink& sink_;
};

}  // namespace

void EncodeImageData(const TPngPixelTarget& t, const TPngEncodeOptions& options, size_t piece_size,
                     const TPngDataSink& sink) {
  const TPngKernels& kernels = PngKernels();
  const uint8_t depth = SavedBitDepth(t.BitDepth);
  const int bits = PngBitsPerPixel(t.ColorType, depth);
  const int bpp = std::max(1, bits / 8);
  const size_t row_bytes = size_t(PngRowBytes(t.Width, bits));
  const bool interlaced = options.Interlaced && t.BitDepth != 2;

  TPngFilter filters[5];
  int filter_count = 0;
  for (int f = 0; f < 5; ++f)
    if (options.Filters & (1u << f)) filters[filter_count++] = TPngFilter(f);
  if (filter_count == 0) filters[filter_count++] = TPngFilter::None;
  const bool needs_prior = (options.Filters & ~(PngFilterBit(TPngFilter::None) | PngFilterBit(TPngFilter::Sub))) != 0;

  // Working rows: the packed image row, the pass row and its predecessor, and
  // a block of filtered rows handed to zlib together.
  const size_t stride = row_bytes + 1;
  const size_t block_rows = std::max<size_t>(1, (64 * 1024) / stride);
  std::vector<uint8_t> packed(row_bytes + 16), prior(row_bytes + 16, 0), current(row_bytes + 16);
  std::vector<uint8_t> block(block_rows * stride), trial(filter_count > 1 ? stride : 0);
  uint64_t raw_size = uint64_t(stride) * t.Height;
  if (interlaced) raw_size += raw_size / 2;  // pass rows add filter bytes: a safe over-estimate
  TRowDeflater deflater(options.CompressionLevel, piece_size, raw_size, sink);
  size_t block_used = 0;

  auto emit = [&](const uint8_t* row, size_t n) {
    uint8_t* dst = block.data() + block_used;
    if (filter_count == 1) {
      dst[0] = uint8_t(filters[0]);
      FilterRow(kernels, filters[0], row, prior.data(), dst + 1, n, bpp);
    } else {
      uint64_t best = UINT64_MAX;
      for (int i = 0; i < filter_count; ++i) {
        FilterRow(kernels, filters[i], row, prior.data(), trial.data(), n, bpp);
        const uint64_t sum = SignedSum(trial.data(), n);
        if (sum < best) {
          best = sum;
          dst[0] = uint8_t(filters[i]);
          std::memcpy(dst + 1, trial.data(), n);
        }
      }
    }
    if (needs_prior) std::memcpy(prior.data(), row, n);
    block_used += n + 1;
    if (block_used + stride > block.size()) {
      deflater.Write(block.data(), block_used, false);
      block_used = 0;
    }
  };

  if (!interlaced) {
    for (uint32_t y = 0; y < t.Height; ++y) {
      PackRow(kernels, t, options.AlphaMode, packed.data(), y);
      emit(packed.data(), row_bytes);
    }
  } else {
    for (const TAdam7Pass& p : kAdam7) {
      const uint32_t pw = Adam7Extent(t.Width, p.X0, p.DX), ph = Adam7Extent(t.Height, p.Y0, p.DY);
      if (!pw || !ph) continue;
      const size_t pass_bytes = size_t(PngRowBytes(pw, bits));
      std::fill(prior.begin(), prior.end(), 0);
      for (uint32_t j = 0; j < ph; ++j) {
        PackRow(kernels, t, options.AlphaMode, packed.data(), p.Y0 + j * p.DY);
        GatherPixels(packed.data(), current.data(), pw, bits, p.X0, p.DX);
        emit(current.data(), pass_bytes);
      }
    }
  }
  deflater.Write(block.data(), block_used, true);
}
