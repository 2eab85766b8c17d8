#include "engine/image/picture/png_image_win.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/image/picture/image_dc_registry_win.h"
#include "engine/image/picture/scratch_images_win.h"
#include "engine/image/pixels/convert.h"
#include "engine/image/pixels/pixel_tables.h"
#include "engine/image/png/png_errors.h"
#include "rtl/numbers.h"
#include "rtl/syserror.h"
#include "vcl/colors.h"
#include "vcl/handle_owners.h"
#include "vcl/icon.h"

RD_DEFINE_CLASS(TCanvasFont)
RD_DEFINE_CLASS(TPngImageCanvas)
RD_DEFINE_CLASS(TPngImage)

namespace {

TPixelLayout LayoutOf(int bits) {
  switch (bits) {
    case 1: return TPixelLayout::Indexed1;
    case 4: return TPixelLayout::Indexed4;
    case 8: return TPixelLayout::Indexed8;
    case 24: return TPixelLayout::Bgr24;
    default: return TPixelLayout::Bgra32;
  }
}

// The picture as the pixel kernels read it (decoded pixels required).
TPictureSource SourceOf(const TPngPicture& picture) {
  const TChunkIHDR& header = *picture.Header();
  TPictureSource source;
  source.Pixels = {header.PixelData.Data(), header.Width, header.Height, ptrdiff_t(header.BytesPerRow()),
                   LayoutOf(header.LayoutBits())};
  if (header.AlphaData) source.Alpha = {header.AlphaData.Data(), header.Width};
  if (header.LayoutBits() <= 8) source.Palette = &header.PixelInfo.Colors[0].Blue;
  if (header.ColorType == kPngIndexed) {
    if (const TChunktRNS* trns = picture.Chunks().Find<TChunktRNS>()) {
      source.PaletteAlpha = trns->Alpha;
      source.PaletteAlphaCount = trns->Count;
    }
  }
  return source;
}

// A view of the bits of a 32-bit DIB section made by this file (top-down).
TPixelView ViewOf(const TPngPicture& picture) {
  const TChunkIHDR& header = *picture.Header();
  return {header.PixelData.Data(), header.Width, header.Height, ptrdiff_t(header.BytesPerRow()),
          LayoutOf(header.LayoutBits())};
}

HDC ScreenCompatibleDc() { return CreateCompatibleDC(nullptr); }

HPALETTE PaletteOf(const PALETTEENTRY* entries, int count) {
  std::vector<uint8_t> storage(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * size_t(count));
  auto* log = reinterpret_cast<LOGPALETTE*>(storage.data());
  log->palVersion = 0x300;
  log->palNumEntries = WORD(count);
  std::memcpy(log->palPalEntry, entries, sizeof(PALETTEENTRY) * size_t(count));
  return CreatePalette(log);
}

HPALETTE CopyOfPalette(HPALETTE palette) {
  PALETTEENTRY entries[256];
  const UINT count = GetPaletteEntries(palette, 0, 256, entries);
  return PaletteOf(entries, int(count));
}

}  // namespace

// ---- TCanvasFont --------------------------------------------------------------

void TCanvasFont::SetAntialias(bool value) {
  antialias_ = value;
  SetQuality(value ? fqAntialiased : fqDefault);
}

void TCanvasFont::Assign(const TPersistent* source) {
  inherited::Assign(source);
  if (antialias_) SetQuality(fqAntialiased);
}

// ---- TPngImageCanvas -----------------------------------------------------------

TPngImageCanvas::TPngImageCanvas(TPngImage& image) : image_(&image) { ReplaceFont(std::make_unique<TCanvasFont>()); }

void TPngImageCanvas::CreateHandle() {
  if (HDC dc = image_->DeviceContext()) SetHandle(dc);
}

// ---- TPngImage: life ------------------------------------------------------------

TPngImage::TPngImage() = default;

TPngImage::~TPngImage() {
  RestoreSavedState(false);
  ClearImage();
  canvas_.reset();
}

void TPngImage::CheckExactClass() const {
  if (ClassType() != &TPngImage::StaticClass()) RaisePng<EPngError>(u"only support TPngimage! ");
}

