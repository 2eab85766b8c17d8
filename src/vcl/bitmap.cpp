#include "vcl/bitmap.h"

#include <algorithm>
#include <cstring>

#include "rtl/sysutils.h"
#include "vcl/bmp_file.h"
#include "vcl/win_geometry.h"

// The pixels of a bitmap and what describes them; moved into the bitmap as
// a whole so that a failure part-way never leaves a half-changed bitmap.
struct TBitmap::Image {
  HBITMAP handle = nullptr;
  uint8_t* bits = nullptr;
  int32_t stride = 0;
  bool top_down = false;
  int32_t width = 0;
  int32_t height = 0;
  TPixelFormat format = pf32bit;
  std::vector<RGBQUAD> colors;

  Image() = default;
  Image(Image&& other) noexcept { *this = std::move(other); }
  Image& operator=(Image&& other) noexcept {
    std::swap(handle, other.handle);
    bits = other.bits;
    stride = other.stride;
    top_down = other.top_down;
    width = other.width;
    height = other.height;
    format = other.format;
    colors = std::move(other.colors);
    return *this;
  }
  ~Image() {
    if (handle) DeleteObject(handle);
  }
  HBITMAP Release() { return std::exchange(handle, nullptr); }
  uint8_t* Row(int32_t y) const { return bits + static_cast<ptrdiff_t>(top_down ? y : height - 1 - y) * stride; }
};

namespace {

int32_t BitsPerPixel(TPixelFormat format) {
  switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pf32bit: return 32;
    default: return 0;
  }
}

constexpr uint32_t k565Masks[3] = {0xF800, 0x07E0, 0x001F};

