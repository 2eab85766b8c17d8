// The PNG codec's speed against peer decoders and encoders, on the same files
// and (but for stb_image, which carries its own inflate) the same zlib.
//
//   bench_png            a generated skin-like set, large images, encoding
//   bench_png FOLDER     also every PNG in FOLDER: timed, and any file whose
//                        pixels differ from libpng's or that one side refuses
//                        is reported
//
// Decoding goes into each library's natural output: ours into the engine's
// layout (B,G,R + alpha plane), libpng and libspng into the file's own
// samples, stb_image into 8- or 16-bit interleaved samples. The ratio column
// is peer time / our time: above 1 means ours is faster.

#include <png.h>
#include <spng.h>
#include <zlib.h>

#define STBI_NO_STDIO
#include <stb/stb_image.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/harness.h"
#include "engine/image/png/png_errors.h"
#include "engine/image/png/png_gamma.h"
#include "engine/image/png/png_io.h"
#include "libpng_reference.h"
#include "png_test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct TFile {
  std::string Name;
  Bytes Data;
};

// ---- making files with libpng -------------------------------------------------

void WriteToVector(png_structp png, png_bytep data, size_t n) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}

// Encoding is timed into sinks that only count, so that neither side pays for
// growing its output buffer.
void WriteToCounter(png_structp png, png_bytep, size_t n) { *static_cast<size_t*>(png_get_io_ptr(png)) += n; }

class TCountingStream : public TStream {
 public:
  int32_t Read(void*, int32_t) override { return 0; }
  int32_t Write(const void*, int32_t count) override {
    written_ += count;
    return count;
  }
  int64_t Seek(int64_t, TSeekOrigin) override { return written_; }
  int64_t Written() const { return written_; }

 private:
  int64_t written_ = 0;
};
void FlushNothing(png_structp) {}

struct TLibpngWrite {
  int Level = 6;
  int Filters = PNG_ALL_FILTERS;
  bool Interlaced = false;
  std::vector<png_color> Palette;
  Bytes Trns;
};

// rows: the file's samples, `row_bytes` per row.
// Writes into `out`, or only counts the bytes into `counted` when given.
Bytes LibpngEncode(uint32_t w, uint32_t h, int type, int depth, const Bytes& rows, size_t row_bytes,
                   const TLibpngWrite& how, size_t* counted = nullptr) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fprintf(stderr, "libpng refused to write\n");
    std::exit(1);
  }
  if (counted) png_set_write_fn(png, counted, WriteToCounter, FlushNothing);
  else png_set_write_fn(png, &out, WriteToVector, FlushNothing);
  png_set_compression_level(png, how.Level);
  png_set_filter(png, 0, how.Filters);
  png_set_IHDR(png, info, w, h, depth, type, how.Interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!how.Palette.empty()) png_set_PLTE(png, info, how.Palette.data(), int(how.Palette.size()));
  if (!how.Trns.empty()) png_set_tRNS(png, info, how.Trns.data(), int(how.Trns.size()), nullptr);
  png_write_info(png, info);
  const int passes = how.Interlaced ? png_set_interlace_handling(png) : 1;
  for (int p = 0; p < passes; ++p)
    for (uint32_t y = 0; y < h; ++y) png_write_row(png, rows.data() + y * row_bytes);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

// A skin-like picture: a rounded panel with a vertical gradient, a border,
// soft edges in alpha and a little grain. Samples in R,G,B,A order at 8 bits.
Bytes SkinPixels(uint32_t w, uint32_t h, std::mt19937& rng) {
  Bytes px(size_t(w) * h * 4);
  const double r = std::min(w, h) * 0.2 + 1;
  const uint8_t base[3] = {uint8_t(rng() % 200 + 30), uint8_t(rng() % 200 + 30), uint8_t(rng() % 200 + 30)};
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      const double dx = std::max({r - x - 0.5, x + 0.5 - (w - r), 0.0});
      const double dy = std::max({r - y - 0.5, y + 0.5 - (h - r), 0.0});
      const double edge = r - std::sqrt(dx * dx + dy * dy);
      const double a = std::clamp(edge, 0.0, 1.0);
      const bool border = edge < 2;
      uint8_t* p = &px[(size_t(y) * w + x) * 4];
      for (int c = 0; c < 3; ++c) {
        const int v = border ? base[c] / 2 : base[c] + int(40.0 * y / h) - 20 + int(rng() % 3);
        p[c] = uint8_t(std::clamp(v, 0, 255));
      }
      p[3] = uint8_t(std::lround(a * 255));
    }
  return px;
}

