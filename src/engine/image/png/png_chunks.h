#pragma once
// The chunk objects of a PNG picture, in file order in a TPNGList.
//
// Known chunks are parsed into fields; any other ancillary chunk is kept as
// its raw bytes and written back unchanged. The header chunk also carries the
// decoded pixels in the engine's layout (png_format.h); the image-data chunk
// carries the compressed run captured at load time until it is decoded.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/image/png/png_format.h"
#include "engine/image/png/png_rows.h"
#include "rtl/ustring.h"

using TPngChunkType = std::array<char, 4>;

class TPNGList;
class TChunkIHDR;

// A pixel buffer: plain memory owned by its holder, or memory it borrows
// from someone who outlives the borrowing (the bits of a device section).
struct TPngBuffer {
  std::unique_ptr<uint8_t[]> Bytes;
  size_t Size = 0;
  uint8_t* Borrowed = nullptr;

  uint8_t* Data() const { return Bytes ? Bytes.get() : Borrowed; }
  explicit operator bool() const { return Data() != nullptr; }
  bool Owned() const { return Bytes != nullptr; }
  // Allocates `size` bytes (zeroed when asked), or raises EPNGOutMemory with
  // the size and the picture's width and height in the message.
  void Allocate(uint64_t size, bool zeroed, int64_t width, int64_t height);
  // Frees own memory and points at `bits` (owned elsewhere) instead.
  void Borrow(uint8_t* bits, size_t size) {
    Bytes.reset();
    Borrowed = bits;
    Size = size;
  }
  void Free() {
    Bytes.reset();
    Borrowed = nullptr;
    Size = 0;
  }
};

class TChunk {
 public:
  explicit TChunk(TPngChunkType type) : type_(type) {}
  virtual ~TChunk() = default;
  TChunk(const TChunk&) = delete;
  TChunk& operator=(const TChunk&) = delete;

  const TPngChunkType& Type() const { return type_; }
  // Bit 5 of the first letter clear: a decoder that does not know the chunk must refuse the file.
  bool IsCritical() const { return (type_[0] & 0x20) == 0; }

  // Takes the chunk's data as read from a file. Known ancillary chunks return
  // false for malformed data (the reader then drops them); critical chunks raise.
  virtual bool LoadData(const uint8_t* data, size_t size, const TPNGList& list);
  // The chunk's data to write (the reader's bytes for chunks this codec does not know).
  virtual void SaveData(std::vector<uint8_t>& out, const TChunkIHDR& header) const;

 private:
  TPngChunkType type_;
  std::vector<uint8_t> raw_;  // data of a chunk kept unparsed
};

class TChunkIHDR : public TChunk {
 public:
  TChunkIHDR();
  ~TChunkIHDR() override;

  int32_t Width = 0;
  int32_t Height = 0;
  uint8_t BitDepth = 8;
  uint8_t ColorType = kPngTrueColor;
  uint8_t CompressionMethod = 0;
  uint8_t FilterMethod = 0;
  uint8_t InterlaceMethod = 0;

  TPngPixelInfo PixelInfo{};
  TPngBuffer PixelData;  // Height rows of BytesPerRow() bytes
  TPngBuffer AlphaData;  // Width × Height, for colour types 4 and 6 in 24-bit form
  TPngBuffer ExtraData;  // low bytes of 16-bit samples, laid out like PixelData

  // Checks and takes the 13 header bytes; raises EPngInvalidSize,
  // EPngInvalidColorType or EPngUnknownCompression.
  bool LoadData(const uint8_t* data, size_t size, const TPNGList& list) override;
  void SaveData(std::vector<uint8_t>& out, const TChunkIHDR& header) const override;

  int LayoutBits() const { return PixelInfo.Header.biBitCount; }
  size_t BytesPerRow() const { return size_t(LayoutBytesPerRow(uint32_t(Width), LayoutBits())); }

  // Sets PixelInfo's header for the layout (32-bit for type 6 when asked) and
  // allocates the pixel, alpha and extra buffers the layout needs, zeroed
  // unless the caller fills every byte itself (the decoder does). Sizes are
  // checked in 64 bits before anything is allocated; the buffers are left as
  // they were when this raises.
  void PrepareLayout(bool want_32bit, bool zeroed = true);
  // The palette entries of PixelInfo: grey levels for types 0 and 4 (entry n
  // = gamma[round(n × 255 / (count − 1))]), the PLTE entries through gamma for
  // type 3 (entries the PLTE does not hold stay 0).
  void SetPaletteColors(const TPNGList& list, const uint8_t gamma[256]);
  // Where the layout lives, for the row kernels.
  TPngPixelTarget Target() const;
  void FreePixels();
};

class TChunkPLTE : public TChunk {
 public:
  TChunkPLTE();
  int Count = 0;
  TPngRgbQuad Entries[256]{};  // Red, Green, Blue as in the file; Reserved 0
  bool LoadData(const uint8_t* data, size_t size, const TPNGList& list) override;
  void SaveData(std::vector<uint8_t>& out, const TChunkIHDR& header) const override;
};

// Transparency. Type 3: an alpha value per palette entry (255 past the
// chunk's end). Types 0 and 2: one key colour, as samples of the file's depth.
class TChunktRNS : public TChunk {
 public:
  TChunktRNS();
  int Count = 0;                 // entries held (type 3)
  uint8_t Alpha[256];            // type 3: alpha per index
  uint16_t KeyGrey = 0;          // type 0
  uint16_t KeyRed = 0, KeyGreen = 0, KeyBlue = 0;  // type 2
  // True when the chunk marks one single colour fully transparent: always for
  // types 0 and 2; for type 3 when exactly one palette entry has alpha 0 and
  // every other one 255.
  bool SingleColor = false;
  int TransparentIndex = -1;     // type 3 with SingleColor: that entry
  // The transparent colour as red | green << 8 | blue << 16, as the samples
  // read at 8 bits (high byte of 16-bit samples, low depths scaled up),
  // before any gamma: the key colour, or the single-colour palette entry.
  uint32_t TransparentColor = 0;

