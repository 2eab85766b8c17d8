#include "vcl/canvas.h"

#include <algorithm>
#include <vector>

#include "rtl/wide_string.h"
#include "vcl/graphic.h"
#include "vcl/handle_owners.h"
#include "vcl/win_geometry.h"

namespace {

const wchar_t* WideText(StringView text) { return reinterpret_cast<const wchar_t*>(text.data()); }
int TextLength(StringView text) { return static_cast<int>(std::min<size_t>(text.size(), INT32_MAX)); }

std::vector<POINT> ToWinPoints(std::span<const TPoint> points) {
  std::vector<POINT> result;
  result.reserve(points.size());
  for (const TPoint& p : points) result.push_back({p.X, p.Y});
  return result;
}

}  // namespace

RD_DEFINE_CLASS(TCanvas)

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {
  font_->OnChange = MakeEvent<&TCanvas::FontChanged>(this);
  pen_->OnChange = MakeEvent<&TCanvas::PenChanged>(this);
  brush_->OnChange = MakeEvent<&TCanvas::BrushChanged>(this);
}

TCanvas::~TCanvas() { SetHandle(nullptr); }

HDC TCanvas::Handle() {
  RequiredState(csAllValid);
  return handle_;
}

void TCanvas::SetHandle(HDC handle) {
  if (handle == handle_) return;
  DeselectHandles();
  handle_ = handle;
  state_ = handle ? TCanvasState{csHandleValid} : TCanvasState{};
}

void TCanvas::RequiredState(TCanvasState state) {
  const TCanvasState needed = state - state_;
  if (needed.Empty()) return;
  if (needed.Contains(csHandleValid)) {
    CreateHandle();
    if (!handle_) throw EInvalidOperation(u"Canvas does not allow drawing");
  }
  if (needed.Contains(csFontValid)) SelectFont();
  if (needed.Contains(csPenValid)) SelectPen();
  if (needed.Contains(csBrushValid)) SelectBrush();
  state_ = state_ + state;
}

HDC TCanvas::Prepare(TCanvasState state) {
  Changing();
  RequiredState(state + TCanvasState{csHandleValid});
  return handle_;
}

void TCanvas::SelectFont() {
  SelectObject(handle_, font_->Handle());
  SetTextColor(handle_, static_cast<COLORREF>(ColorToRGB(font_->Color())));
}

void TCanvas::SelectPen() {
  SelectObject(handle_, pen_->Handle());
  SetROP2(handle_, PenModeToRop2(pen_->Mode()));
}

void TCanvas::SelectBrush() {
  HBRUSH brush = brush_->Handle();
  UnrealizeObject(brush);
  SelectObject(handle_, brush);
  const COLORREF color = static_cast<COLORREF>(ColorToRGB(brush_->Color()));
  if (brush_->Style() == bsSolid) {
    SetBkColor(handle_, color);
    SetBkMode(handle_, OPAQUE);
  } else {
    // Hatches are drawn only where the background colour differs from the
    // brush colour; the transparent mode keeps the background itself away.
    SetBkColor(handle_, ~color & 0xFFFFFF);
    SetBkMode(handle_, TRANSPARENT);
  }
}

void TCanvas::DeselectHandles() {
  if (!handle_) return;
  if (state_.Contains(csFontValid)) SelectObject(handle_, GetStockObject(SYSTEM_FONT));
  if (state_.Contains(csPenValid)) SelectObject(handle_, GetStockObject(BLACK_PEN));
  if (state_.Contains(csBrushValid)) SelectObject(handle_, GetStockObject(HOLLOW_BRUSH));
  state_ = state_ - TCanvasState{csFontValid, csPenValid, csBrushValid};
}

void TCanvas::Refresh() { DeselectHandles(); }

// A changed object is deselected at once: the cache may delete its old handle
// as soon as this returns.
void TCanvas::FontChanged(TObject*) {
  if (!state_.Contains(csFontValid)) return;
  SelectObject(handle_, GetStockObject(SYSTEM_FONT));
  state_.Exclude(csFontValid);
}

void TCanvas::PenChanged(TObject*) {
  if (!state_.Contains(csPenValid)) return;
  SelectObject(handle_, GetStockObject(BLACK_PEN));
  state_.Exclude(csPenValid);
}

void TCanvas::BrushChanged(TObject*) {
  if (!state_.Contains(csBrushValid)) return;
  SelectObject(handle_, GetStockObject(HOLLOW_BRUSH));
  state_.Exclude(csBrushValid);
}

