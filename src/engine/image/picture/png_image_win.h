#pragma once
// TPngImage: the engine's PNG picture as a framework graphic. The pixels,
// options and file format are the portable TPngPicture's; this class adds
// the device side: a DIB section with its own memory DC made when the
// picture's canvas is first drawn on (TPngImageCanvas), the device-bitmap
// colour type 240, drawing onto other DCs, copies from and to framework
// bitmaps and icons, and a usage count so that several holders can share
// one picture (every holder ends its hold with Free).

#include "vcl/win_api.h"

#include <atomic>
#include <memory>

#include "engine/image/picture/png_picture.h"
#include "engine/image/picture/rd_graphic_win.h"
#include "vcl/bitmap.h"
#include "vcl/canvas.h"

class TPngImage;

// A canvas's font with an antialiasing switch: on, the handle is made with
// antialiased quality; off, with the default quality. The switch holds
// through every later change of the font.
class TCanvasFont : public TFont {
  RD_CLASS(TCanvasFont, TFont)
  TCanvasFont() = default;
  bool Antialias() const { return antialias_; }
  void SetAntialias(bool value);
  void Assign(const TPersistent* source) override;

 private:
  bool antialias_ = false;
};

// The canvas of one image: its handle is the image's memory DC, made on
// first need (the pixels move into a DIB section then).
class TPngImageCanvas : public TCanvas {
  RD_CLASS(TPngImageCanvas, TCanvas)
  explicit TPngImageCanvas(TPngImage& image);
  TCanvasFont& CanvasFont() { return static_cast<TCanvasFont&>(Font()); }
  void SetFontEx(const TFont& font) { Font().Assign(&font); }

 protected:
  void CreateHandle() override;

 private:
  TPngImage* image_;
};

// A TPngImage held by one holder; releases through Free.
using TPngImagePtr = std::unique_ptr<TPngImage, TGraphicDeleter>;

class TPngImage : public TRdGraphic {
  RD_CLASS(TPngImage, TRdGraphic)
  TPngImage();
  ~TPngImage() override;

  // The pixels, options, chunks and file format.
  TPngPicture& Picture() { return picture_; }
  const TPngPicture& Picture() const { return picture_; }

  uint8_t AlphaBlendValue() const { return picture_.Options.AlphaBlendValue; }
  void SetAlphaBlendValue(uint8_t value) { picture_.Options.AlphaBlendValue = value; }
  bool GrayMode() const { return picture_.Options.GrayMode; }
  void SetGrayMode(bool value) { picture_.Options.GrayMode = value; }
  TPngSmoothFilter SmoothFilter() const { return picture_.Options.SmoothFilter; }
  void SetSmoothFilter(TPngSmoothFilter value) { picture_.Options.SmoothFilter = value; }
  TPngAlphaMode AlphaMode() const { return picture_.AlphaMode; }
  void SetAlphaMode(TPngAlphaMode value) { picture_.AlphaMode = value; }

  // ---- Usage count. A new image has 1. AddRef adds a holder and, with
  // `save_state`, saves the state of the image's DC (when it has one) to be
  // restored when the count falls back to what it was; Release takes one
  // away without freeing. Both raise EPngError for classes derived from
  // TPngImage. Free ends a hold and destroys the image with the last one.
  int32_t AddRef(bool save_state);
  int32_t Release();
  int32_t UsageCount() const { return usage_count_.load(); }
  void Free() override;

  // ---- Making pictures.
  // See TPngPicture::CreateBlank; `with_dc` (always for type 240) makes the
  // DIB section (or device bitmap) and DC at once, falling back to plain
  // memory when the section cannot be made.
  void CreateBlank(uint8_t color_type, uint8_t bit_depth, bool want_32bit, bool with_dc, int32_t height,
                   int32_t width);
  // 32-bit pixels with the alpha inside; other types through a 32-bit
  // drawing. False without header or pixels.
  bool ConvertTo32Bit();
  void SetAllAlpha(uint8_t value);
  // See TPngPicture::ResizeEx; without `to_memory` an image that had a DC
  // gets one again at the new size.
  void ResizeEx(int32_t width, int32_t height, int32_t top, int32_t left, bool to_memory, uint8_t alpha_fill);
  void SetTextChunk(StringView keyword, StringView text, bool only_if_matching) {
    picture_.SetTextChunk(keyword, text, only_if_matching);
  }
  int TransparencyMode() const;