Bytes Convert(const Bytes& rgba, int type, int depth) {
  const size_t n = rgba.size() / 4;
  const int channels = PngChannels(uint8_t(type));
  const int bytes = depth / 8;
  Bytes out(n * channels * bytes);
  for (size_t i = 0; i < n; ++i)
    for (int c = 0; c < channels; ++c) {
      const int src = type == 6 || type == 2 ? c : (c == 0 ? 1 : 3);
      const uint8_t v = rgba[4 * i + src];
      if (bytes == 1) {
        out[i * channels + c] = v;
      } else {
        out[2 * (i * channels + c)] = v;
        out[2 * (i * channels + c) + 1] = uint8_t(v ^ (i * 7));  // a low byte that is not a copy
      }
    }
  return out;
}

TFile MakeFile(const std::string& name, uint32_t w, uint32_t h, int type, int depth, bool interlaced, std::mt19937& rng) {
  const Bytes rgba = SkinPixels(w, h, rng);
  TLibpngWrite how;
  how.Interlaced = interlaced;
  if (type == 3) {
    // Colours quantised to a palette of up to 256 entries, alpha through tRNS.
    Bytes idx(size_t(w) * h);
    std::vector<uint32_t> seen;
    for (size_t i = 0; i < idx.size(); ++i) {
      const uint32_t key = uint32_t(rgba[4 * i] & 0xE0) << 16 | uint32_t(rgba[4 * i + 1] & 0xE0) << 8 |
                           (rgba[4 * i + 2] & 0xC0) | (rgba[4 * i + 3] >> 6);
      auto it = std::find(seen.begin(), seen.end(), key);
      if (it == seen.end()) {
        if (seen.size() == 256) it = seen.begin();
        else it = seen.insert(seen.end(), key);
      }
      idx[i] = uint8_t(it - seen.begin());
    }
    for (uint32_t key : seen) {
      how.Palette.push_back({uint8_t(key >> 16), uint8_t(key >> 8), uint8_t(key & 0xC0)});
      how.Trns.push_back(uint8_t((key & 3) * 85));
    }
    return {name, LibpngEncode(w, h, 3, 8, idx, w, how)};
  }
  const Bytes samples = Convert(rgba, type, depth);
  return {name, LibpngEncode(w, h, type, depth, samples, samples.size() / h, how)};
}

std::vector<TFile> SkinSet() {
  std::mt19937 rng(2026);
  std::vector<TFile> files;
  auto side = [&](int lo, int hi) { return uint32_t(lo + int(rng() % uint32_t(hi - lo + 1))); };
  for (int i = 0; i < 70; ++i) files.push_back(MakeFile("icon", side(16, 32), side(16, 32), 6, 8, false, rng));
  for (int i = 0; i < 45; ++i) files.push_back(MakeFile("piece", side(20, 200), side(20, 200), i % 3 ? 6 : 2, 8, false, rng));
  for (int i = 0; i < 20; ++i) files.push_back(MakeFile("palette", side(16, 120), side(16, 120), 3, 8, false, rng));
  for (int i = 0; i < 10; ++i) files.push_back(MakeFile("16-bit", side(20, 100), side(20, 100), i % 2 ? 6 : 2, 16, false, rng));
  files.push_back(MakeFile("adam7", 160, 120, 6, 8, true, rng));
  files.push_back(MakeFile("background", 1024, 768, 2, 8, false, rng));
  files.push_back(MakeFile("background", 800, 600, 6, 8, false, rng));
  files.push_back(MakeFile("background", 640, 480, 6, 8, false, rng));
  return files;
}

// ---- decoders ------------------------------------------------------------------

uint8_t kIdentity[256];

size_t DecodeOurs(const TFile& f) {
  TResourceStream stream(f.Data.data(), int64_t(f.Data.size()));
  TPNGList list = ReadPng(stream);
  DecodePngPixels(list, false, kIdentity);
  return list.Header()->PixelData.Size;
}

size_t DecodeLibpng(const TFile& f) {
  png_test::TLibpngImage image;
  if (!png_test::LibpngDecode(f.Data, image)) return 0;
  return image.Pixels.size();
}