int32_t TPngImage::AddRef(bool save_state) {
  CheckExactClass();
  const int32_t count = ++usage_count_;
  if (save_state && saved_dc_index_ == 0 && dc_ && canvas_ && canvas_->HandleAllocated()) {
    const int index = SaveDC(dc_);
    if (index == 0) {
      const DWORD error = GetLastError();
      const DWORD type = GetObjectType(dc_);
      if (type != OBJ_MEMDC)
        RaisePng<EPngError>(u"Invalid DC(" + IntToStr(int32_t(type)) + u"): " + SysErrorMessage(error));
    } else {
      saved_dc_index_ = index;
      saved_dc_level_ = count - 1;
    }
  }
  return count;
}

int32_t TPngImage::Release() {
  CheckExactClass();
  return --usage_count_;
}

void TPngImage::RestoreSavedState(bool refresh) {
  if (saved_dc_index_ == 0) return;
  if (dc_) RestoreDC(dc_, saved_dc_index_);
  saved_dc_index_ = 0;
  if (refresh && canvas_) canvas_->Refresh();
}

void TPngImage::Free() {
  const int32_t count = --usage_count_;
  if (count <= 0) {
    RestoreSavedState(false);
    ::Free(this);
    return;
  }
  if (count == saved_dc_level_) RestoreSavedState(true);
}

// ---- Device side --------------------------------------------------------------

TPngImageCanvas& TPngImage::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TPngImageCanvas>(*this);
  return *canvas_;
}

void TPngImage::FreeDevice() {
  if (!dc_) return;
  RestoreSavedState(false);
  if (canvas_) canvas_->SetHandle(nullptr);
  if (previous_bitmap_) SelectObject(dc_, previous_bitmap_);
  if (section_ && DeleteObject(section_)) CountFrameworkGdiObject(-1);
  if (previous_palette_) SelectPalette(dc_, static_cast<HPALETTE>(previous_palette_), FALSE);
  if (dc_registered_) UnregisterImageDc(dc_);
  if (DeleteDC(dc_)) CountFrameworkDeviceContext(-1);
  dc_ = nullptr;
  section_ = nullptr;
  previous_bitmap_ = nullptr;
  previous_palette_ = nullptr;
  dc_registered_ = false;
  dc_thread_ = 0;
}

HDC TPngImage::DeviceContext() {
  if (dc_) return dc_;
  TChunkIHDR* header = picture_.Header();
  if (!header || picture_.Empty()) return nullptr;
  picture_.EnsureDecoded();
  // A 24-bit picture with alpha takes its alpha into the pixels now.
  if (header->ColorType == kPngTrueColorAlpha && header->LayoutBits() == 24) picture_.ConvertTrueColorTo32Bit();
  HDC dc = ScreenCompatibleDc();
  if (!dc) return nullptr;
  HBITMAP section = nullptr;
  void* bits = nullptr;
  if (header->ColorType == kPngDeviceBitmap) {
    HDC screen = GetDC(nullptr);
    section = CreateCompatibleBitmap(screen, header->Width, header->Height);
    ReleaseDC(nullptr, screen);
  } else {
    section = CreateDIBSection(dc, reinterpret_cast<const BITMAPINFO*>(&header->PixelInfo), DIB_RGB_COLORS, &bits,
                               nullptr, 0);
  }
  if (!section) {
    DeleteDC(dc);
    return nullptr;
  }
  CountFrameworkDeviceContext(1);
  CountFrameworkGdiObject(1);
  previous_bitmap_ = SelectObject(dc, section);
  if (HPALETTE palette = Palette()) {
    previous_palette_ = SelectPalette(dc, palette, FALSE);
    RealizePalette(dc);
  }
  if (bits) {
    const size_t size = header->BytesPerRow() * size_t(header->Height);
    if (header->PixelData) {
      std::memcpy(bits, header->PixelData.Data(), size);
    } else {
      std::memset(bits, 0, size);
    }
    header->PixelData.Borrow(static_cast<uint8_t*>(bits), size);
  }
  dc_ = dc;
  section_ = section;
  dc_thread_ = GetCurrentThreadId();
  if (header->LayoutBits() == 32 && bits) {
    RegisterImageDc(dc_, this);
    dc_registered_ = true;
  }
  return dc_;
}

