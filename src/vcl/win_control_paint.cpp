// How a windowed control paints: its background, its own drawing and its
// windowless children, on screen, double-buffered, or into a device context
// someone else gives it (WM_PAINT with a DC, WM_PRINT, WM_PRINTCLIENT).

#include <algorithm>
#include <optional>

#include "vcl/handle_owners.h"
#include "vcl/win_control.h"
#include "vcl/win_geometry.h"

void TWinControl::WMPaint(TMessage& message) {
  TWMPaint paint{message};
  if (paint.DC() || !double_buffered_) {
    PaintHandler(message);
    return;
  }
  // Double buffering: everything is drawn into a bitmap of the screen's
  // format first and copied to the window in one go.
  TPaintDC window_dc(handle_);
  if (!window_dc.Handle()) return;
  const TRect client = ClientRect();
  TMemoryBuffer buffer(window_dc.Handle(), client.Right, client.Bottom);
  if (!buffer.Valid()) {
    paint.SetDC(window_dc.Handle());
    PaintHandler(message);
    paint.SetDC(nullptr);
    return;
  }
  // WParam equal to LParam: the framework's own erase, which double
  // buffering does not skip.
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(buffer.Handle()), reinterpret_cast<LPARAM>(buffer.Handle()));
  paint.SetDC(buffer.Handle());
  PaintHandler(message);
  paint.SetDC(nullptr);
  BitBlt(window_dc.Handle(), 0, 0, client.Right, client.Bottom, buffer.Handle(), 0, 0, SRCCOPY);
}

void TWinControl::PaintHandler(TMessage& message) {
  HDC dc = TWMPaint{message}.DC();
  std::optional<TPaintDC> paint;
  if (!dc) {
    paint.emplace(handle_);
    dc = paint->Handle();
    if (!dc) return;
  }
  if (controls_.empty()) {
    PaintWindow(dc);
    return;
  }
  {
    // The own drawing stays out from under opaque children: they cover it.
    TSavedDC saved(dc);
    for (TControl* child : controls_) {
      if (child->Visible() && child->ControlStyle().Contains(csOpaque)) {
        const TRect r = child->BoundsRect();
        ExcludeClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
      }
    }
    PaintWindow(dc);
  }
  PaintControls(dc, nullptr);
}

void TWinControl::PaintWindow(HDC dc) {
  // A native control draws itself into a given context through WM_PRINTCLIENT.
  if (NativeClass()) {
    CallWindowProcW(default_wnd_proc_, handle_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  }
}

void TWinControl::PaintControls(HDC dc, TControl* first) {
  auto start = std::find(controls_.begin(), controls_.end(), first);
  if (start == controls_.end()) start = controls_.begin();
  const bool copy = ControlState().Contains(csPaintCopy);
  // A child's paint may change the list (a child hidden or freed): walk a copy.
  const std::vector<TControl*> children(start, controls_.end());
  for (TControl* child : children) {
    if (!child->Visible() || child->ControlState().Contains(csDesignerHide)) continue;
    const RECT bounds = ToWinRect(child->BoundsRect());
    if (!RectVisible(dc, &bounds)) continue;
    if (copy) child->SetControlState(child->ControlState() + TControlState{csPaintCopy});
    {
      TSavedDC saved(dc);
      POINT origin{};
      GetWindowOrgEx(dc, &origin);
      SetWindowOrgEx(dc, origin.x - bounds.left, origin.y - bounds.top, nullptr);
      IntersectClipRect(dc, 0, 0, child->Width(), child->Height());
      child->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }
    if (copy) child->SetControlState(child->ControlState() - TControlState{csPaintCopy});
  }
}

void TWinControl::WMEraseBkgnd(TMessage& message) {
  // A double-buffered control erases inside its buffer; the system's erase
  // of the window would only flicker.
  if (double_buffered_ && message.WParam != static_cast<WPARAM>(message.LParam)) {
    message.Result = 1;
    return;
  }
  if (NativeClass()) {
    DefaultHandler(message);
    return;
  }
  HDC dc = TWMPaint{message}.DC();
  RECT clip{};
  if (GetClipBox(dc, &clip) != NULLREGION) FillRect(dc, &clip, brush_->Handle());
  message.Result = 1;
}

void TWinControl::WMPrintClient(TMessage& message) {
  if (NativeClass()) {
    DefaultHandler(message);
    return;
  }
  if (message.LParam & PRF_ERASEBKGND) Perform(WM_ERASEBKGND, message.WParam, message.WParam);
  if (message.LParam & PRF_CLIENT) Perform(WM_PAINT, message.WParam, 0);
}

void TWinControl::WMPrint(TMessage& message) {
  HDC dc = TWMPaint{message}.DC();
  const auto flags = static_cast<uint32_t>(message.LParam);
  if ((flags & PRF_CHECKVISIBLE) && !IsWindowVisible(handle_)) return;
  if (flags & PRF_NONCLIENT) {
    TMessage frame{WM_PRINT, message.WParam, PRF_NONCLIENT, 0};
    DefaultHandler(frame);
  }
  if (!(flags & (PRF_CLIENT | PRF_ERASEBKGND))) return;
  // The client area starts at the frame's width inside the window.
  RECT window{}, client{};
  GetWindowRect(handle_, &window);
  ::GetClientRect(handle_, &client);
  MapWindowPoints(handle_, nullptr, reinterpret_cast<POINT*>(&client), 2);
  TSavedDC saved(dc);
  OffsetViewportOrgEx(dc, client.left - window.left, client.top - window.top, nullptr);
  IntersectClipRect(dc, 0, 0, client.right - client.left, client.bottom - client.top);
  Perform(WM_PRINTCLIENT, message.WParam, static_cast<LPARAM>(flags & (PRF_CLIENT | PRF_ERASEBKGND)));
}

void TWinControl::PaintTo(HDC dc, int32_t x, int32_t y) {
  HandleNeeded();
  TSavedDC saved(dc);
  OffsetViewportOrgEx(dc, x, y, nullptr);
  Perform(WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_NONCLIENT | PRF_ERASEBKGND | PRF_CLIENT);
  RECT window{};
  GetWindowRect(handle_, &window);
  POINT client_origin{0, 0};
  ::ClientToScreen(handle_, &client_origin);
  for (TWinControl* child : win_controls_) {
    if (!child->Visible() || !child->HandleAllocated()) continue;
    child->PaintTo(dc, client_origin.x - window.left + child->Left(), client_origin.y - window.top + child->Top());
  }
}