  bool LoadData(const uint8_t* data, size_t size, const TPNGList& list) override;
  void SaveData(std::vector<uint8_t>& out, const TChunkIHDR& header) const override;
};

class TChunkgAMA : public TChunk {
 public:
  TChunkgAMA();
  uint32_t Gamma = 100000;  // the file's gamma × 100000 (45455 for 1/2.2)
  bool LoadData(const uint8_t* data, size_t size, const TPNGList& list) override;
  void SaveData(std::vector<uint8_t>& out, const TChunkIHDR& header) const override;
};

class TChunkpHYs : public TChunk {
 public:
  TChunkpHYs();
  uint32_t PixelsPerUnitX = 0, PixelsPerUnitY = 0;
  uint8_t Unit = 0;  // 1 = metre
  bool LoadData(const uint8_t* data, size_t size, const TPNGList& list) override;
  void SaveData(std::vector<uint8_t>& out, const TChunkIHDR& header) const override;
};

class TChunktIME : public TChunk {
 public:
  TChunktIME();
  uint16_t Year = 0;
  uint8_t Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
  bool LoadData(const uint8_t* data, size_t size, const TPNGList& list) override;
  void SaveData(std::vector<uint8_t>& out, const TChunkIHDR& header) const override;
};

// A text chunk. Keyword and text keep the file's bytes, so that a chunk
// nobody changes is written back exactly; tEXt reads them as UTF-8.
class TChunktEXt : public TChunk {
 public:
  TChunktEXt();
  std::string KeywordBytes;
  std::string TextBytes;
  String Keyword() const { return Utf8ToString(KeywordBytes); }
  String Text() const { return Utf8ToString(TextBytes); }
  void SetKeyword(StringView keyword) { KeywordBytes = StringToUtf8(keyword); }
  void SetText(StringView text) { TextBytes = StringToUtf8(text); }
  bool LoadData(const uint8_t* data, size_t size, const TPNGList& list) override;
  void SaveData(std::vector<uint8_t>& out, const TChunkIHDR& header) const override;

 protected:
  explicit TChunktEXt(TPngChunkType type) : TChunk(type) {}
};

// A compressed text chunk; its text is inflated on load (up to kMaxPngTextBytes).
class TChunkzTXt : public TChunktEXt {
 public:
  TChunkzTXt();
  bool LoadData(const uint8_t* data, size_t size, const TPNGList& list) override;
  void SaveData(std::vector<uint8_t>& out, const TChunkIHDR& header) const override;
};

// The image data. Loading captures the compressed run (see the reader);
// Decode fills the header's layout from it.
class TChunkIDAT : public TChunk {
 public:
  TChunkIDAT();
  std::vector<uint8_t> Run;  // the first IDAT's data and CRC, then further IDAT chunks whole
  uint32_t FirstLength = 0;  // data length of the first IDAT

  bool HasRun() const { return !Run.empty(); }
  // Prepares the header's layout and decodes the run into it. The run is kept
  // (a failed decode may be retried); see DecodeIdatRun for the errors.
  void Decode(TChunkIHDR& header, bool want_32bit) const;
  void SaveData(std::vector<uint8_t>& out, const TChunkIHDR& header) const override;
};

class TChunkIEND : public TChunk {
 public:
  TChunkIEND();
  void SaveData(std::vector<uint8_t>& out, const TChunkIHDR& header) const override;
};

// The chunk object for a type: one of the ten known classes, or a raw chunk.
std::unique_ptr<TChunk> CreateChunk(const TPngChunkType& type);

// The chunks of one picture in file order; the list owns them. Critical
// chunks (IHDR, PLTE, IDAT, IEND) can be added only while building.
class TPNGList {
 public:
  TPNGList() = default;
  TPNGList(TPNGList&&) noexcept = default;
  TPNGList& operator=(TPNGList&&) noexcept = default;

  size_t Count() const { return chunks_.size(); }
  TChunk& Item(size_t index) const { return *chunks_[index]; }
  // Appends a chunk; raises EPngInvalidChunk for a critical chunk unless building.
  TChunk& Add(std::unique_ptr<TChunk> chunk);
  // Inserts before `index`, under the same rule.
  TChunk& Insert(size_t index, std::unique_ptr<TChunk> chunk);
  void Delete(size_t index);
  void Clear() { chunks_.clear(); }

  bool Building() const { return building_; }
  void SetBuilding(bool building) { building_ = building; }

  TChunkIHDR* Header() const;
  // The first chunk of class T, or null.
  template <class T>
  T* Find() const {
    for (const auto& c : chunks_)
      if (auto* t = dynamic_cast<T*>(c.get())) return t;
    return nullptr;
  }

 private:
  std::vector<std::unique_ptr<TChunk>> chunks_;
  bool building_ = false;
};

// Caps on what an untrusted file can make the reader hold.
inline constexpr uint32_t kMaxPngAncillaryBytes = 8u << 20;  // one ancillary chunk's data
inline constexpr uint32_t kMaxPngTextBytes = 8u << 20;       // an inflated zTXt text
inline constexpr uint32_t kMaxPngKeptAncillaryBytes = 32u << 20;  // all ancillary chunks of a file, texts inflated