void TPngImage::ReleaseDeviceContext() {
  TChunkIHDR* header = picture_.Header();
  if (header && dc_ && header->PixelData && !header->PixelData.Owned()) {
    GdiFlush();
    TPngBuffer own;
    own.Allocate(header->PixelData.Size, false, header->Width, header->Height);
    std::memcpy(own.Data(), header->PixelData.Data(), own.Size);
    header->PixelData = std::move(own);
  }
  FreeDevice();
}

// ---- Making pictures ------------------------------------------------------------

void TPngImage::ClearImage() {
  FreeDevice();
  if (palette_) DeleteObject(palette_);
  palette_ = nullptr;
  picture_.Clear();
}

void TPngImage::CreateBlank(uint8_t color_type, uint8_t bit_depth, bool want_32bit, bool with_dc, int32_t height,
                            int32_t width) {
  TPngPicture blank;
  blank.CreateBlank(color_type, bit_depth, want_32bit, height, width);
  ClearImage();
  picture_.Assign(blank);
  if ((with_dc || color_type == kPngDeviceBitmap) && !picture_.Empty()) DeviceContext();
}

bool TPngImage::ConvertTo32Bit() {
  if (!picture_.Header()) return false;
  if (picture_.Is32Bit()) return true;
  picture_.EnsureDecoded();
  const TChunkIHDR* header = picture_.Header();
  if (header->ColorType == kPngTrueColor || header->ColorType == kPngTrueColorAlpha) {
    const bool had_dc = dc_ != nullptr;
    ReleaseDeviceContext();
    const bool done = picture_.ConvertTrueColorTo32Bit();
    if (had_dc) DeviceContext();
    return done;
  }
  if (!header->PixelData && header->ColorType != kPngDeviceBitmap) return false;
  // Any other picture: drawn onto black in 32 bits, then taken as it is.
  const int32_t w = Width(), h = Height();
  TPngImagePtr scratch = AcquireScratchImage(kPngTrueColorAlpha, 8, true, true, true, h, w);
  HDC scratch_dc = scratch->DeviceContext();
  if (!scratch_dc) return false;
  PatBlt(scratch_dc, 0, 0, w, h, BLACKNESS);
  DrawEx(scratch_dc, 0, 0, psfDefault, false, 255, h, w, 0, 0, h, w, 0);
  GdiFlush();
  TPngImage result;
  result.CreateBlank(kPngTrueColorAlpha, 8, true, false, h, w);
  const TPictureSource source = SourceOf(scratch->Picture());
  CopyPixels(ViewOf(result.picture_), {}, 0, 0, source, 0, 0, w, h);
  result.picture_.AlphaMode = TPngAlphaMode::Premultiplied;
  result.picture_.Options = picture_.Options;
  Assign(&result);
  return true;
}

void TPngImage::SetAllAlpha(uint8_t value) {
  if (picture_.Header() && picture_.Header()->ColorType == kPngDeviceBitmap) {
    if (!ConvertTo32Bit()) return;
  }
  picture_.SetAllAlpha(value);
  if (dc_ && picture_.Is32Bit() && !dc_registered_) {
    RegisterImageDc(dc_, this);
    dc_registered_ = true;
  }
}

void TPngImage::ResizeEx(int32_t width, int32_t height, int32_t top, int32_t left, bool to_memory,
                         uint8_t alpha_fill) {
  if (width < 0 || height < 0) RaisePng<EPNGInvalidNewSize>(u"Invalid new size for the PNG image.");
  const bool had_dc = dc_ != nullptr;
  ReleaseDeviceContext();
  picture_.ResizeEx(width, height, top, left, alpha_fill);
  if (had_dc && !to_memory && !picture_.Empty()) DeviceContext();
}

void TPngImage::SetSize(int32_t width, int32_t height) {
  if (width == Width() && height == Height()) return;
  if (!picture_.Header()) {
    CreateBlank(kPngTrueColorAlpha, 8, false, false, height, width);
    return;
  }
  ResizeEx(width, height, 0, 0, false, 255);
}