size_t DecodeSpng(const TFile& f) {
  spng_ctx* ctx = spng_ctx_new(0);
  spng_set_png_buffer(ctx, f.Data.data(), f.Data.size());
  size_t size = 0;
  Bytes out;
  if (spng_decoded_image_size(ctx, SPNG_FMT_PNG, &size) == 0) {
    out.resize(size);
    if (spng_decode_image(ctx, out.data(), size, SPNG_FMT_PNG, 0) != 0) size = 0;
  }
  spng_ctx_free(ctx);
  return size;
}

size_t DecodeStb(const TFile& f) {
  int w, h, n;
  const int len = int(f.Data.size());
  void* p = stbi_is_16_bit_from_memory(f.Data.data(), len) ? static_cast<void*>(stbi_load_16_from_memory(f.Data.data(), len, &w, &h, &n, 0))
                                                            : static_cast<void*>(stbi_load_from_memory(f.Data.data(), len, &w, &h, &n, 0));
  stbi_image_free(p);
  return p ? size_t(w) * h * n : 0;
}

template <class Decode>
double TimeSet(const std::vector<TFile>& files, Decode decode, int repeats) {
  volatile size_t sink = 0;
  return bench::BestSeconds([&] {
    for (const TFile& f : files) sink = sink + decode(f);
  }, repeats);
}

// Returns our time.
double CompareDecoders(const char* title, const std::vector<TFile>& files, int repeats) {
  bench::PrintHeader(title);
  const double ours = TimeSet(files, DecodeOurs, repeats);
  bench::PrintRow("ours (engine layout)", ours, ours);
  const double libpng = TimeSet(files, DecodeLibpng, repeats);
  const double spng = TimeSet(files, DecodeSpng, repeats);
  const double stb = TimeSet(files, DecodeStb, repeats);
  bench::PrintRow("libpng (target ratio >= 1.5)", libpng, ours);
  bench::PrintRow("libspng (target ratio >= 1.15)", spng, ours);
  bench::PrintRow("stb_image, own inflate (target >= 1.3)", stb, ours);
  return ours;
}

// The concatenated IDAT data of a file and its filtered size.
Bytes ImageData(const TFile& f, size_t& filtered) {
  Bytes z;
  filtered = 0;
  for (size_t p = 8; p + 12 <= f.Data.size();) {
    const uint32_t n = uint32_t(f.Data[p]) << 24 | f.Data[p + 1] << 16 | f.Data[p + 2] << 8 | f.Data[p + 3];
    if (std::memcmp(&f.Data[p + 4], "IHDR", 4) == 0) {
      const uint32_t w = uint32_t(f.Data[p + 8]) << 24 | f.Data[p + 9] << 16 | f.Data[p + 10] << 8 | f.Data[p + 11];
      const uint32_t h = uint32_t(f.Data[p + 12]) << 24 | f.Data[p + 13] << 16 | f.Data[p + 14] << 8 | f.Data[p + 15];
      filtered = size_t(PngRowBytes(w, PngBitsPerPixel(f.Data[p + 17], f.Data[p + 16])) + 1) * h;
    }
    if (std::memcmp(&f.Data[p + 4], "IDAT", 4) == 0) z.insert(z.end(), &f.Data[p + 8], &f.Data[p + 8 + n]);
    p += 12 + n;
  }
  return z;
}

void LargeImages() {
  std::mt19937 rng(7);
  const std::vector<TFile> files = {MakeFile("RGBA 2048x2048", 2048, 2048, 6, 8, false, rng),
                                    MakeFile("RGB 1920x1080", 1920, 1080, 2, 8, false, rng)};
  for (const TFile& f : files) {
    bench::PrintHeader(("Large image: " + f.Name + " (ratio = time / ours)").c_str());
    const std::vector<TFile> one = {f};
    const double ours = TimeSet(one, DecodeOurs, 7);
    size_t filtered;
    const Bytes z = ImageData(f, filtered);
    Bytes out(filtered);
    const double floor = bench::BestSeconds([&] {
      uLongf n = uLongf(out.size());
      uncompress(out.data(), &n, z.data(), uLong(z.size()));
    }, 7);
    bench::PrintRow("ours", ours, ours);
    bench::PrintRow("libspng (target ratio >= 1.0)", TimeSet(one, DecodeSpng, 7), ours);
    bench::PrintRow("libpng", TimeSet(one, DecodeLibpng, 7), ours);
    bench::PrintRow("zlib uncompress (target ratio >= 1/1.3 = 0.77)", floor, ours);
  }
}