void TCanvas::ReplaceFont(std::unique_ptr<TFont> font) {
  font->Assign(font_.get());
  FontChanged(font_.get());
  font->OnChange = font_->OnChange;
  font_ = std::move(font);
}

void TCanvas::Lock() {
  lock_.lock();
  ++lock_count_;
}

void TCanvas::Unlock() {
  --lock_count_;
  lock_.unlock();
}

bool TCanvas::TryLock() {
  if (!lock_.try_lock()) return false;
  ++lock_count_;
  return true;
}

void TCanvas::Changing() { OnChanging(this); }
void TCanvas::Changed() { OnChange(this); }

TPoint TCanvas::PenPos() {
  RequiredState({csHandleValid});
  POINT p{};
  GetCurrentPositionEx(handle_, &p);
  return {p.x, p.y};
}

TRect TCanvas::ClipRect() {
  RequiredState({csHandleValid});
  RECT r{};
  GetClipBox(handle_, &r);
  return FromWinRect(r);
}

TColor TCanvas::Pixels(int32_t x, int32_t y) {
  RequiredState({csHandleValid});
  return static_cast<TColor>(GetPixel(handle_, x, y));
}

void TCanvas::SetPixels(int32_t x, int32_t y, TColor color) {
  HDC dc = Prepare({csPenValid});
  ::SetPixel(dc, x, y, static_cast<COLORREF>(ColorToRGB(color)));
  Changed();
}

void TCanvas::FillRect(const TRect& rect) {
  HDC dc = Prepare({csBrushValid});
  const RECT r = ToWinRect(rect);
  ::FillRect(dc, &r, brush_->Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& rect) {
  HDC dc = Prepare({csBrushValid});
  const RECT r = ToWinRect(rect);
  ::FrameRect(dc, &r, brush_->Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& rect) {
  HDC dc = Prepare({csBrushValid});
  const RECT r = ToWinRect(rect);
  ::DrawFocusRect(dc, &r);
  Changed();
}

void TCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  HDC dc = Prepare({csPenValid, csBrushValid});
  ::Rectangle(dc, x1, y1, x2, y2);
  Changed();
}

void TCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  HDC dc = Prepare({csPenValid, csBrushValid});
  ::Ellipse(dc, x1, y1, x2, y2);
  Changed();
}

void TCanvas::RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t corner_width,
                        int32_t corner_height) {
  HDC dc = Prepare({csPenValid, csBrushValid});
  ::RoundRect(dc, x1, y1, x2, y2, corner_width, corner_height);
  Changed();
}

void TCanvas::MoveTo(int32_t x, int32_t y) {
  RequiredState({csHandleValid});
  MoveToEx(handle_, x, y, nullptr);
}

void TCanvas::LineTo(int32_t x, int32_t y) {
  HDC dc = Prepare({csPenValid, csBrushValid});
  ::LineTo(dc, x, y);
  Changed();
}

void TCanvas::Polyline(std::span<const TPoint> points) {
  const std::vector<POINT> win_points = ToWinPoints(points);
  HDC dc = Prepare({csPenValid, csBrushValid});
  ::Polyline(dc, win_points.data(), static_cast<int>(win_points.size()));
  Changed();
}

void TCanvas::Polygon(std::span<const TPoint> points) {
  const std::vector<POINT> win_points = ToWinPoints(points);
  HDC dc = Prepare({csPenValid, csBrushValid});
  ::Polygon(dc, win_points.data(), static_cast<int>(win_points.size()));
  Changed();
}

void TCanvas::TextOut(int32_t x, int32_t y, StringView text) {
  HDC dc = Prepare({csFontValid, csBrushValid});
  ExtTextOutW(dc, x, y, text_flags_, nullptr, WideText(text), static_cast<UINT>(TextLength(text)), nullptr);
  Changed();
  MoveTo(x + TextWidth(text), y);
}

void TCanvas::TextRect(const TRect& rect, int32_t x, int32_t y, StringView text) {
  HDC dc = Prepare({csFontValid, csBrushValid});
  UINT options = ETO_CLIPPED | text_flags_;
  if (brush_->Style() != bsClear) options |= ETO_OPAQUE;
  const RECT r = ToWinRect(rect);
  ExtTextOutW(dc, x, y, options, &r, WideText(text), static_cast<UINT>(TextLength(text)), nullptr);
  Changed();
}

