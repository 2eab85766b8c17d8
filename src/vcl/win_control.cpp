#include "vcl/win_control.h"

#include <algorithm>

#include "rtl/format.h"
#include "rtl/numbers.h"
#include "rtl/syserror.h"
#include "rtl/wide_string.h"
#include "vcl/application_hooks.h"
#include "vcl/control_access.h"
#include "vcl/handle_owners.h"
#include "vcl/replaceable.h"
#include "vcl/win_geometry.h"

RD_DEFINE_CLASS(TWinControl)

namespace {

// The window property that binds a window to its control. The name holds
// the process id, so a window of another process never answers with a
// pointer that would be meaningless here.
const wchar_t* ControlPropertyName() {
  static const std::wstring name = [] {
    wchar_t text[32];
    wsprintfW(text, L"RdControl%08X", GetCurrentProcessId());
    return std::wstring(text);
  }();
  return name.c_str();
}

// The control whose window is being created on this thread: its first
// message binds it (the window procedure cannot be told otherwise before
// CreateWindowEx returns).
thread_local TWinControl* t_creating_control = nullptr;

}  // namespace

TWinControl* FindControl(HWND window) {
  if (!window) return nullptr;
  DWORD process = 0;
  if (!GetWindowThreadProcessId(window, &process) || process != GetCurrentProcessId()) return nullptr;
  return static_cast<TWinControl*>(GetPropW(window, ControlPropertyName()));
}

TWinControl* FindVCLWindow(TPoint screen_pos) {
  HWND window = WindowFromPoint({screen_pos.X, screen_pos.Y});
  for (; window; window = GetParent(window)) {
    if (TWinControl* control = FindControl(window)) return control;
  }
  return nullptr;
}

TWinControl::TWinControl(TComponent* owner)
    : TControl(owner), brush_(std::make_unique<TBrush>()), padding_(std::make_unique<TPadding>()) {
  brush_->SetColor(Color());
  brush_->OnChange = MakeEvent<&TWinControl::BrushChanged>(this);
  padding_->OnChange = MakeEvent<&TWinControl::PaddingChanged>(this);
}

// The children go while the window still exists (their canvases may hold
// its device context); this control leaves its parent while it still is a
// windowed control.
TWinControl::~TWinControl() {
  Destroying();
  while (ControlCount() > 0) {
    TControl* last = Controls(ControlCount() - 1);
    RemoveControl(last);
    delete last;
  }
  if (Parent()) Parent()->RemoveControl(this);
  DestroyHandle();
}

void TWinControl::BeforeDestruction() {
  TControl::BeforeDestruction();
  for (int32_t i = ControlCount() - 1; i >= 0; --i) {
    TControl* child = Controls(i);
    if (child->Owner() != this) child->BeforeDestruction();
  }
}

// ---- The window

LRESULT CALLBACK TWinControl::InitWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  TWinControl* control = t_creating_control;
  if (!control) return DefWindowProcW(window, msg, wparam, lparam);
  t_creating_control = nullptr;
  control->handle_ = window;
  SetPropW(window, ControlPropertyName(), control);
  SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StandardWndProc));
  CountFrameworkWindow(1);
  return StandardWndProc(window, msg, wparam, lparam);
}

// Every message of a control's window comes through here. No exception may
// unwind into the system's frames: errors go to the application's handler.
LRESULT CALLBACK TWinControl::StandardWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  TWinControl* control = FindControl(window);
  if (!control) return DefWindowProcW(window, msg, wparam, lparam);
  TMessage message{msg, wparam, lparam, 0};
  try {
    control->WindowProc(message);
  } catch (...) {
    HandleApplicationError(control, std::current_exception());
  }
  if (msg == WM_NCDESTROY) {
    RemovePropW(window, ControlPropertyName());
    control->handle_ = nullptr;
    control->showing_ = false;
    control->tracking_mouse_ = false;
    CountFrameworkWindow(-1);
  }
  return message.Result;
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return handle_;
}

void TWinControl::HandleNeeded() {
  if (handle_) return;
  if (Parent()) Parent()->HandleNeeded();
  CreateHandle();
}

