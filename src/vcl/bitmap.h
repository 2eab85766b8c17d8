#pragma once
// TBitmap: a picture held in a GDI bitmap, normally a device-independent
// section (rows bottom-up, as the platform stores them) whose pixels are
// reached directly through ScanLine; pfDevice keeps a device-compatible
// bitmap instead. Drawn on its own canvas (a memory DC made on demand),
// loaded from and saved to BMP files.

#include "vcl/win_api.h"

#include <memory>
#include <vector>

#include "vcl/canvas.h"
#include "vcl/colors.h"
#include "vcl/graphic.h"

// pf15bit is 16 bits per pixel 5-5-5, pf16bit 5-6-5; pfCustom is a section
// of any other layout taken over through SetHandle.
RD_ENUM(TPixelFormat, pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom)
// What the fourth byte of a 32-bit pixel means: nothing, straight alpha,
// or alpha with the colours premultiplied by it.
RD_ENUM(TAlphaFormat, afIgnored, afDefined, afPremultiplied)
// tmAuto takes the transparent colour from the bottom-left pixel.
RD_ENUM(TTransparentMode, tmAuto, tmFixed)

class TBitmap;

// The canvas of a bitmap: a memory DC with the bitmap selected, made when
// first drawn on and freed whenever the bitmap's handle changes.
class TBitmapCanvas : public TCanvas {
  RD_CLASS(TBitmapCanvas, TCanvas)
  explicit TBitmapCanvas(TBitmap& bitmap) : bitmap_(&bitmap) {}
  ~TBitmapCanvas() override;
  void FreeContext();

 protected:
  void CreateHandle() override;

 private:
  TBitmap* bitmap_;
  HDC dc_ = nullptr;
  HGDIOBJ old_bitmap_ = nullptr;
  HGDIOBJ old_palette_ = nullptr;
};

class TBitmap : public TGraphic {
  RD_CLASS(TBitmap, TGraphic)
  TBitmap();
  TBitmap(int32_t width, int32_t height, TPixelFormat format = pf32bit);
  ~TBitmap() override;

  // Another TBitmap: an independent copy of its pixels and settings;
  // nullptr: empty; other graphics through their AssignTo.
  void Assign(const TPersistent* source) override;

  TCanvas& Canvas();

  bool Empty() const override { return width_ == 0 || height_ == 0; }
  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  void SetWidth(int32_t value) override { SetSize(value, height_); }
  void SetHeight(int32_t value) override { SetSize(width_, value); }
  // Keeps the top-left part of the pixels; new pixels are 0 (black, alpha 0,
  // palette entry 0). Negative sizes count as 0.
  void SetSize(int32_t width, int32_t height) override;

  // 0 when empty; owned by the bitmap.
  HBITMAP Handle() const { return handle_; }
  bool HandleAllocated() const { return handle_ != nullptr; }
  // Takes ownership of `handle` (a section or a device bitmap); 0 empties.
  void SetHandle(HBITMAP handle);
  // Gives up the handle to the caller; the bitmap becomes empty.
  HBITMAP ReleaseHandle();

  TPixelFormat PixelFormat() const { return pixel_format_; }
  // Converts the pixels (through the platform); pfCustom cannot be set.
  void SetPixelFormat(TPixelFormat value);
  TAlphaFormat AlphaFormat() const { return alpha_format_; }
  // Switching between afDefined and afPremultiplied converts the pixels of a
  // 32-bit bitmap; afIgnored leaves them as they are.
  void SetAlphaFormat(TAlphaFormat value);
  bool SupportsPartialTransparency() const override {
    return pixel_format_ == pf32bit && alpha_format_ != afIgnored;
  }

  // Row `row` (0 = top) of the pixels. EInvalidGraphicOperation for a row
  // out of range or a device bitmap (which has no pixels of its own).
  void* ScanLine(int32_t row);
  // Bytes from one row to the next.
  int32_t RowStride() const { return stride_; }

  TColor TransparentColor() const;
  // Fixes the transparent colour (clDefault goes back to tmAuto).
  void SetTransparentColor(TColor value);
  TTransparentMode TransparentMode() const { return transparent_mode_; }
  void SetTransparentMode(TTransparentMode value);

  // For 1-, 4- and 8-bit bitmaps, the palette of their colour table.
  HPALETTE Palette() const override;
  // Takes ownership of `palette`; its entries become the colour table.
  void SetPalette(HPALETTE palette) override;

  // BMP files: headers of 12, 40, 52, 56, 108 or 124 bytes, 1/4/8/16/24/32
  // bits, uncompressed, bit fields or run-length encoded, bottom-up or
  // top-down. Writes an uncompressed bottom-up BMP with a 40-byte header.
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) const override;
  // The BMP preceded by its size in 4 bytes, as forms store bitmaps.
  void ReadData(TStream& stream) override;
  void WriteData(TStream& stream) const override;

  // CF_BITMAP: a copy of the given bitmap / a copy for the clipboard.
  void LoadFromClipboardFormat(uint16_t format, HANDLE data, HPALETTE palette) override;
  void SaveToClipboardFormat(uint16_t& format, HANDLE& data, HPALETTE& palette) const override;

 protected:
  void Draw(TCanvas& canvas, const TRect& rect) override;

 private:
  friend class TBitmapCanvas;
  struct Image;
  // Replaces the pixels by `image` (freeing the canvas's DC first).
  void TakeImage(Image&& image);
  // New pixels of the size and format; `colors` (or the format's default
  // table when empty) for 1-, 4- and 8-bit formats.
  static Image MakeImage(int32_t width, int32_t height, TPixelFormat format, std::vector<RGBQUAD> colors);
  void FreeImage();
  void CanvasChanged(TObject* sender);

  HBITMAP handle_ = nullptr;
  uint8_t* bits_ = nullptr;  // section pixels, bottom row first; nullptr for pfDevice
  int32_t stride_ = 0;
  bool top_down_ = false;  // a taken-over section stored top row first
  int32_t width_ = 0;
  int32_t height_ = 0;
  TPixelFormat pixel_format_ = pf32bit;
  TAlphaFormat alpha_format_ = afIgnored;
  std::vector<RGBQUAD> colors_;  // colour table of 1-, 4- and 8-bit sections
  mutable HPALETTE palette_ = nullptr;
  TColor transparent_color_ = clDefault;
  TTransparentMode transparent_mode_ = tmAuto;
  std::unique_ptr<TBitmapCanvas> canvas_;
};