int TPngImage::TransparencyMode() const { return picture_.TransparencyMode(); }

bool TPngImage::Transparent() const {
  return Empty() || TransparencyMode() != 0 || AlphaBlendValue() < 255;
}

// ---- Palettes ------------------------------------------------------------------

HPALETTE TPngImage::Palette() const {
  const TChunkIHDR* header = picture_.Header();
  if (palette_ || !header || !LayoutHasPalette(header->ColorType)) return palette_;
  const int count = header->LayoutBits() >= 8 ? 256 : 1 << header->LayoutBits();
  PALETTEENTRY entries[256];
  for (int i = 0; i < count; ++i) {
    const TPngRgbQuad& c = header->PixelInfo.Colors[i];
    entries[i] = {c.Red, c.Green, c.Blue, 0};
  }
  palette_ = PaletteOf(entries, count);
  return palette_;
}

void TPngImage::SetPalette(HPALETTE palette) {
  if (palette == palette_) return;
  if (dc_ && palette) {
    HGDIOBJ previous = SelectPalette(dc_, palette, FALSE);
    if (!previous_palette_) previous_palette_ = previous;
    RealizePalette(dc_);
  }
  if (palette_) DeleteObject(palette_);
  palette_ = palette;
  SetPaletteModified(true);
  Changed(this);
}

// ---- Pixels ----------------------------------------------------------------------

TColor TPngImage::GetPixel(int32_t x, int32_t y) const {
  const TChunkIHDR* header = picture_.Header();
  if (!header || x < 0 || y < 0 || x >= header->Width || y >= header->Height) return 0;
  if (header->ColorType == kPngDeviceBitmap) return dc_ ? TColor(::GetPixel(dc_, x, y)) : 0;
  if (dc_) GdiFlush();
  return TColor(picture_.GetPixel(x, y));
}

void TPngImage::SetPixel(int32_t x, int32_t y, TColor color) {
  const TChunkIHDR* header = picture_.Header();
  if (!header || x < 0 || y < 0 || x >= header->Width || y >= header->Height) return;
  const uint32_t rgb = uint32_t(ColorToRGB(color));
  if (header->ColorType == kPngDeviceBitmap) {
    if (dc_) ::SetPixel(dc_, x, y, rgb & 0xFFFFFF);
    return;
  }
  if (dc_) GdiFlush();
  picture_.SetPixel(x, y, rgb);
}

// ---- Drawing ---------------------------------------------------------------------

void TPngImage::Draw(TCanvas& canvas, const TRect& rect) {
  DrawEx(canvas, rect.Left, 0, psfDefault, GrayMode(), AlphaBlendValue(), Height(), Width(), 0, 0, rect.Height(),
         rect.Width(), rect.Top);
}

void TPngImage::DrawTransparent(TCanvas& canvas, const TRect& rect, uint8_t opacity) {
  DrawEx(canvas, rect.Left, 0, psfDefault, GrayMode(), MulTrunc[opacity][AlphaBlendValue()], Height(), Width(), 0,
         0, rect.Height(), rect.Width(), rect.Top);
}