void TWinControl::SetParentWindow(HWND value) {
  if (value == parent_window_) return;
  if (Parent()) throw EInvalidOperation(Format(u"Control '%s' has a parent already", {Name()}));
  DestroyHandle();
  parent_window_ = value;
  UpdateControlState();
}

void TWinControl::CreateParams(TCreateParams& params) {
  params = TCreateParams{};
  params.Caption = GetText();
  params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (ControlStyle().Contains(csAcceptsControls)) params.Style |= WS_CLIPCHILDREN;
  if (tab_stop_) params.Style |= WS_TABSTOP;
  if (!Enabled()) params.Style |= WS_DISABLED;
  params.X = left_;
  params.Y = top_;
  params.Width = width_;
  params.Height = height_;
  params.WndParent = Parent() ? Parent()->Handle() : parent_window_;
  params.WindowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  params.WindowClass.lpfnWndProc = &DefWindowProcW;
  params.WindowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  params.WindowClass.hInstance = GetModuleHandleW(nullptr);
  params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& params, const wchar_t* class_name) {
  WNDCLASSW native{};
  if (!GetClassInfoW(nullptr, class_name, &native)) {
    throw EOSError(Format(u"Window class %s is not available", {FromWide(class_name)}));
  }
  // Keep the instance and name of our own class; take the rest from the native one.
  native.hInstance = params.WindowClass.hInstance;
  native.lpszClassName = nullptr;
  params.WindowClass = native;
}

namespace {

bool SameWindowClass(const WNDCLASSW& a, const WNDCLASSW& b) {
  return a.style == b.style && a.cbClsExtra == b.cbClsExtra && a.cbWndExtra == b.cbWndExtra &&
         a.hIcon == b.hIcon && a.hCursor == b.hCursor && a.hbrBackground == b.hbrBackground;
}

}  // namespace

// The name of a registered window class made from `params`: the wanted name,
// or, when a class of that name exists with other attributes (two control
// classes of one name, one of them on a native base), the name with a number.
String TWinControl::RegisteredClassName(const TCreateParams& params) {
  String name = params.WinClassName;
  for (int32_t n = 1;; ++n) {
    WNDCLASSW registered{};
    if (!GetClassInfoW(params.WindowClass.hInstance, WideCStr(name), &registered)) break;
    if (registered.lpfnWndProc == &InitWndProc && SameWindowClass(registered, params.WindowClass)) return name;
    name = params.WinClassName + u"." + IntToStr(n);
  }
  WNDCLASSW window_class = params.WindowClass;
  window_class.lpfnWndProc = &InitWndProc;
  window_class.lpszClassName = WideCStr(name);
  if (!RegisterClassW(&window_class)) {
    throw EOSError(Format(u"Cannot register the window class %s: %s", {name, SysErrorMessage(GetLastError())}));
  }
  return name;
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if (!params.WndParent && (params.Style & WS_CHILD)) {
    throw EInvalidOperation(Format(u"Control '%s' has no parent window", {Name()}));
  }
  default_wnd_proc_ = params.WindowClass.lpfnWndProc;
  params.WinClassName = RegisteredClassName(params);
  CreateWindowHandle(params);
  if (!handle_) {
    throw EOSError(Format(u"Cannot create the window of '%s': %s", {Name(), SysErrorMessage(GetLastError())}));
  }
}

void TWinControl::CreateWindowHandle(const TCreateParams& params) {
  t_creating_control = this;
  CreateWindowExW(params.ExStyle, WideCStr(params.WinClassName), WideCStr(params.Caption), params.Style, params.X,
                  params.Y, params.Width, params.Height, params.WndParent, nullptr, params.WindowClass.hInstance,
                  nullptr);
  t_creating_control = nullptr;
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  SetControlState(ControlState() + TControlState{csCreating});
  try {
    CreateWnd();
  } catch (...) {
    SetControlState(ControlState() - TControlState{csCreating});
    throw;
  }
  SetControlState(ControlState() - TControlState{csCreating});
  Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), 0);
  // The window's client area (less caption and frame) is the children's now.
  Realign();
}