std::vector<RGBQUAD> DefaultColors(TPixelFormat format) {
  switch (format) {
    case pf1bit:
      return {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
    case pf4bit: {
      // The 16 colours of the standard VGA palette, as BGR.
      static constexpr uint32_t kVga[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                            0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                                            0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
      std::vector<RGBQUAD> colors;
      for (uint32_t c : kVga) colors.push_back(RGBQUAD{BYTE(c >> 16), BYTE(c >> 8), BYTE(c), 0});
      return colors;
    }
    case pf8bit: {
      std::vector<RGBQUAD> colors(256);
      HDC screen = GetDC(nullptr);
      HPALETTE halftone = CreateHalftonePalette(screen);
      ReleaseDC(nullptr, screen);
      PALETTEENTRY entries[256] = {};
      const UINT count = halftone ? GetPaletteEntries(halftone, 0, 256, entries) : 0;
      if (halftone) DeleteObject(halftone);
      for (UINT i = 0; i < count; ++i) colors[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
      return colors;
    }
    default:
      return {};
  }
}

// BITMAPINFO with room for masks or a full colour table.
struct DibInfo {
  BITMAPINFOHEADER header{};
  RGBQUAD table[256]{};
  BITMAPINFO* Get() { return reinterpret_cast<BITMAPINFO*>(this); }
};

DibInfo MakeInfo(int32_t width, int32_t height, int32_t bits, TPixelFormat format, const std::vector<RGBQUAD>& colors) {
  DibInfo info;
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = height;  // bottom-up
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bits);
  info.header.biCompression = BI_RGB;
  if (format == pf16bit) {
    info.header.biCompression = BI_BITFIELDS;
    std::memcpy(info.table, k565Masks, sizeof(k565Masks));
  } else if (bits <= 8) {
    info.header.biClrUsed = static_cast<DWORD>(colors.size());
    std::copy(colors.begin(), colors.end(), info.table);
  }
  return info;
}

[[noreturn]] void RaiseOutOfResources() { throw EOutOfResources(u"Out of system resources"); }

// A memory DC with `bitmap` selected for the lifetime of the object.
class ScopedBitmapDC {
 public:
  explicit ScopedBitmapDC(HBITMAP bitmap) : dc_(CreateCompatibleDC(nullptr)) {
    if (!dc_) RaiseOutOfResources();
    old_ = SelectObject(dc_, bitmap);
  }
  ~ScopedBitmapDC() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  ScopedBitmapDC(const ScopedBitmapDC&) = delete;
  ScopedBitmapDC& operator=(const ScopedBitmapDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

void PremultiplyPixel(uint8_t* p) {
  const unsigned alpha = p[3];
  for (int i = 0; i < 3; ++i) p[i] = static_cast<uint8_t>((p[i] * alpha + 127) / 255);
}

void UnpremultiplyPixel(uint8_t* p) {
  const unsigned alpha = p[3];
  if (alpha == 0) return;
  for (int i = 0; i < 3; ++i) p[i] = static_cast<uint8_t>(std::min<unsigned>(255, (p[i] * 255 + alpha / 2) / alpha));
}

TPixelFormat FormatOfSection(const DIBSECTION& section) {
  const BITMAPINFOHEADER& h = section.dsBmih;
  const bool standard32 = h.biCompression == BI_RGB ||
                          (section.dsBitfields[0] == 0xFF0000 && section.dsBitfields[1] == 0xFF00 &&
                           section.dsBitfields[2] == 0xFF);
  switch (h.biBitCount) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16:
      if (h.biCompression == BI_RGB || (section.dsBitfields[0] == 0x7C00 && section.dsBitfields[1] == 0x03E0 &&
                                        section.dsBitfields[2] == 0x001F)) {
        return pf15bit;
      }
      return section.dsBitfields[0] == 0xF800 && section.dsBitfields[1] == 0x07E0 && section.dsBitfields[2] == 0x001F
                 ? pf16bit
                 : pfCustom;
    case 24: return pf24bit;
    case 32: return standard32 ? pf32bit : pfCustom;
    default: return pfCustom;
  }
}

}  // namespace

// ---- TBitmapCanvas

RD_DEFINE_CLASS(TBitmapCanvas)

TBitmapCanvas::~TBitmapCanvas() { FreeContext(); }

void TBitmapCanvas::CreateHandle() {
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return;
  if (bitmap_->handle_) old_bitmap_ = SelectObject(dc, bitmap_->handle_);
  if (HPALETTE palette = bitmap_->Palette()) {
    old_palette_ = SelectPalette(dc, palette, TRUE);
    RealizePalette(dc);
  }
  dc_ = dc;
  SetHandle(dc);
}

void TBitmapCanvas::FreeContext() {
  if (!dc_) return;
  SetHandle(nullptr);
  if (old_bitmap_) SelectObject(dc_, old_bitmap_);
  if (old_palette_) SelectPalette(dc_, static_cast<HPALETTE>(old_palette_), TRUE);
  DeleteDC(dc_);
  dc_ = nullptr;
  old_bitmap_ = old_palette_ = nullptr;
}

// ---- TBitmap

RD_DEFINE_CLASS(TBitmap)

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int32_t width, int32_t height, TPixelFormat format) {
  SetPixelFormat(format);
  SetSize(width, height);
}

TBitmap::~TBitmap() {
  canvas_.reset();
  FreeImage();
}

void TBitmap::FreeImage() {
  if (handle_) DeleteObject(handle_);
  if (palette_) DeleteObject(palette_);
  handle_ = nullptr;
  palette_ = nullptr;
  bits_ = nullptr;
}

TBitmap::Image TBitmap::MakeImage(int32_t width, int32_t height, TPixelFormat format, std::vector<RGBQUAD> colors) {
  Image image;
  image.width = std::max(0, width);
  image.height = std::max(0, height);
  image.format = format;
  image.colors = BitsPerPixel(format) > 0 && BitsPerPixel(format) <= 8
                     ? (colors.empty() ? DefaultColors(format) : std::move(colors))
                     : std::vector<RGBQUAD>{};
  if (image.width == 0 || image.height == 0) {
    image.width = image.height = 0;
    return image;
  }
  if (format == pfDevice) {
    HDC screen = GetDC(nullptr);
    image.handle = CreateCompatibleBitmap(screen, image.width, image.height);
    ReleaseDC(nullptr, screen);
    if (!image.handle) RaiseOutOfResources();
    return image;
  }
  const int32_t bits = BitsPerPixel(format);
  if (DibStride(image.width, bits) * image.height > (int64_t{1} << 30)) RaiseOutOfResources();
  DibInfo info = MakeInfo(image.width, image.height, bits, format, image.colors);
  void* pixels = nullptr;
  image.handle = CreateDIBSection(nullptr, info.Get(), DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (!image.handle || !pixels) RaiseOutOfResources();
  image.bits = static_cast<uint8_t*>(pixels);
  image.stride = static_cast<int32_t>(DibStride(image.width, bits));
  return image;
}

void TBitmap::TakeImage(Image&& image) {
  if (canvas_) canvas_->FreeContext();
  FreeImage();
  handle_ = image.Release();
  bits_ = image.bits;
  stride_ = image.stride;
  top_down_ = image.top_down;
  width_ = image.width;
  height_ = image.height;
  pixel_format_ = image.format;
  colors_ = std::move(image.colors);
}

TCanvas& TBitmap::Canvas() {
  if (!canvas_) {
    canvas_ = std::make_unique<TBitmapCanvas>(*this);
    canvas_->OnChange = MakeEvent<&TBitmap::CanvasChanged>(this);
  }
  return *canvas_;
}

void TBitmap::CanvasChanged(TObject*) { Changed(this); }

void TBitmap::Assign(const TPersistent* source) {
  if (source == this) return;
  if (!source) {
    TakeImage(MakeImage(0, 0, pixel_format_, {}));
    Changed(this);
    return;
  }
  auto* bitmap = ObjectAs<TBitmap>(source);
  if (!bitmap) {
    inherited::Assign(source);
    return;
  }
  TPixelFormat format = bitmap->pixel_format_ == pfCustom ? pf32bit : bitmap->pixel_format_;
  Image image;
  image.format = format;
  image.colors = bitmap->colors_;
  if (!bitmap->Empty()) {
    image = MakeImage(bitmap->width_, bitmap->height_, format, bitmap->colors_);
    if (bitmap->bits_ && image.bits && bitmap->pixel_format_ == format) {
      GdiFlush();
      for (int32_t y = 0; y < image.height; ++y) {
        const uint8_t* from = bitmap->bits_ + static_cast<ptrdiff_t>(bitmap->top_down_ ? y : bitmap->height_ - 1 - y) *
                                                  bitmap->stride_;
        std::memcpy(image.Row(y), from, static_cast<size_t>(image.stride));
      }
    } else {
      if (bitmap->canvas_) bitmap->canvas_->FreeContext();
      ScopedBitmapDC from(bitmap->handle_), to(image.handle);
      BitBlt(to.Get(), 0, 0, image.width, image.height, from.Get(), 0, 0, SRCCOPY);
    }
  }
  TakeImage(std::move(image));
  alpha_format_ = bitmap->alpha_format_;
  transparent_color_ = bitmap->transparent_color_;
  transparent_mode_ = bitmap->transparent_mode_;
  SetTransparent(bitmap->Transparent());
  Changed(this);
}

void TBitmap::SetSize(int32_t width, int32_t height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (width == width_ && height == height_) return;
  Image image = MakeImage(width, height, pixel_format_, colors_);
  const int32_t keep_width = std::min(width_, image.width);
  const int32_t keep_height = std::min(height_, image.height);
  if (keep_width > 0 && keep_height > 0) {
    if (bits_ && image.bits) {
      GdiFlush();
      const size_t row_bytes = static_cast<size_t>(DibStride(keep_width, BitsPerPixel(pixel_format_)));
      for (int32_t y = 0; y < keep_height; ++y) {
        const uint8_t* from = bits_ + static_cast<ptrdiff_t>(top_down_ ? y : height_ - 1 - y) * stride_;
        std::memcpy(image.Row(y), from, std::min(row_bytes, static_cast<size_t>(image.stride)));
      }
    } else {
      if (canvas_) canvas_->FreeContext();
      ScopedBitmapDC from(handle_), to(image.handle);
      BitBlt(to.Get(), 0, 0, keep_width, keep_height, from.Get(), 0, 0, SRCCOPY);
    }
  }
  TakeImage(std::move(image));
  Changed(this);
}

void TBitmap::SetHandle(HBITMAP handle) {
  if (handle == handle_) return;
  Image image;
  if (handle) {
    image.handle = handle;
    DIBSECTION section{};
    if (GetObjectW(handle, sizeof(section), &section) == sizeof(section) && section.dsBm.bmBits) {
      image.format = FormatOfSection(section);
      image.bits = static_cast<uint8_t*>(section.dsBm.bmBits);
      image.stride = section.dsBm.bmWidthBytes;
      image.top_down = section.dsBmih.biHeight < 0;
      image.width = section.dsBm.bmWidth;
      image.height = std::abs(section.dsBm.bmHeight);
      if (section.dsBmih.biBitCount <= 8) {
        ScopedBitmapDC dc(handle);
        RGBQUAD table[256];
        const UINT count = GetDIBColorTable(dc.Get(), 0, 256, table);
        image.colors.assign(table, table + count);
      }
    } else {
      BITMAP info{};
      if (!GetObjectW(handle, sizeof(info), &info)) {
        image.Release();
        throw EInvalidGraphic(u"Invalid bitmap handle");
      }
      image.format = pfDevice;
      image.width = info.bmWidth;
      image.height = info.bmHeight;
    }
  } else {
    image.format = pixel_format_;
  }
  TakeImage(std::move(image));
  Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
  if (canvas_) canvas_->FreeContext();
  HBITMAP handle = std::exchange(handle_, nullptr);
  FreeImage();
  width_ = height_ = 0;
  stride_ = 0;
  Changed(this);
  return handle;
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
  if (value == pixel_format_) return;
  if (value == pfCustom) throw EInvalidGraphic(u"Invalid pixel format");
  Image image = MakeImage(width_, height_, value, {});
  if (handle_ && image.handle) {
    if (canvas_) canvas_->FreeContext();
    ScopedBitmapDC from(handle_), to(image.handle);
    BitBlt(to.Get(), 0, 0, width_, height_, from.Get(), 0, 0, SRCCOPY);
  }
  TakeImage(std::move(image));
  Changed(this);
}

void TBitmap::SetAlphaFormat(TAlphaFormat value) {
  if (value == alpha_format_) return;
  const TAlphaFormat old = alpha_format_;
  alpha_format_ = value;
  if (pixel_format_ == pf32bit && bits_ && (value == afPremultiplied || old == afPremultiplied)) {
    GdiFlush();
    for (int32_t y = 0; y < height_; ++y) {
      uint8_t* p = static_cast<uint8_t*>(ScanLine(y));
      for (int32_t x = 0; x < width_; ++x, p += 4) {
        if (value == afPremultiplied) PremultiplyPixel(p);
        else UnpremultiplyPixel(p);
      }
    }
  }
  Changed(this);
}

void* TBitmap::ScanLine(int32_t row) {
  if (row < 0 || row >= height_) throw EInvalidGraphicOperation(u"Scan line index out of range");
  if (!bits_) throw EInvalidGraphicOperation(u"A device bitmap has no scan lines");
  GdiFlush();
  return bits_ + static_cast<ptrdiff_t>(top_down_ ? row : height_ - 1 - row) * stride_;
}

TColor TBitmap::TransparentColor() const {
  if (transparent_mode_ == tmFixed) return transparent_color_;
  if (Empty()) return clDefault;
  return const_cast<TBitmap*>(this)->Canvas().Pixels(0, height_ - 1) & 0xFFFFFF;
}

void TBitmap::SetTransparentColor(TColor value) {
  if (value == transparent_color_ && transparent_mode_ == (value == clDefault ? tmAuto : tmFixed)) return;
  transparent_color_ = value;
  transparent_mode_ = value == clDefault ? tmAuto : tmFixed;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
  if (value == transparent_mode_) return;
  if (value == tmAuto) {
    SetTransparentColor(clDefault);
  } else {
    SetTransparentColor(TransparentColor());
  }
}

HPALETTE TBitmap::Palette() const {
  if (!palette_ && BitsPerPixel(pixel_format_) > 0 && BitsPerPixel(pixel_format_) <= 8 && !colors_.empty()) {
    struct {
      WORD version;
      WORD count;
      PALETTEENTRY entries[256];
    } palette{0x300, static_cast<WORD>(colors_.size()), {}};
    for (size_t i = 0; i < colors_.size(); ++i) {
      palette.entries[i] = PALETTEENTRY{colors_[i].rgbRed, colors_[i].rgbGreen, colors_[i].rgbBlue, 0};
    }
    palette_ = CreatePalette(reinterpret_cast<LOGPALETTE*>(&palette));
  }
  return palette_;
}

void TBitmap::SetPalette(HPALETTE palette) {
  if (palette == palette_) return;
  if (canvas_) canvas_->FreeContext();
  if (palette_) DeleteObject(palette_);
  palette_ = palette;
  const int32_t bits = BitsPerPixel(pixel_format_);
  if (palette && bits > 0 && bits <= 8) {
    PALETTEENTRY entries[256] = {};
    const UINT count = GetPaletteEntries(palette, 0, 1u << bits, entries);
    colors_.resize(count);
    for (UINT i = 0; i < count; ++i) colors_[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    if (handle_ && count > 0) {
      ScopedBitmapDC dc(handle_);
      SetDIBColorTable(dc.Get(), 0, count, colors_.data());
    }
  }
  SetPaletteModified(true);
  Changed(this);
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) {
  if (Empty()) return;
  HDC source = Canvas().Handle();
  HDC dest = canvas.Handle();
  if (SupportsPartialTransparency()) {
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    if (alpha_format_ == afPremultiplied) {
      AlphaBlend(dest, rect.Left, rect.Top, rect.Width(), rect.Height(), source, 0, 0, width_, height_, blend);
      return;
    }
    // The platform blends premultiplied pixels only: blend a premultiplied copy.
    TBitmap premultiplied;
    premultiplied.Assign(this);
    premultiplied.SetAlphaFormat(afPremultiplied);
    AlphaBlend(dest, rect.Left, rect.Top, rect.Width(), rect.Height(), premultiplied.Canvas().Handle(), 0, 0,
               width_, height_, blend);
    return;
  }
  if (Transparent()) {
    const UINT color = static_cast<UINT>(ColorToRGB(TransparentColor()) & 0xFFFFFF);
    TransparentBlt(dest, rect.Left, rect.Top, rect.Width(), rect.Height(), source, 0, 0, width_, height_, color);
    return;
  }
  StretchBlt(dest, rect.Left, rect.Top, rect.Width(), rect.Height(), source, 0, 0, width_, height_,
             canvas.CopyMode());
}

void TBitmap::LoadFromStream(TStream& stream) {
  TDibData dib = ReadBmp(stream);
  const BITMAPINFOHEADER& h = dib.header;
  const int32_t width = h.biWidth;
  const int32_t height = std::abs(h.biHeight);
  const bool bitfields = h.biCompression == BI_BITFIELDS;
  const bool rle = h.biCompression == BI_RLE4 || h.biCompression == BI_RLE8;
  TPixelFormat format = pf32bit;
  bool raw = !rle;
  switch (h.biBitCount) {
    case 1: format = pf1bit; break;
    case 4: format = pf4bit; break;
    case 8: format = pf8bit; break;
    case 24: format = pf24bit; break;
    case 16:
      if (!bitfields || (dib.masks[0] == 0x7C00 && dib.masks[1] == 0x03E0 && dib.masks[2] == 0x001F)) {
        format = pf15bit;
      } else if (dib.masks[0] == k565Masks[0] && dib.masks[1] == k565Masks[1] && dib.masks[2] == k565Masks[2]) {
        format = pf16bit;
      } else {
        format = pf32bit;
        raw = false;
      }
      break;
    default:  // 32
      raw = !bitfields || (dib.masks[0] == 0xFF0000 && dib.masks[1] == 0xFF00 && dib.masks[2] == 0xFF);
      break;
  }

  if (h.biBitCount <= 8) dib.colors.resize(size_t{1} << h.biBitCount, RGBQUAD{0, 0, 0, 0});
  Image image = MakeImage(width, height, format, dib.colors);
  if (raw) {
    for (int32_t y = 0; y < height; ++y) {
      const uint8_t* from = dib.pixels.data() + static_cast<ptrdiff_t>(h.biHeight < 0 ? y : height - 1 - y) * image.stride;
      std::memcpy(image.Row(y), from, static_cast<size_t>(image.stride));
    }
  } else {
    // Run-length data and unusual bit fields: the platform decodes them.
    struct {
      BITMAPINFOHEADER header;
      RGBQUAD table[256];
    } info{};
    info.header = h;
    if (bitfields) std::memcpy(info.table, dib.masks, sizeof(dib.masks));
    std::copy(dib.colors.begin(), dib.colors.end(), info.table);
    HDC screen = GetDC(nullptr);
    const int lines = SetDIBits(screen, image.handle, 0, static_cast<UINT>(height), dib.pixels.data(),
                                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (lines == 0) throw EInvalidGraphic(u"Bitmap image is not valid");
  }
  TakeImage(std::move(image));
  if (format != pf32bit) alpha_format_ = afIgnored;
  Changed(this);
}

void TBitmap::SaveToStream(TStream& stream) const {
  if (Empty()) return;
  const int32_t bits = BitsPerPixel(pixel_format_);
  if (bits_ && bits > 0) {
    GdiFlush();
    DibInfo info = MakeInfo(width_, height_, bits, pixel_format_, {});
    std::vector<uint8_t> pixels(static_cast<size_t>(stride_) * height_);
    for (int32_t y = 0; y < height_; ++y) {
      const uint8_t* from = bits_ + static_cast<ptrdiff_t>(top_down_ ? y : height_ - 1 - y) * stride_;
      std::memcpy(pixels.data() + static_cast<size_t>(height_ - 1 - y) * stride_, from, static_cast<size_t>(stride_));
    }
    WriteBmp(stream, info.header, k565Masks, bits <= 8 ? colors_ : std::vector<RGBQUAD>{}, pixels.data(),
             pixels.size());
    return;
  }
  // Device bitmaps and unusual sections: as 24-bit pixels from the platform.
  if (canvas_) canvas_->FreeContext();
  DibInfo info = MakeInfo(width_, height_, 24, pf24bit, {});
  std::vector<uint8_t> pixels(static_cast<size_t>(DibStride(width_, 24)) * height_);
  HDC screen = GetDC(nullptr);
  const int lines = GetDIBits(screen, handle_, 0, static_cast<UINT>(height_), pixels.data(), info.Get(), DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (lines == 0) RaiseOutOfResources();
  info.header.biSizeImage = 0;
  WriteBmp(stream, info.header, k565Masks, {}, pixels.data(), pixels.size());
}

void TBitmap::ReadData(TStream& stream) {
  int32_t size = 0;
  stream.ReadBuffer(&size, sizeof(size));
  if (size < 0 || size > stream.Size() - stream.Position()) throw EInvalidGraphic(u"Bitmap image is not valid");
  if (size == 0) {
    Assign(nullptr);
    return;
  }
  TMemoryStream data;
  data.SetSize(size);
  stream.ReadBuffer(data.Memory(), size);
  data.SetPosition(0);
  LoadFromStream(data);
}

void TBitmap::WriteData(TStream& stream) const {
  TMemoryStream data;
  SaveToStream(data);
  const int32_t size = static_cast<int32_t>(data.Size());
  stream.WriteBuffer(&size, sizeof(size));
  if (size > 0) stream.WriteBuffer(data.Memory(), size);
}

void TBitmap::LoadFromClipboardFormat(uint16_t format, HANDLE data, HPALETTE palette) {
  if (format != CF_BITMAP || !data) throw EInvalidGraphic(u"Unsupported clipboard format");
  HBITMAP copy = static_cast<HBITMAP>(CopyImage(data, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!copy) throw EInvalidGraphic(u"Unsupported clipboard format");
  SetHandle(copy);
  if (palette && BitsPerPixel(pixel_format_) > 0 && BitsPerPixel(pixel_format_) <= 8) {
    // The clipboard keeps its palette: take a copy of its entries.
    PALETTEENTRY entries[256] = {};
    const UINT count = GetPaletteEntries(palette, 0, 256, entries);
    struct {
      WORD version;
      WORD count;
      PALETTEENTRY entries[256];
    } copy_palette{0x300, static_cast<WORD>(count), {}};
    std::copy(entries, entries + count, copy_palette.entries);
    SetPalette(CreatePalette(reinterpret_cast<LOGPALETTE*>(&copy_palette)));
  }
}

void TBitmap::SaveToClipboardFormat(uint16_t& format, HANDLE& data, HPALETTE& palette) const {
  if (Empty()) throw EInvalidGraphic(u"Cannot put an empty bitmap on the clipboard");
  if (canvas_) canvas_->FreeContext();
  format = CF_BITMAP;
  data = CopyImage(handle_, IMAGE_BITMAP, 0, 0, 0);
  if (!data) RaiseOutOfResources();
  palette = nullptr;
}