void TPngImage::DrawEx(HDC dc, int32_t dest_x, uint32_t, TPngSmoothFilter smooth, bool gray, uint8_t alpha,
                       int32_t src_height, int32_t src_width, int32_t src_y, int32_t src_x, int32_t dest_height,
                       int32_t dest_width, int32_t dest_y) {
  if (Empty() || alpha == 0 || src_width <= 0 || src_height <= 0 || dest_width <= 0 || dest_height <= 0) return;
  const RECT dest{dest_x, dest_y, dest_x + dest_width, dest_y + dest_height};
  if (!RectVisible(dc, &dest)) return;
  RECT clip;
  const int region = GetClipBox(dc, &clip);
  if (region != SIMPLEREGION && region != COMPLEXREGION) return;
  clip.left = std::max<LONG>(clip.left, 0);
  clip.top = std::max<LONG>(clip.top, 0);
  RECT visible;
  if (!IntersectRect(&visible, &dest, &clip)) return;
  picture_.EnsureDecoded();
  const TChunkIHDR* header = picture_.Header();
  if (header->ColorType == kPngDeviceBitmap) {
    if (!dc_) return;
    // Pixels only the device knows: the device draws them.
    if (alpha == 255 && picture_.AlphaMode != TPngAlphaMode::Premultiplied) {
      StretchBlt(dc, dest_x, dest_y, dest_width, dest_height, dc_, src_x, src_y, src_width, src_height, SRCCOPY);
    } else {
      BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha,
                          BYTE(picture_.AlphaMode == TPngAlphaMode::Premultiplied ? AC_SRC_ALPHA : 0)};
      AlphaBlend(dc, dest_x, dest_y, dest_width, dest_height, dc_, src_x, src_y, src_width, src_height, blend);
    }
    return;
  }
  if (!header->PixelData) return;
  if (dc_) GdiFlush();
  // The software composition over a copy of the destination's visible part.
  const int32_t w = visible.right - visible.left, h = visible.bottom - visible.top;
  TPngImagePtr scratch = AcquireScratchImage(kPngTrueColorAlpha, 8, false, true, true, h, w);
  HDC scratch_dc = scratch->DeviceContext();
  if (!scratch_dc) return;
  BitBlt(scratch_dc, 0, 0, w, h, dc, visible.left, visible.top, SRCCOPY);
  GdiFlush();
  TPixelView target = ViewOf(scratch->Picture());
  target.Width = w;
  target.Height = h;
  TDrawWindow window;
  window.SrcX = src_x;
  window.SrcY = src_y;
  window.SrcWidth = src_width;
  window.SrcHeight = src_height;
  window.DestWidth = dest_width;
  window.DestHeight = dest_height;
  window.ClipLeft = visible.left - dest_x;
  window.ClipTop = visible.top - dest_y;
  TComposeParams params;
  params.Alpha = alpha;
  params.Gray = gray;
  params.Premultiplied = picture_.AlphaMode == TPngAlphaMode::Premultiplied;
  if (header->ColorType == kPngGrey || header->ColorType == kPngTrueColor) {
    if (const TChunktRNS* trns = picture_.Chunks().Find<TChunktRNS>()) {
      params.UseKey = true;
      params.Key = trns->TransparentColor;
    }
  }
  ComposePicture(target, SourceOf(picture_), window, smooth == psfDefault ? SmoothFilter() : smooth, params);
  BitBlt(dc, visible.left, visible.top, w, h, scratch_dc, 0, 0, SRCCOPY);
}

// ---- Copies ----------------------------------------------------------------------

void TPngImage::Assign(const TPersistent* source) {
  if (source == this) return;
  if (!source) {
    ClearImage();
    NotifyChange(TChangeMode::ClearModified, nullptr);
    return;
  }
  if (auto* png = ObjectAs<TPngImage>(source)) {
    if (png->dc_) GdiFlush();
    ClearImage();
    picture_.Assign(png->picture_);
    NotifyChange(TChangeMode::ClearModified, nullptr);
    return;
  }
  if (auto* bitmap = ObjectAs<TBitmap>(source)) {
    if (bitmap->Empty()) {
      ClearImage();
      NotifyChange(TChangeMode::ClearModified, nullptr);
      return;
    }
    AssignBitmapHandle(bitmap->Handle(), bitmap->Transparent(), 0, bitmap->AlphaFormat(), bitmap->Palette(),
                       bitmap->TransparentColor());
    return;
  }
  if (auto* icon = ObjectAs<TIcon>(source)) {
    LoadFromIcon(icon->Handle(), true);
    return;
  }
  if (ObjectAs<TGraphic>(source)) {
    TBitmap bitmap;
    bitmap.Assign(source);
    Assign(&bitmap);
    return;
  }
  inherited::Assign(source);
}