void TWinControl::DestroyWnd() {
  // The window's text outlives the window (an edit box's typed text).
  const String text = GetText();
  FreeDeviceContextsOf(handle_);
  DestroyWindow(handle_);
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  SetControlState(ControlState() + TControlState{csDestroyingHandle});
  for (TWinControl* child : win_controls_) child->DestroyHandle();
  DestroyWnd();
  SetControlState(ControlState() - TControlState{csDestroyingHandle});
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  SetControlState(ControlState() + TControlState{csRecreating});
  DestroyHandle();
  SetControlState(ControlState() - TControlState{csRecreating});
  UpdateControlState();
}

void TWinControl::UpdateControlState() {
  const bool show = Visible() && (Parent() ? Parent()->showing_ : true);
  if (show && !handle_) HandleNeeded();
  if (show == showing_) return;
  showing_ = show;
  if (handle_) {
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  }
  for (TWinControl* child : win_controls_) child->UpdateControlState();
}

void TWinControl::CMVisibleChanged(TMessage&) { UpdateControlState(); }

void TWinControl::DefaultHandler(TMessage& message) {
  if (!handle_) {
    TControl::DefaultHandler(message);
    return;
  }
  message.Result = CallWindowProcW(default_wnd_proc_, handle_, message.Msg, message.WParam, message.LParam);
}

HDC TWinControl::GetDeviceContext(HWND& window) {
  window = Handle();
  TWindowDC dc(window);
  if (!dc.Handle()) throw EOutOfResources(Format(u"No device context for '%s'", {Name()}));
  return dc.Release();
}

// ---- Children

TControl* TWinControl::Controls(int32_t index) const {
  const auto windowless = static_cast<int32_t>(controls_.size());
  if (index < 0 || index >= ControlCount()) throw EListError(Format(u"List index out of bounds (%d)", {index}));
  return index < windowless ? controls_[static_cast<size_t>(index)]
                            : win_controls_[static_cast<size_t>(index - windowless)];
}

bool TWinControl::ContainsControl(const TControl* control) const {
  for (; control; control = control->Parent()) {
    if (control == this) return true;
  }
  return false;
}

void TWinControl::InsertControl(TControl* control) {
  if (control->Is<TWinControl>()) {
    win_controls_.push_back(static_cast<TWinControl*>(control));
  } else {
    controls_.push_back(control);
  }
  control->parent_ = this;
  if (!ComponentState().Contains(csLoading)) control->ParentChanged();
  if (auto* window = ObjectAs<TWinControl>(control)) {
    window->UpdateControlState();
  } else {
    control->Invalidate();
  }
  control->RequestAlign();
}

void TWinControl::RemoveControl(TControl* control) {
  if (auto* window = ObjectAs<TWinControl>(control)) {
    window->DestroyHandle();
    window->showing_ = false;
    std::erase(win_controls_, window);
  } else {
    control->InvalidateControl(control->Visible(), false);
    std::erase(controls_, control);
  }
  ForgetChild(control);
  control->parent_ = nullptr;
  // The room an aligned child took goes to the others.
  if (control->Align() != alNone && !ComponentState().Contains(csDestroying)) Realign();
}

void TWinControl::ForgetChild(const TControl* control) {
  if (mouse_control_ == control) mouse_control_ = nullptr;
  if (TControlAccess::CaptureControlField() == control) SetCaptureControl(nullptr);
}

TControl* TWinControl::ControlAtPos(TPoint pos, bool allow_disabled, bool allow_win_controls, bool all_levels) const {
  auto takes = [&](TControl* control) {
    const TPoint p{pos.X - control->Left(), pos.Y - control->Top()};
    return control->ClientRect().Contains(p) && control->Visible() && (control->Enabled() || allow_disabled) &&
           control->Perform(CM_HITTEST, 0, PointToLParam(p)) != 0;
  };
  TControl* found = nullptr;
  if (allow_win_controls) {
    for (auto it = win_controls_.rbegin(); !found && it != win_controls_.rend(); ++it) {
      if (takes(*it)) found = *it;
    }
  }
  for (auto it = controls_.rbegin(); !found && it != controls_.rend(); ++it) {
    if (takes(*it)) found = *it;
  }
  if (all_levels) {
    if (auto* window = ObjectAs<TWinControl>(found)) {
      const TPoint inner{pos.X - window->Left(), pos.Y - window->Top()};
      if (TControl* deeper = window->ControlAtPos(inner, allow_disabled, true, true)) found = deeper;
    }
  }
  return found;
}

