// The mouse among controls: one capture for the whole framework, mouse
// messages of a window passed on to the windowless child under the mouse,
// enter and leave per window, and the cursor of the control under the mouse.

#include "vcl/application_hooks.h"
#include "vcl/control_access.h"
#include "vcl/replaceable.h"
#include "vcl/win_control.h"

namespace {

// The windowless control holding the capture (its host window holds the
// platform's capture). Main thread only, like the controls.
TControl* g_capture_control = nullptr;

bool IsMouseMessage(UINT msg) { return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST; }
// The wheels carry screen coordinates, the other mouse messages client ones.
bool IsWheelMessage(UINT msg) { return msg == WM_MOUSEWHEEL || msg == WM_MOUSEHWHEEL; }

TWinControl* HostWindow(TControl* control) {
  if (auto* window = ObjectAs<TWinControl>(control)) return window;
  return control ? control->Parent() : nullptr;
}

}  // namespace

TControl* TControlAccess::CaptureControlField() { return g_capture_control; }
void TControlAccess::SetCaptureControlField(TControl* control) { g_capture_control = control; }

TControl* GetCaptureControl() {
  TWinControl* window = FindControl(GetCapture());
  if (window && g_capture_control && g_capture_control->Parent() == window) return g_capture_control;
  return window;
}

void SetCaptureControl(TControl* control) {
  TWinControl* host = HostWindow(control);
  if (control && (!host || !host->HandleAllocated())) return;
  // ReleaseCapture sends WM_CAPTURECHANGED, which clears the windowless
  // capture: take the new one only afterwards.
  if (GetCapture()) ReleaseCapture();
  g_capture_control = nullptr;
  if (!control) return;
  if (!control->Is<TWinControl>()) g_capture_control = control;
  SetCapture(host->Handle());
}

void TWinControl::UpdateMouseControl(TPoint pos, bool inside) {
  last_mouse_pos_ = pos;
  last_mouse_inside_ = inside;
  // While the mouse is captured here, the control under it stays the one
  // that took the capture: leave is held back until the capture ends.
  if (handle_ && GetCapture() == handle_) return;
  TControl* target = nullptr;
  if (inside) {
    target = ControlAtPos(pos, true);
    if (!target) target = this;
  }
  if (target == mouse_control_) return;
  TControl* old = mouse_control_;
  mouse_control_ = target;
  if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
  if (target) target->Perform(CM_MOUSEENTER, 0, 0);
}

bool TControlAccess::WinControlSpecialCases(TWinControl& window, TMessage& message) {
  switch (message.Msg) {
    case WM_MOUSEMOVE: {
      const TPoint pos = PointFromLParam(message.LParam);
      window.UpdateMouseControl(pos, window.ClientRect().Contains(pos));
      if (!window.tracking_mouse_ && window.HandleAllocated()) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window.Handle(), 0};
        window.tracking_mouse_ = TrackMouseEvent(&track) != FALSE;
      }
      return false;
    }
    case WM_MOUSELEAVE:
      window.tracking_mouse_ = false;
      window.UpdateMouseControl(window.last_mouse_pos_, false);
      return false;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      if (g_capture_control && g_capture_control->Parent() == &window) g_capture_control = nullptr;
      if (message.Msg == WM_CANCELMODE && GetCapture() == window.handle_) ReleaseCapture();
      // The capture ended: whatever the mouse left meanwhile is told now.
      if (!window.handle_ || GetCapture() != window.handle_) {
        window.UpdateMouseControl(window.last_mouse_pos_, window.last_mouse_inside_);
      }
      return false;
    default:
      return false;
  }
}

bool TControlAccess::RouteMouseToChild(TWinControl& window, TMessage& message) {
  if (!IsMouseMessage(message.Msg)) return false;
  TControl* target = nullptr;
  TPoint pos = PointFromLParam(message.LParam);
  const bool wheel = IsWheelMessage(message.Msg);
  if (wheel && window.HandleAllocated()) {
    POINT p{pos.X, pos.Y};
    ::ScreenToClient(window.Handle(), &p);
    pos = {p.x, p.y};
  }
  if (window.HandleAllocated() && GetCapture() == window.Handle()) {
    if (g_capture_control && g_capture_control->Parent() == &window) target = g_capture_control;
  } else {
    target = window.ControlAtPos(pos, false);
  }
  if (!target) return false;
  // The wheel keeps its screen position; the others get the child's.
  const LPARAM lparam = wheel ? message.LParam : PointToLParam({pos.X - target->Left(), pos.Y - target->Top()});
  message.Result = target->Perform(message.Msg, message.WParam, lparam);
  // The wheel has bubbled up through the controls already.
  if (message.Result == 0 && window.HandleAllocated() && !wheel) {
    message.Result = DefWindowProcW(window.Handle(), message.Msg, message.WParam, message.LParam);
  }
  return true;
}

void TWinControl::WMSetCursor(TMessage& message) { WinControlWMSetCursorSlot(*this, message); }

void DefaultWinControlWMSetCursor(TWinControl& control, TMessage& message) {
  const TWMSetCursor set_cursor{message};
  if (control.HandleAllocated() && set_cursor.CursorWnd() == control.Handle() && set_cursor.HitTest() == HTCLIENT) {
    POINT cursor{};
    GetCursorPos(&cursor);
    TCursor shape = crDefault;
    if (TControl* child = control.ControlAtPos(control.ScreenToClient({cursor.x, cursor.y}), false)) {
      shape = child->Cursor();
    }
    if (shape == crDefault) shape = control.Cursor();
    if (shape != crDefault) {
      ::SetCursor(CursorHandleHook(shape));
      message.Result = 1;
      return;
    }
  }
  control.DefaultHandler(message);
}
