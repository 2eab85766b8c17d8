#pragma once
// TCanvas: drawing on a device context with the framework's font, pen and
// brush. The context is set (SetHandle) or made on demand by CreateHandle,
// which derived canvases override (a bitmap's memory DC, a control's DC).
// Font, pen and brush are selected lazily before each drawing call that
// needs them and reselected when they change. Every drawing call goes
// straight to the platform function through the import table, announced by
// Changing before and Changed after.

#include "vcl/win_api.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

#include "rtl/classes.h"
#include "vcl/geometry.h"
#include "vcl/graphics_objects.h"

class TGraphic;

RD_ENUM(TCanvasStateFlag, csHandleValid, csFontValid, csPenValid, csBrushValid)
using TCanvasState = TSet<TCanvasStateFlag>;
inline constexpr TCanvasState csAllValid{csHandleValid, csFontValid, csPenValid, csBrushValid};

// A raster operation of the platform (SRCCOPY, SRCPAINT, ...).
using TCopyMode = uint32_t;

class TCanvas : public TPersistent {
  RD_CLASS(TCanvas, TPersistent)
  TCanvas();
  // Deselects the framework's objects from the context; the context itself
  // belongs to whoever set it (derived canvases free their own).
  ~TCanvas() override;

  // The context with font, pen and brush selected; made by CreateHandle when
  // there is none. EInvalidOperation "Canvas does not allow drawing" when
  // none can be made.
  HDC Handle();
  // Takes a context the caller keeps owning (0 detaches the current one).
  void SetHandle(HDC handle);
  bool HandleAllocated() const { return handle_ != nullptr; }

  // Serialises drawing from several threads (recursive).
  void Lock();
  void Unlock();
  bool TryLock();
  int32_t LockCount() const { return lock_count_; }

  TFont& Font() { return *font_; }
  TPen& Pen() { return *pen_; }
  TBrush& Brush() { return *brush_; }
  void SetFont(const TFont& value) { font_->Assign(&value); }
  void SetPen(const TPen& value) { pen_->Assign(&value); }
  void SetBrush(const TBrush& value) { brush_->Assign(&value); }

  TCopyMode CopyMode() const { return copy_mode_; }
  void SetCopyMode(TCopyMode value) { copy_mode_ = value; }
  TPoint PenPos();
  void SetPenPos(TPoint value) { MoveTo(value.X, value.Y); }
  // The part of the context drawing can reach (the clip box).
  TRect ClipRect();
  TColor Pixels(int32_t x, int32_t y);
  void SetPixels(int32_t x, int32_t y, TColor color);

  void FillRect(const TRect& rect);
  void FrameRect(const TRect& rect);
  void DrawFocusRect(const TRect& rect);
  void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void Rectangle(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
  void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void Ellipse(const TRect& rect) { Ellipse(rect.Left, rect.Top, rect.Right, rect.Bottom); }
  void RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t corner_width, int32_t corner_height);
  void MoveTo(int32_t x, int32_t y);
  void LineTo(int32_t x, int32_t y);
  void Polyline(std::span<const TPoint> points);
  void Polygon(std::span<const TPoint> points);

  // Text at (x, y) in the font, with the brush behind it unless the brush is
  // clear; moves the pen position to the end of the text.
  void TextOut(int32_t x, int32_t y, StringView text);
  // Text at (x, y) clipped to `rect`; a brush that is not clear fills `rect`.
  void TextRect(const TRect& rect, int32_t x, int32_t y, StringView text);
  // Formatted text in `rect` (DT_... flags); with DT_CALCRECT `rect` gets the
  // size the text needs and nothing is drawn.
  void TextRect(TRect& rect, StringView text, uint32_t format);
  TSize TextExtent(StringView text);
  int32_t TextWidth(StringView text) { return TextExtent(text).cx; }
  int32_t TextHeight(StringView text) { return TextExtent(text).cy; }
  // ETO_... flags added to every text output (such as ETO_RTLREADING).
  uint32_t TextFlags() const { return text_flags_; }
  void SetTextFlags(uint32_t value) { text_flags_ = value; }

  // The graphic at its own size with its top-left corner at (x, y), or
  // stretched into `rect`; nothing for an empty graphic.
  void Draw(int32_t x, int32_t y, TGraphic* graphic);
  // The same, blended over the canvas with `opacity` (255 = Draw).
  void Draw(int32_t x, int32_t y, TGraphic* graphic, uint8_t opacity);
  void StretchDraw(const TRect& rect, TGraphic* graphic);
  // `source_rect` of `source` into `dest_rect`, stretched, with CopyMode.
  void CopyRect(const TRect& dest_rect, TCanvas& source, const TRect& source_rect);

  // Deselects font, pen and brush; they are selected again when needed.
  void Refresh();

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

  virtual void Changing();
  virtual void Changed();

  // Makes sure the context exists and the objects in `state` are selected.
  void RequiredState(TCanvasState state);

 protected:
  // Makes a context and sets it with SetHandle; the base makes none.
  virtual void CreateHandle() {}
  // Puts `font` in place of the canvas's font object (a derived canvas's own
  // font class); it takes the current attributes and the change handler.
  void ReplaceFont(std::unique_ptr<TFont> font);

 private:
  void DeselectHandles();
  void SelectFont();
  void SelectPen();
  void SelectBrush();
  void FontChanged(TObject* sender);
  void PenChanged(TObject* sender);
  void BrushChanged(TObject* sender);
  HDC Prepare(TCanvasState state);
  // The context ready for a graphic's own drawing.
  void PrepareGraphic();

  HDC handle_ = nullptr;
  TCanvasState state_;
  std::unique_ptr<TFont> font_;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
  TCopyMode copy_mode_ = SRCCOPY;
  uint32_t text_flags_ = 0;
  std::recursive_mutex lock_;
  int32_t lock_count_ = 0;
};

// What a control canvas draws on: the controls implement it (a window's
// context, or its parent's for a windowless control) and say which window
// the context belongs to, so that it can be given back. The context comes
// from a TWindowDC (handle_owners.h) given up with Release; the canvas
// returns it with ReleaseWindowDC.
class TDeviceContextSource {
 public:
  virtual HDC GetDeviceContext(HWND& window) = 0;

 protected:
  virtual ~TDeviceContextSource() = default;
};

// The canvas of a control: takes the control's device context when first
// drawn on and gives it back in FreeHandle (or FreeDeviceContexts, which
// the message loop calls when idle, or destruction).
class TControlCanvas : public TCanvas {
  RD_CLASS(TControlCanvas, TCanvas)
  TControlCanvas() = default;
  ~TControlCanvas() override;

  TDeviceContextSource* Control() const { return control_; }
  // The window whose context the canvas holds (none without context).
  HWND Window() const { return window_; }
  void SetControl(TDeviceContextSource* control);
  void FreeHandle();

 protected:
  void CreateHandle() override;

 private:
  TDeviceContextSource* control_ = nullptr;
  HDC device_context_ = nullptr;
  HWND window_ = nullptr;
};

// Gives back the device contexts of all control canvases not locked by a
// drawing thread. Main thread only, like the controls.
void FreeDeviceContexts();
// Gives back the device contexts taken from `window` (before it goes).
void FreeDeviceContextsOf(HWND window);