void TPngImage::AssignBitmapHandle(HBITMAP bitmap, bool transparent, int bits, TAlphaFormat alpha_format,
                                   HPALETTE palette, TColor transparent_color) {
  DIBSECTION info{};
  const int got = GetObjectW(bitmap, sizeof info, &info);
  if (got < int(sizeof(BITMAP))) RaisePng<EPngError>(u"The bitmap handle is not valid.");
  const BITMAP& bm = info.dsBm;
  int bit_count = bits > 0 ? bits : (bm.bmBitsPixel ? bm.bmBitsPixel : 24);
  const bool has_pixel_bits = bm.bmBits != nullptr;
  const int32_t w = bm.bmWidth, h = std::abs(bm.bmHeight);
  uint8_t color_type = kPngTrueColor;
  uint8_t depth = 8;
  if (bit_count < 16) {
    color_type = kPngIndexed;
    depth = uint8_t(bit_count <= 1 ? 1 : bit_count <= 4 ? 4 : 8);
  } else if (bit_count == 32 && (has_pixel_bits || bits == 32)) {
    color_type = kPngTrueColorAlpha;
  }
  TPngImage built;
  built.picture_.CreateBlank(color_type, depth, color_type == kPngTrueColorAlpha, h, w);
  TChunkIHDR& header = *built.picture_.Header();
  // The pixels through the device, top-down in the layout (and its colour table).
  struct {
    BITMAPINFOHEADER Header;
    RGBQUAD Colors[256];
  } request{};
  request.Header = {sizeof(BITMAPINFOHEADER), w, -h, 1, WORD(header.LayoutBits()), BI_RGB, 0, 0, 0, 0, 0};
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, UINT(h), header.PixelData.Data(),
                             reinterpret_cast<BITMAPINFO*>(&request), DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != h) RaisePng<EPngError>(u"The bitmap's pixels cannot be read.");
  if (color_type == kPngIndexed) {
    TChunkPLTE& plte = *built.picture_.Chunks().Find<TChunkPLTE>();
    PALETTEENTRY entries[256]{};
    const UINT from_palette = palette ? GetPaletteEntries(palette, 0, UINT(plte.Count), entries) : 0;
    for (int i = 0; i < plte.Count; ++i) {
      if (from_palette > UINT(i)) {
        plte.Entries[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
      } else {
        plte.Entries[i] = {request.Colors[i].rgbBlue, request.Colors[i].rgbGreen, request.Colors[i].rgbRed, 0};
      }
    }
    header.SetPaletteColors(built.picture_.Chunks(), built.picture_.GammaTable);
  }
  if (color_type == kPngTrueColorAlpha) {
    // Alpha bytes count only where the bitmap says they hold alpha; a plain
    // 32-bit surface drawn by the device would otherwise come out invisible.
    const bool alpha_defined = alpha_format != afIgnored || bits == 32;
    const bool source_has_alpha = bm.bmBitsPixel == 32 && alpha_defined;
    if (!source_has_alpha) {
      for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = header.PixelData.Data() + size_t(y) * header.BytesPerRow();
        for (int32_t x = 0; x < w; ++x) row[4 * x + 3] = 255;
      }
    }
    if (alpha_format == afPremultiplied) built.picture_.AlphaMode = TPngAlphaMode::Premultiplied;
  }
  if (transparent) {
    const uint32_t key = uint32_t(ColorToRGB(transparent_color)) & 0xFFFFFF;
    built.picture_.Chunks().SetBuilding(true);
    auto trns = std::make_unique<TChunktRNS>();
    trns->SingleColor = true;
    trns->TransparentColor = key;
    if (color_type == kPngIndexed) {
      const TChunkPLTE& plte = *built.picture_.Chunks().Find<TChunkPLTE>();
      int index = 0;
      for (int i = 0; i < plte.Count; ++i) {
        const uint32_t c = uint32_t(plte.Entries[i].Red) | uint32_t(plte.Entries[i].Green) << 8 |
                           uint32_t(plte.Entries[i].Blue) << 16;
        if (c == key) {
          index = i;
          break;
        }
      }
      trns->Count = plte.Count;
      std::memset(trns->Alpha, 255, sizeof trns->Alpha);
      trns->Alpha[index] = 0;
      trns->TransparentIndex = index;
    } else {
      trns->KeyRed = uint16_t(key & 0xFF);
      trns->KeyGreen = uint16_t((key >> 8) & 0xFF);
      trns->KeyBlue = uint16_t((key >> 16) & 0xFF);
    }
    TPNGList& chunks = built.picture_.Chunks();
    if (color_type != kPngTrueColorAlpha) chunks.Insert(IndexOfChunk<TChunkIDAT>(chunks), std::move(trns));
    chunks.SetBuilding(false);
  }
  ClearImage();
  picture_.Assign(built.picture_);
  NotifyChange(TChangeMode::ClearModified, nullptr);
}