void TCanvas::TextRect(TRect& rect, StringView text, uint32_t format) {
  const bool measuring = (format & DT_CALCRECT) != 0;
  HDC dc = nullptr;
  if (measuring) {
    RequiredState({csHandleValid, csFontValid});
    dc = handle_;
  } else {
    dc = Prepare({csFontValid, csBrushValid});
  }
  // DT_MODIFYSTRING may write into the text: give it a private copy.
  String copy(text);
  copy.resize(copy.size() + 4);
  RECT r = ToWinRect(rect);
  DrawTextW(dc, WideBuffer(copy), TextLength(text), &r, format);
  if (measuring) {
    rect = FromWinRect(r);
  } else {
    Changed();
  }
}

TSize TCanvas::TextExtent(StringView text) {
  RequiredState({csHandleValid, csFontValid});
  SIZE size{};
  GetTextExtentPoint32W(handle_, WideText(text), TextLength(text), &size);
  return {size.cx, size.cy};
}

void TCanvas::Draw(int32_t x, int32_t y, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  StretchDraw(Bounds(x, y, graphic->Width(), graphic->Height()), graphic);
}

void TCanvas::Draw(int32_t x, int32_t y, TGraphic* graphic, uint8_t opacity) {
  if (!graphic || graphic->Empty()) return;
  PrepareGraphic();
  graphic->DrawTransparent(*this, Bounds(x, y, graphic->Width(), graphic->Height()), opacity);
  Changed();
}

void TCanvas::PrepareGraphic() {
  HDC dc = Prepare({});
  // Monochrome pictures draw in the font colour on the brush colour.
  SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(brush_->Color())));
  SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(font_->Color())));
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  PrepareGraphic();
  graphic->Draw(*this, rect);
  Changed();
}

void TCanvas::CopyRect(const TRect& dest_rect, TCanvas& source, const TRect& source_rect) {
  HDC dc = Prepare({csFontValid, csBrushValid});
  source.RequiredState({csHandleValid, csBrushValid});
  StretchBlt(dc, dest_rect.Left, dest_rect.Top, dest_rect.Width(), dest_rect.Height(), source.handle_,
             source_rect.Left, source_rect.Top, source_rect.Width(), source_rect.Height(), copy_mode_);
  Changed();
}

// ---- TControlCanvas

namespace {

std::mutex& ControlCanvasListLock() {
  static std::mutex lock;
  return lock;
}
std::vector<TControlCanvas*>& ControlCanvasList() {
  static std::vector<TControlCanvas*> list;
  return list;
}

}  // namespace

RD_DEFINE_CLASS(TControlCanvas)

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TDeviceContextSource* control) {
  if (control == control_) return;
  FreeHandle();
  control_ = control;
}

void TControlCanvas::CreateHandle() {
  if (!control_) return;
  if (!device_context_) {
    HWND window = nullptr;
    HDC dc = control_->GetDeviceContext(window);
    if (!dc) return;
    device_context_ = dc;
    window_ = window;
    std::lock_guard lock(ControlCanvasListLock());
    ControlCanvasList().push_back(this);
  }
  SetHandle(device_context_);
}

void TControlCanvas::FreeHandle() {
  if (!device_context_) return;
  SetHandle(nullptr);
  ReleaseWindowDC(window_, device_context_);
  device_context_ = nullptr;
  window_ = nullptr;
  std::lock_guard lock(ControlCanvasListLock());
  std::erase(ControlCanvasList(), this);
}

namespace {

// Frees the contexts of the canvases `selected` picks, skipping the ones a
// drawing thread holds locked.
template <class Select>
void FreeSelectedDeviceContexts(Select selected) {
  std::vector<TControlCanvas*> canvases;
  {
    std::lock_guard lock(ControlCanvasListLock());
    canvases = ControlCanvasList();
  }
  for (TControlCanvas* canvas : canvases) {
    if (selected(*canvas) && canvas->TryLock()) {  // a canvas being drawn on keeps its context
      canvas->FreeHandle();
      canvas->Unlock();
    }
  }
}

}  // namespace

void FreeDeviceContexts() {
  FreeSelectedDeviceContexts([](const TControlCanvas&) { return true; });
}

void FreeDeviceContextsOf(HWND window) {
  FreeSelectedDeviceContexts([window](const TControlCanvas& canvas) { return canvas.Window() == window; });
}