void Encoding() {
  std::mt19937 rng(11);
  std::vector<TFile> files = SkinSet();
  files.push_back(MakeFile("RGBA 2048x2048", 2048, 2048, 6, 8, false, rng));
  // Decoded once: ours into the layout, libpng into its rows.
  std::vector<TPNGList> lists;
  std::vector<png_test::TLibpngImage> images(files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    TResourceStream stream(files[i].Data.data(), int64_t(files[i].Data.size()));
    lists.push_back(ReadPng(stream));
    DecodePngPixels(lists.back(), false, kIdentity);
    png_test::LibpngDecode(files[i].Data, images[i]);
  }
  TPngSaveOptions options;  // level 1, {Sub}
  volatile size_t sink = 0;
  const double ours = bench::BestSeconds([&] {
    for (TPNGList& list : lists) {
      TCountingStream stream;
      WritePng(stream, list, options);
      sink = sink + size_t(stream.Written());
    }
  }, 5);
  const double libpng = bench::BestSeconds([&] {
    TLibpngWrite how;
    how.Level = 1;
    how.Filters = PNG_FILTER_SUB;
    for (size_t i = 0; i < files.size(); ++i) {
      const png_test::TLibpngImage& im = images[i];
      how.Palette = im.Palette;
      how.Trns = im.Alpha;
      size_t counted = 0;
      LibpngEncode(im.Width, im.Height, im.ColorType, im.Depth, im.Pixels, im.RowBytes, how, &counted);
      sink = sink + counted;
    }
  }, 5);
  bench::PrintHeader("Encode, level 1, Sub filter: skin set + RGBA 2048x2048 (ratio = time / ours)");
  bench::PrintRow("ours", ours, ours);
  bench::PrintRow("libpng (target ratio >= 1.0)", libpng, ours);
}

int CheckFolder(const std::string& folder) {
  std::vector<TFile> files;
  for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
    if (e.path().extension() == ".png") files.push_back({e.path().string(), png_test::ReadFile(e.path().string())});
  std::sort(files.begin(), files.end(), [](const TFile& a, const TFile& b) { return a.Name < b.Name; });
  int problems = 0;
  std::vector<TFile> both;
  for (const TFile& f : files) {
    png_test::TLibpngImage ref;
    const bool ref_ok = png_test::LibpngDecode(f.Data, ref);
    std::string ours_error, difference;
    try {
      TResourceStream stream(f.Data.data(), int64_t(f.Data.size()));
      TPNGList list = ReadPng(stream);
      DecodePngPixels(list, false, kIdentity);
      if (ref_ok) difference = png_test::CompareWithLibpng(*list.Header(), ref);
    } catch (const EPngError& e) {
      ours_error = e.what();
    }
    if (ref_ok && ours_error.empty() && difference.empty()) {
      both.push_back(f);
      continue;
    }
    ++problems;
    if (!ref_ok && !ours_error.empty()) std::printf("both refuse  %s: %s\n", f.Name.c_str(), ours_error.c_str());
    else if (!ref_ok) std::printf("libpng refuses, ours decodes  %s\n", f.Name.c_str());
    else if (!ours_error.empty()) std::printf("ours refuses  %s: %s\n", f.Name.c_str(), ours_error.c_str());
    else std::printf("pixels differ  %s: %s\n", f.Name.c_str(), difference.c_str());
  }
  std::printf("\n%zu files, %zu decoded alike, %d reported\n", files.size(), both.size(), problems);
  if (!both.empty()) CompareDecoders(("Folder " + folder + " (files both decode; ratio = time / ours)").c_str(), both, 5);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  SetIdentityGamma(kIdentity);
  std::printf("SIMD level: %s\n", SimdLevelName(ActiveSimdLevel()));
  if (argc > 1) return CheckFolder(argv[1]);
  const std::vector<TFile> set = SkinSet();
  size_t bytes = 0;
  for (const TFile& f : set) bytes += f.Data.size();
  std::printf("Skin-like set: %zu files, %zu KB\n", set.size(), bytes / 1024);
  const double ours = CompareDecoders("Decode the skin-like set (ratio = time / ours)", set, 15);
  {
    TSimdLevelLimit scalar(TSimdLevel::Scalar);
    bench::PrintHeader("Same set with the scalar kernels only (ratio = time / ours with SIMD)");
    bench::PrintRow("ours, scalar kernels", TimeSet(set, DecodeOurs, 15), ours);
  }
  LargeImages();
  Encoding();
  return 0;
}