bool TPngImage::LoadFromIcon(HICON icon, bool with_alpha) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return false;
  BITMAP bm{};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
  const int32_t w = bm.bmWidth;
  const int32_t h = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
  struct TIconBitmaps {
    ICONINFO& Info;
    ~TIconBitmaps() {
      if (Info.hbmColor) DeleteObject(Info.hbmColor);
      if (Info.hbmMask) DeleteObject(Info.hbmMask);
    }
  } owned{info};
  if (with_alpha || !picture_.Header()) {
    CreateBlank(kPngTrueColorAlpha, 8, true, false, h, w);
  } else if (!ConvertTo32Bit()) {
    return false;
  }
  ReleaseDeviceContext();
  TPngImagePtr scratch = AcquireScratchImage(kPngTrueColorAlpha, 8, true, true, true, h, w);
  HDC scratch_dc = scratch->DeviceContext();
  if (!scratch_dc) return false;
  PatBlt(scratch_dc, 0, 0, w, h, BLACKNESS);
  DrawIconEx(scratch_dc, 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);
  GdiFlush();
  const int32_t cw = std::min(w, Width()), ch = std::min(h, Height());
  CopyPixels(ViewOf(picture_), {}, 0, 0, SourceOf(scratch->Picture()), 0, 0, cw, ch);
  picture_.AlphaMode = TPngAlphaMode::Premultiplied;
  bool any_alpha = false;
  for (int32_t y = 0; y < ch && !any_alpha; ++y) {
    const uint8_t* row = picture_.PixelLine(y);
    for (int32_t x = 0; x < cw; ++x) any_alpha |= row[4 * x + 3] != 0;
  }
  if (!any_alpha) {
    // No alpha of its own: the mask tells which pixels show.
    std::vector<uint32_t> mask(size_t(cw) * size_t(std::max(ch, 1)));
    BITMAPINFOHEADER request{sizeof(BITMAPINFOHEADER), cw, -ch, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, info.hbmMask, 0, UINT(ch), mask.data(), reinterpret_cast<BITMAPINFO*>(&request),
              DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (int32_t y = 0; y < ch; ++y) {
      uint8_t* row = picture_.PixelLine(y);
      for (int32_t x = 0; x < cw; ++x) {
        uint8_t* p = row + 4 * x;
        if (mask[size_t(y) * size_t(cw) + size_t(x)] & 0xFFFFFF) {
          std::memset(p, 0, 4);
        } else {
          p[3] = 255;
        }
      }
    }
  }
  NotifyChange(TChangeMode::ClearModified, nullptr);
  return true;
}

void TPngImage::AssignTo(TPersistent* dest) const {
  if (auto* png = ObjectAs<TPngImage>(dest)) {
    png->Assign(this);
  } else if (auto* bitmap = ObjectAs<TBitmap>(dest)) {
    AssignToBitmap(*bitmap);
  } else if (ObjectAs<TGraphic>(dest)) {
    TBitmap bitmap;
    AssignToBitmap(bitmap);
    dest->Assign(&bitmap);
  } else {
    inherited::AssignTo(dest);
  }
}