void TWinControl::NotifyControls(UINT msg) {
  TMessage message{msg, 0, 0, 0};
  Broadcast(message);
}

void TWinControl::Broadcast(TMessage& message) {
  for (int32_t i = 0; i < ControlCount(); ++i) {
    Controls(i)->WindowProc(message);
    if (message.Result != 0) return;
  }
}

void TWinControl::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (int32_t i = 0; i < ControlCount(); ++i) {
    TControl* child = Controls(i);
    if (child->Owner() == root) proc(child);
  }
}

// ---- Overrides of TControl

void TWinControl::SetParent(TWinControl* parent) {
  if (parent && parent_window_) throw EInvalidOperation(Format(u"Control '%s' has a parent window", {Name()}));
  TControl::SetParent(parent);
}

void TWinControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  if (!CheckNewSize(width, height)) return;
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  if (handle_) {
    // The window reports its new place in WM_WINDOWPOSCHANGED.
    SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  const bool resized = width != width_ || height != height_;
  TControlAccess::SetBoundsFields(*this, left, top, width, height);
  BoundsChanged(resized);
}

void TWinControl::BoundsChanged(bool resized) {
  UpdateAnchorRules();
  TControlAccess::UpdateExplicitBounds(*this);
  RequestAlign();
  if (!resized) return;
  Realign();
  if (!ComponentState().Contains(csLoading)) Resize();
}