  // A framework bitmap's pixels: `bits` > 0 forces that bit count (32 with
  // alpha), else the bitmap's own.
  void AssignBitmapHandle(HBITMAP bitmap, bool transparent, int bits, TAlphaFormat alpha_format, HPALETTE palette,
                          TColor transparent_color);
  // The icon drawn at its size; its alpha, or its mask when it has none.
  bool LoadFromIcon(HICON icon, bool with_alpha);

  // ---- TGraphic.
  void Assign(const TPersistent* source) override;
  bool Empty() const override { return picture_.Empty(); }
  int32_t Width() const override { return picture_.Width(); }
  int32_t Height() const override { return picture_.Height(); }
  void SetWidth(int32_t value) override { SetSize(value, Height()); }
  void SetHeight(int32_t value) override { SetSize(Width(), value); }
  void SetSize(int32_t width, int32_t height) override;
  bool Transparent() const override;
  bool SupportsPartialTransparency() const override { return TransparencyMode() == 2; }
  HPALETTE Palette() const override;
  void SetPalette(HPALETTE palette) override;
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) const override;
  void LoadFromClipboardFormat(uint16_t format, HANDLE data, HPALETTE palette) override;
  void SaveToClipboardFormat(uint16_t& format, HANDLE& data, HPALETTE& palette) const override;
  bool Equals(const TGraphic* other) const override;

  // ---- TRdGraphic.
  uint8_t* GetAlphaLine(int32_t row) const override { return picture_.AlphaLine(row); }
  uint8_t* GetPixelLine(int32_t row) const override { return picture_.PixelLine(row); }
  // Colours through the framework's colour conversion; type 240 through the DC.
  TColor GetPixel(int32_t x, int32_t y) const override;
  void SetPixel(int32_t x, int32_t y, TColor color) override;
  using TRdGraphic::DrawEx;
  void DrawEx(HDC dc, int32_t dest_x, uint32_t flags, TPngSmoothFilter smooth, bool gray, uint8_t alpha,
              int32_t src_height, int32_t src_width, int32_t src_y, int32_t src_x, int32_t dest_height,
              int32_t dest_width, int32_t dest_y) override;

  // ---- Device side.
  TPngImageCanvas& Canvas();
  // The memory DC (made on demand), or 0 when none can be made.
  HDC DeviceContext();
  bool HasDeviceContext() const { return dc_ != nullptr; }
  // Moves the pixels back into plain memory and frees the DC and section.
  void ReleaseDeviceContext();

 protected:
  void Draw(TCanvas& canvas, const TRect& rect) override;
  void DrawTransparent(TCanvas& canvas, const TRect& rect, uint8_t opacity) override;
  void AssignTo(TPersistent* dest) const override;

 private:
  friend class TPngImageCanvas;
  friend class TScratchImagePool;
  void CheckExactClass() const;
  void RestoreSavedState(bool refresh);
  // Frees the DC, section and palette in their order (pixels are lost
  // unless moved first).
  void FreeDevice();
  void AssignToBitmap(TBitmap& bitmap) const;
  void ClearImage();

  TPngPicture picture_;
  std::unique_ptr<TPngImageCanvas> canvas_;
  std::atomic<int32_t> usage_count_{1};
  int32_t saved_dc_index_ = 0;
  int32_t saved_dc_level_ = 0;
  HDC dc_ = nullptr;
  HBITMAP section_ = nullptr;
  HGDIOBJ previous_bitmap_ = nullptr;
  DWORD dc_thread_ = 0;
  mutable HPALETTE palette_ = nullptr;
  HGDIOBJ previous_palette_ = nullptr;
  bool dc_registered_ = false;
};