void TPngImage::AssignToBitmap(TBitmap& bitmap) const {
  const TChunkIHDR* header = picture_.Header();
  if (!header) {
    bitmap.SetSize(0, 0);
    return;
  }
  picture_.EnsureDecoded();
  if (dc_) GdiFlush();
  const int32_t w = header->Width, h = header->Height;
  const int mode = TransparencyMode();
  if (mode == 2 && header->ColorType != kPngDeviceBitmap) {
    // The pixels as they are, marked for what they hold: straight colours
    // as defined alpha, premultiplied ones as premultiplied.
    // Marked before the pixels go in: changing the mark converts pixels.
    bitmap.SetSize(0, 0);
    bitmap.SetPixelFormat(pf32bit);
    bitmap.SetAlphaFormat(picture_.AlphaMode == TPngAlphaMode::Premultiplied ? afPremultiplied : afDefined);
    bitmap.SetSize(w, h);
    const TPictureSource source = SourceOf(picture_);
    for (int32_t y = 0; y < h; ++y) {
      TPixelView row{static_cast<uint8_t*>(bitmap.ScanLine(y)), w, 1, 0, TPixelLayout::Bgra32};
      ConvertPixels(row, 0, 0, source, 0, y, w, 1, {});
    }
    bitmap.Changed(&bitmap);
    return;
  }
  TPixelFormat format = pf24bit;
  switch (header->BitDepth) {
    case 1: format = pf1bit; break;
    case 2:
    case 4: format = pf4bit; break;
    case 8:
    case 16:
      switch (header->ColorType) {
        case kPngGrey:
        case kPngTrueColor:
        case kPngGreyAlpha:
        case kPngTrueColorAlpha: format = pf24bit; break;
        case kPngIndexed: format = pf8bit; break;
        case kPngDeviceBitmap: format = pfDevice; break;
        default: throw Exception(u"unknown ColorType:" + IntToStr(int32_t(header->ColorType)));
      }
      break;
    default: throw Exception(u"unknown BitDepth:" + IntToStr(int32_t(header->BitDepth)));
  }
  bitmap.SetAlphaFormat(afIgnored);
  bitmap.SetPixelFormat(format);
  bitmap.SetSize(w, h);
  if (format != pfDevice && format <= pf8bit && Palette()) bitmap.SetPalette(CopyOfPalette(palette_));
  if (mode == 1) {
    const TChunktRNS* trns = picture_.Chunks().Find<TChunktRNS>();
    bitmap.SetTransparent(trns != nullptr);
    if (trns) bitmap.SetTransparentColor(TColor(trns->TransparentColor));
  }
  HDC dest = bitmap.Canvas().Handle();
  SetStretchBltMode(dest, COLORONCOLOR);
  if (header->ColorType == kPngDeviceBitmap) {
    if (dc_) BitBlt(dest, 0, 0, w, h, dc_, 0, 0, SRCCOPY);
  } else {
    StretchDIBits(dest, 0, 0, w, h, 0, 0, w, h, header->PixelData.Data(),
                  reinterpret_cast<const BITMAPINFO*>(&header->PixelInfo), DIB_RGB_COLORS, SRCCOPY);
  }
  GdiFlush();
  bitmap.Canvas().Changed();
}

// ---- Streams, clipboard, comparison -----------------------------------------------

void TPngImage::LoadFromStream(TStream& stream) {
  TPngPicture loaded;
  loaded.LoadFromStream(stream);
  ClearImage();
  picture_.Assign(loaded);
  NotifyChange(TChangeMode::ClearModified, nullptr);
}

void TPngImage::SaveToStream(TStream& stream) const {
  if (dc_) GdiFlush();
  if (picture_.Header() && picture_.Header()->ColorType == kPngDeviceBitmap) {
    // The device keeps these pixels: save a 32-bit copy of them.
    TPngImage copy;
    copy.Assign(this);
    copy.ConvertTo32Bit();
    copy.picture_.SaveToStream(stream);
    return;
  }
  picture_.SaveToStream(stream);
}

void TPngImage::LoadFromClipboardFormat(uint16_t format, HANDLE data, HPALETTE palette) {
  TBitmap bitmap;
  bitmap.LoadFromClipboardFormat(format, data, palette);
  AssignBitmapHandle(bitmap.Handle(), false, 0, bitmap.AlphaFormat(), bitmap.Palette(), clDefault);
}

void TPngImage::SaveToClipboardFormat(uint16_t& format, HANDLE& data, HPALETTE& palette) const {
  TBitmap bitmap;
  AssignToBitmap(bitmap);
  bitmap.SaveToClipboardFormat(format, data, palette);
}

bool TPngImage::Equals(const TGraphic* other) const {
  auto* png = ObjectAs<TPngImage>(const_cast<TGraphic*>(other));
  if (!png || other->ClassType() != ClassType()) return false;
  if (dc_) GdiFlush();
  if (png->dc_) GdiFlush();
  return picture_.Equals(png->picture_);
}