void TWinControl::UpdateBoundsFromWindow() {
  RECT rect{};
  if (!GetWindowRect(handle_, &rect)) return;
  HWND parent = GetParent(handle_);
  if (parent && (GetWindowLongW(handle_, GWL_STYLE) & WS_CHILD)) {
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  }
  const TRect bounds = FromWinRect(rect);
  if (bounds == Bounds(left_, top_, width_, height_)) return;
  const bool resized = bounds.Width() != width_ || bounds.Height() != height_;
  TControlAccess::SetBoundsFields(*this, bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
  BoundsChanged(resized);
}

void TWinControl::WMWindowPosChanged(TMessage& message) {
  DefaultHandler(message);
  if (handle_ && message.LParam) UpdateBoundsFromWindow();
}

void TWinControl::WMWindowPosChanging(TMessage& message) { WinControlWMWindowPosChangingSlot(*this, message); }

void DefaultWinControlWMWindowPosChanging(TWinControl& control, TMessage& message) {
  if (WINDOWPOS* pos = TWMWindowPosMsg{message}.WindowPos(); pos && !(pos->flags & SWP_NOSIZE)) {
    int32_t width = pos->cx;
    int32_t height = pos->cy;
    if (control.CheckNewSize(width, height)) {
      pos->cx = width;
      pos->cy = height;
    } else {
      pos->flags |= SWP_NOSIZE;
    }
  }
  control.DefaultHandler(message);
}

TRect TWinControl::GetClientRect() const {
  RECT rect{};
  if (handle_ && ::GetClientRect(handle_, &rect)) return FromWinRect(rect);
  return Rect(0, 0, std::max(width_ - 2 * border_width_, 0), std::max(height_ - 2 * border_width_, 0));
}

TPoint TWinControl::GetClientOrigin() const {
  POINT origin{0, 0};
  ::ClientToScreen(const_cast<TWinControl*>(this)->Handle(), &origin);
  return {origin.x, origin.y};
}

void TWinControl::CMEnabledChanged(TMessage&) {
  if (handle_) EnableWindow(handle_, Enabled());
  Invalidate();
}

void TWinControl::SetZOrder(bool top_most) {
  if (!Parent()) return;
  if (handle_) {
    SetWindowPos(handle_, top_most ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void TWinControl::Invalidate() { Perform(CM_INVALIDATE, 0, 0); }

void TWinControl::CMInvalidate(TMessage&) {
  if (handle_) InvalidateRect(handle_, nullptr, !ControlStyle().Contains(csOpaque));
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

void TWinControl::CMColorChanged(TMessage& message) {
  brush_->SetColor(Color());
  NotifyControls(CM_PARENTCOLORCHANGED);
  TControl::CMColorChanged(message);
}

void TWinControl::BrushChanged(TObject*) { Invalidate(); }

void TWinControl::CMFontChanged(TMessage& message) {
  if (handle_) Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), 0);
  NotifyControls(CM_PARENTFONTCHANGED);
  TControl::CMFontChanged(message);
}

void TWinControl::CMShowHintChanged(TMessage&) { NotifyControls(CM_PARENTSHOWHINTCHANGED); }

void TWinControl::CMSysColorChange(TMessage& message) {
  TMessage notify{CM_SYSCOLORCHANGE, message.WParam, message.LParam, 0};
  for (int32_t i = 0; i < ControlCount(); ++i) Controls(i)->WindowProc(notify);
}

void TWinControl::SetDoubleBuffered(bool value) {
  parent_double_buffered_ = false;
  if (value == double_buffered_) return;
  double_buffered_ = value;
  NotifyControls(CM_PARENTDOUBLEBUFFEREDCHANGED);
  Invalidate();
}

void TWinControl::SetParentDoubleBuffered(bool value) {
  if (value == parent_double_buffered_) return;
  parent_double_buffered_ = value;
  if (value) Perform(CM_PARENTDOUBLEBUFFEREDCHANGED, 0, 0);
}

void TWinControl::CMParentDoubleBufferedChanged(TMessage&) {
  if (!parent_double_buffered_ || !Parent()) return;
  SetDoubleBuffered(Parent()->DoubleBuffered());
  parent_double_buffered_ = true;
}

void TWinControl::ParentChanged() {
  TControl::ParentChanged();
  Perform(CM_PARENTDOUBLEBUFFEREDCHANGED, 0, 0);
}

void TWinControl::SetParentBackground(bool value) {
  if (value == ParentBackground()) return;
  TControlStyle style = ControlStyle();
  if (value) {
    style.Include(csParentBackground);
    style.Exclude(csOpaque);
  } else {
    style.Exclude(csParentBackground);
    style.Include(csOpaque);
  }
  SetControlStyle(style);
  Invalidate();
}

// ---- Focus and keyboard

void TWinControl::SetTabStop(bool value) {
  if (value == tab_stop_) return;
  tab_stop_ = value;
  if (handle_) {
    const LONG style = GetWindowLongW(handle_, GWL_STYLE);
    SetWindowLongW(handle_, GWL_STYLE, value ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
  }
}

int32_t TWinControl::TabOrder() const {
  if (!Parent()) return -1;
  const auto& list = Parent()->win_controls_;
  return static_cast<int32_t>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TWinControl::SetTabOrder(int32_t value) {
  if (!Parent()) return;
  auto& list = Parent()->win_controls_;
  const int32_t current = TabOrder();
  value = std::clamp<int32_t>(value, 0, static_cast<int32_t>(list.size()) - 1);
  if (value == current) return;
  list.erase(list.begin() + current);
  list.insert(list.begin() + value, this);
}

bool TWinControl::CanFocus() const {
  for (const TWinControl* control = this; control; control = control->Parent()) {
    if (!control->Visible() || !control->Enabled()) return false;
  }
  return true;
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation(u"Cannot focus a disabled or invisible window");
  ::SetFocus(Handle());
}

void TWinControl::KeyDown(uint16_t& key, TShiftState shift) { OnKeyDown(this, key, shift); }
void TWinControl::KeyUp(uint16_t& key, TShiftState shift) { OnKeyUp(this, key, shift); }
void TWinControl::KeyPress(char16_t& key) { OnKeyPress(this, key); }

void TWinControl::WMKeyDown(TMessage& message) {
  auto key = TWMKey{message}.CharCode();
  KeyDown(key, KeyboardShiftState());
  if (key == 0) return;  // swallowed
  TWMKey{message}.SetCharCode(key);
  DefaultHandler(message);
}

void TWinControl::WMKeyUp(TMessage& message) {
  auto key = TWMKey{message}.CharCode();
  KeyUp(key, KeyboardShiftState());
  if (key == 0) return;
  TWMKey{message}.SetCharCode(key);
  DefaultHandler(message);
}

void TWinControl::WMChar(TMessage& message) {
  auto key = static_cast<char16_t>(TWMKey{message}.CharCode());
  KeyPress(key);
  if (key == 0) return;
  TWMKey{message}.SetCharCode(key);
  DefaultHandler(message);
}

void TWinControl::WMMouseActivate(TMessage& message) {
  // The button comes from the mouse message in the high word.
  const UINT mouse_msg = HIWORD(message.LParam);
  const TMouseButton button = mouse_msg == WM_RBUTTONDOWN ? mbRight : mouse_msg == WM_MBUTTONDOWN ? mbMiddle : mbLeft;
  POINT cursor{};
  GetCursorPos(&cursor);
  const TPoint pos = ScreenToClient({cursor.x, cursor.y});
  const auto hit_test = static_cast<int16_t>(LOWORD(message.LParam));
  static constexpr LRESULT kAnswers[] = {0, MA_ACTIVATE, MA_ACTIVATEANDEAT, MA_NOACTIVATE, MA_NOACTIVATEANDEAT};
  const TMouseActivate answer = MouseActivate(button, KeyboardShiftState(), pos.X, pos.Y, hit_test);
  if (answer == maDefault) {
    DefaultHandler(message);
  } else {
    message.Result = kAnswers[answer];
  }
}

void TWinControl::WMContextMenu(TMessage& message) {
  // From the keyboard the point is (-1, -1) and stays so.
  TPoint pos = PointFromLParam(message.LParam);
  if (pos.X != -1 || pos.Y != -1) pos = ScreenToClient(pos);
  if (!DoContextPopup(pos)) DefaultHandler(message);
}

void TWinControl::WMSetFocus(TMessage& message) {
  DefaultHandler(message);
  OnEnter(this);
}

void TWinControl::WMKillFocus(TMessage& message) {
  DefaultHandler(message);
  OnExit(this);
}

// ---- Messages

void TWinControl::WndProc(TMessage& message) { WinControlWndProcSlot(*this, message); }

void DefaultWinControlWndProc(TWinControl& control, TMessage& message) {
  if (TControlAccess::WinControlSpecialCases(control, message)) return;
  if (TControlAccess::RouteMouseToChild(control, message)) return;
  TControlAccess::ControlWndProc(control, message);
}

void TWinControl::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_PAINT: WMPaint(message); break;
    case WM_ERASEBKGND: WMEraseBkgnd(message); break;
    case WM_PRINT: WMPrint(message); break;
    case WM_PRINTCLIENT: WMPrintClient(message); break;
    case WM_WINDOWPOSCHANGING: WMWindowPosChanging(message); break;
    case WM_SETCURSOR: WMSetCursor(message); break;
    case WM_NCHITTEST: WMNCHitTest(message); break;
    case WM_NCCALCSIZE: WMNCCalcSize(message); break;
    case WM_NCPAINT: WMNCPaint(message); break;
    case WM_KEYDOWN: WMKeyDown(message); break;
    case WM_KEYUP: WMKeyUp(message); break;
    case WM_CHAR: WMChar(message); break;
    case WM_MOUSEACTIVATE: WMMouseActivate(message); break;
    case WM_CONTEXTMENU: WMContextMenu(message); break;
    case CM_INVALIDATE: CMInvalidate(message); break;
    case CM_PARENTDOUBLEBUFFEREDCHANGED: CMParentDoubleBufferedChanged(message); break;
    case WM_SETFOCUS: WMSetFocus(message); break;
    case WM_KILLFOCUS: WMKillFocus(message); break;
    default: TControl::Dispatch(message); break;
  }
}

void TWinControl::WMNCHitTest(TMessage& message) {
  DefaultHandler(message);
  // A control that lets the point through (CM_HITTEST -1) passes the mouse
  // on to the window below.
  if (message.Result == HTCLIENT && handle_) {
    POINT p{PointFromLParam(message.LParam).X, PointFromLParam(message.LParam).Y};
    ::ScreenToClient(handle_, &p);
    if (Perform(CM_HITTEST, 0, PointToLParam({p.x, p.y})) == -1) message.Result = HTTRANSPARENT;
  }
}
