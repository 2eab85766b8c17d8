#pragma once
// TPngPicture: the portable heart of the engine's PNG image. It holds the
// chunk list (the header chunk carries the pixels in the engine's layout),
// the gamma tables, the saving settings and the skin options, and does
// everything that needs no device: blank pictures, conversion of truecolour
// pixels to 32 bits, alpha, resizing, pixel access, the options chunk,
// loading and saving. TPngImage (Windows) adds the device side: the device
// bitmap colour type, canvases and drawing.
//
// Pixels are decoded on first need (EnsureDecoded): a loaded picture keeps
// only the captured image data until then.

#include <cstdint>

#include "engine/image/picture/png_skin_options.h"
#include "engine/image/png/png_chunks.h"
#include "engine/image/png/png_io.h"
#include "rtl/streams.h"

class TPngPicture {
 public:
  TPngPicture();
  TPngPicture(const TPngPicture&) = delete;
  TPngPicture& operator=(const TPngPicture&) = delete;

  // Saving settings.
  uint8_t Filters = kPngDefaultFilters;
  int CompressionLevel = 1;
  uint8_t InterlaceMethod = 0;
  uint32_t MaxIdatSize() const { return max_idat_size_; }
  // Values below 65535 are raised to 65535.
  void SetMaxIdatSize(uint32_t value) { max_idat_size_ = value < 65535 ? 65535 : value; }

  TPngSkinOptions Options;
  TPngAlphaMode AlphaMode = TPngAlphaMode::Straight;
  bool ShareAllowed = true;
  uint8_t GammaTable[256];
  uint8_t InverseGammaTable[256];

  TPNGList& Chunks() const { return chunks_; }
  TChunkIHDR* Header() const { return chunks_.Header(); }
  int32_t Width() const;
  int32_t Height() const;
  bool Empty() const { return Width() == 0 || Height() == 0; }
  // Stride of the pixel rows.
  size_t BytesPerRow() const;

  // No chunks; gamma tables back to the identity.
  void Clear();

  // A picture of zeros (pixels and alpha): IHDR, PLTE for palette types
  // (2^depth entries, grey levels for grey types), IDAT and IEND. Colour
  // types 0, 2, 3, 4, 6 and 240 (always depth 8, no pixels here: the device
  // side makes them) with depths 1, 2, 4, 8, 16, except type 3 at 16 and type
  // 2 or 6 below 8 (type 4 below 8 too, as PNG has none): EPngInvalidColorType.
  // Sides above 65535 or negative: EPngInvalidSize.
  void CreateBlank(uint8_t color_type, uint8_t bit_depth, bool want_32bit, int32_t height, int32_t width);

  // Decodes captured image data into pixels, once. Raises the decoder's
  // errors (the pixels are then zeros).
  void EnsureDecoded() const;
  bool HasPixels() const;

  // Truecolour (types 2 and 6) in 24 bits becomes type 6 with 32-bit pixels,
  // the alpha inside (straight); an alpha plane is kept (one of 255 made when
  // there was none, and AlphaMode becomes premultiplied). True when the
  // picture now is 32-bit; false without header or pixels, or for a type
  // only the device side can convert.
  bool ConvertTrueColorTo32Bit();
  bool Is32Bit() const;

  // Every alpha value = `value`: grey and truecolour pictures gain an alpha
  // plane (types 4 and 6; grey below 8 bits becomes 8-bit), indexed ones a
  // tRNS of 256 entries. False for the device-bitmap type and empty pictures.
  bool SetAllAlpha(uint8_t value);

  // New size showing the window at (left, top) of the old picture; new
  // pixels outside it: colour 0, alpha `alpha_fill`. A 0 side makes both 0.
  // EPNGInvalidNewSize for a negative side. Pixels end in plain memory.
  void ResizeEx(int32_t width, int32_t height, int32_t top, int32_t left, uint8_t alpha_fill);

  // The first tEXt chunk (one is added when there is none) takes `keyword`
  // and `text`; with `only_if_matching` a chunk of another keyword (or an
  // empty keyword) is left alone when `text` is empty or already its text.
  void SetTextChunk(StringView keyword, StringView text, bool only_if_matching);

  // 0 none, 1 one transparent colour, 2 per-pixel alpha.
  int TransparencyMode() const;

  // Row pointers into the decoded pixels / alpha plane, or nullptr.
  uint8_t* PixelLine(int32_t row) const;
  uint8_t* AlphaLine(int32_t row) const;

  // Colours as red | green << 8 | blue << 16 (| alpha << 24 for 32-bit
  // pixels); out of range reads 0. Not for the device-bitmap type (0).
  uint32_t GetPixel(int32_t x, int32_t y) const;
  // `color` already resolved to RGB with alpha in its high byte (0 =
  // opaque). Out of range writes nothing.
  void SetPixel(int32_t x, int32_t y, uint32_t color);

  // Reads a whole file into a fresh list; on success the picture takes it
  // (with its gamma and skin options), on failure it stays as it was.
  void LoadFromStream(TStream& stream);
  // Writes the file; the options chunk is rewritten, added or removed to
  // match Options, every other chunk is written as it is.
  void SaveToStream(TStream& stream) const;

  // A copy of `source`: chunks, settings, options, pixels.
  void Assign(const TPngPicture& source);
  // Same size, type, options and decoded pixels.
  bool Equals(const TPngPicture& other) const;

 private:
  void UpdateSkinOptionsChunk() const;
  mutable TPNGList chunks_;
  uint32_t max_idat_size_ = 65535;
};

// Where the first chunk of class T stands (the end when there is none):
// the place to insert a chunk that belongs before it.
template <class T>
size_t IndexOfChunk(const TPNGList& list) {
  for (size_t i = 0; i < list.Count(); ++i)
    if (dynamic_cast<T*>(&list.Item(i))) return i;
  return list.Count();
}

// The options chunk of a list: the first tEXt whose keyword is "RDPNG"
// ignoring case, or nullptr.
TChunktEXt* FindSkinOptionsChunk(const TPNGList& list);
