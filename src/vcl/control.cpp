#include "vcl/control.h"

#include <algorithm>

#include "vcl/application_hooks.h"
#include "vcl/control_access.h"
#include "vcl/handle_owners.h"
#include "vcl/replaceable.h"
#include "vcl/win_control.h"
#include "vcl/win_geometry.h"
#include "rtl/format.h"
#include "rtl/reader.h"

RD_DEFINE_CLASS(TControl,
                Prop(u"Left", &TControl::Left, &TControl::SetLeft),
                Prop(u"Top", &TControl::Top, &TControl::SetTop),
                Prop(u"Width", &TControl::Width, &TControl::SetWidth),
                Prop(u"Height", &TControl::Height, &TControl::SetHeight),
                Prop(u"Cursor", &TControl::Cursor, &TControl::SetCursor).Default(crDefault),
                Prop(u"Hint", &TControl::Hint, &TControl::SetHint),
                Prop(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone),
                Prop(u"AlignWithMargins", &TControl::AlignWithMargins, &TControl::SetAlignWithMargins).Default(false),
                Prop(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop}),
                Prop(u"AutoSize", &TControl::AutoSize, &TControl::SetAutoSize).Default(false),
                Prop(u"Constraints", &TControl::Constraints, &TControl::SetConstraints),
                Prop(u"Margins", &TControl::Margins, &TControl::SetMargins))

TShiftState KeysToShiftState(uint32_t keys) {
  TShiftState state;
  if (keys & MK_SHIFT) state.Include(ssShift);
  if (keys & MK_CONTROL) state.Include(ssCtrl);
  if (keys & MK_LBUTTON) state.Include(ssLeft);
  if (keys & MK_RBUTTON) state.Include(ssRight);
  if (keys & MK_MBUTTON) state.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) state.Include(ssAlt);
  return state;
}

TShiftState KeyboardShiftState() {
  TShiftState state;
  if (GetKeyState(VK_SHIFT) < 0) state.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) state.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) state.Include(ssAlt);
  return state;
}

TControl::TControl(TComponent* owner)
    : TComponent(owner),
      font_(std::make_unique<TFont>()),
      constraints_(std::make_unique<TSizeConstraints>()),
      margins_(std::make_unique<TMargins>()) {
  WindowProc = MakeEvent<&TControl::WndProc>(this);
  font_->OnChange = MakeEvent<&TControl::FontChanged>(this);
  constraints_->OnChange = MakeEvent<&TControl::ConstraintsChanged>(this);
  margins_->OnChange = MakeEvent<&TControl::MarginsChanged>(this);
}

TControl::~TControl() {
  Destroying();
  if (TControlAccess::CaptureControlField() == this) SetCaptureControl(nullptr);
  if (parent_) parent_->RemoveControl(this);
}

// ---- Parent and streaming

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  for (const TControl* p = parent; p; p = p->parent_) {
    if (p == this) throw EInvalidOperation(u"A control cannot have itself as its parent");
  }
  if (parent_) parent_->RemoveControl(this);
  if (parent) parent->InsertControl(this);
}

TComponent* TControl::GetParentComponent() const { return parent_; }

void TControl::SetParentComponent(TComponent* parent) {
  if (auto* window = ObjectAs<TWinControl>(parent)) SetParent(window);
}

void TControl::ReadState(TReader& reader) {
  control_state_.Include(csReadingState);
  // The bounds the stream sets add their flags; the font scales unless inherited.
  scaling_flags_ = TScalingFlags{sfFont};
  if (auto* window = ObjectAs<TWinControl>(reader.Parent())) SetParent(window);
  TComponent::ReadState(reader);
  control_state_.Exclude(csReadingState);
  if (parent_) ParentChanged();
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (parent_) ParentChanged();
  UpdateExplicitBounds();
  UpdateAnchorRules();
}

// A control streams its position as the published Left and Top: the
// designer position of plain components would collide with them.
void TControl::DefineProperties(TFiler& filer) { TPersistent::DefineProperties(filer); }

void TControl::SetName(const String& name) {
  const bool follow = control_style_.Contains(csSetCaption) && !ComponentState().Contains(csLoading) &&
                      Name() == GetText();
  TComponent::SetName(name);
  if (follow) SetText(name);
}

void TControl::ParentChanged() {
  Perform(CM_PARENTCOLORCHANGED, 0, 0);
  Perform(CM_PARENTFONTCHANGED, 0, 0);
  Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

// ---- Bounds

void TControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  SetBoundsSlot(*this, left, top, width, height);
}

void DefaultSetBounds(TControl& control, int32_t left, int32_t top, int32_t width, int32_t height) {
  if (!control.CheckNewSize(width, height)) return;
  if (left == control.Left() && top == control.Top() && width == control.Width() && height == control.Height()) {
    return;
  }
  const bool resized = width != control.Width() || height != control.Height();
  control.InvalidateControl(control.Visible(), false);
  TControlAccess::SetBoundsFields(control, left, top, width, height);
  control.UpdateAnchorRules();
  TControlAccess::UpdateExplicitBounds(control);
  control.Invalidate();
  control.Perform(WM_WINDOWPOSCHANGED, 0, 0);
  control.RequestAlign();
  if (resized && !control.ComponentState().Contains(csLoading)) control.Resize();
}

TRect TControl::BoundsRect() const { return GetBoundsRectSlot(*this); }
void TControl::SetBoundsRect(const TRect& rect) { SetBoundsRectSlot(*this, rect); }

TRect DefaultGetBoundsRect(const TControl& control) {
  return Bounds(control.Left(), control.Top(), control.Width(), control.Height());
}

void DefaultSetBoundsRect(TControl& control, const TRect& rect) {
  control.SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
}

TRect TControl::GetClientRect() const { return Rect(0, 0, width_, height_); }

TPoint TControl::ClientOrigin() const { return GetClientOrigin(); }
TPoint TControl::GetClientOrigin() const { return GetClientOriginSlot(*this); }

namespace {

[[noreturn]] void RaiseNoParent(const TControl& control) {
  throw EInvalidOperation(Format(u"Control '%s' has no parent window", {control.Name()}));
}

}  // namespace

TPoint DefaultGetClientOrigin(const TControl& control) {
  if (!control.Parent()) RaiseNoParent(control);
  const TPoint origin = control.Parent()->ClientOrigin();
  return {origin.X + control.Left(), origin.Y + control.Top()};
}

TPoint TControl::ClientToScreen(TPoint point) const { return ClientToScreenSlot(*this, point); }
TPoint TControl::ScreenToClient(TPoint point) const { return ScreenToClientSlot(*this, point); }

TPoint DefaultClientToScreen(const TControl& control, TPoint point) {
  const TPoint origin = control.ClientOrigin();
  return {point.X + origin.X, point.Y + origin.Y};
}

TPoint DefaultScreenToClient(const TControl& control, TPoint point) {
  const TPoint origin = control.ClientOrigin();
  return {point.X - origin.X, point.Y - origin.Y};
}

TPoint TControl::ParentToClient(TPoint point, TWinControl* ancestor) const {
  return ParentToClientSlot(*this, point, ancestor);
}
TPoint TControl::ClientToParent(TPoint point, TWinControl* ancestor) const {
  return ClientToParentSlot(*this, point, ancestor);
}

namespace {

// The offset from `ancestor`'s client coordinates (the parent's for null)
// to this control's: the positions of the controls on the way summed.
TPoint OffsetFromAncestor(const TControl& control, TWinControl* ancestor) {
  if (!control.Parent()) RaiseNoParent(control);
  if (!ancestor) ancestor = control.Parent();
  TPoint offset{control.Left(), control.Top()};
  for (const TWinControl* level = control.Parent(); level != ancestor; level = level->Parent()) {
    if (!level->Parent()) {
      throw EInvalidOperation(Format(u"Parent given is not a parent of '%s'", {control.Name()}));
    }
    offset.X += level->Left();
    offset.Y += level->Top();
  }
  return offset;
}

}  // namespace

TPoint DefaultParentToClient(const TControl& control, TPoint point, TWinControl* ancestor) {
  const TPoint offset = OffsetFromAncestor(control, ancestor);
  return {point.X - offset.X, point.Y - offset.Y};
}

TPoint DefaultClientToParent(const TControl& control, TPoint point, TWinControl* ancestor) {
  const TPoint offset = OffsetFromAncestor(control, ancestor);
  return {point.X + offset.X, point.Y + offset.Y};
}


TMouseActivate TControl::MouseActivate(TMouseButton button, TShiftState shift, int32_t x, int32_t y,
                                       int32_t hit_test) {
  TMouseActivate answer = maDefault;
  OnMouseActivate(this, button, shift, x, y, hit_test, answer);
  return answer;
}

bool TControl::DoContextPopup(TPoint mouse_pos) {
  bool handled = false;
  OnContextPopup(this, mouse_pos, handled);
  return handled;
}

void TControl::Resize() { ResizeSlot(*this); }
void DefaultResize(TControl& control) { control.OnResize(&control); }

// ---- State

void TControl::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  Perform(CM_VISIBLECHANGED, value, 0);
  RequestAlign();
}

void TControl::CMVisibleChanged(TMessage&) { InvalidateControl(true, visible_ && control_style_.Contains(csOpaque)); }

void TControl::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  parent_color_ = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool value) {
  if (value == parent_color_) return;
  parent_color_ = value;
  if (value && parent_) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::CMParentColorChanged(TMessage& message) {
  if (!parent_color_) return;
  if (message.WParam != 0) {
    SetColor(static_cast<TColor>(message.LParam));
  } else if (parent_) {
    SetColor(parent_->Color());
  }
  parent_color_ = true;
}

void TControl::FontChanged(TObject*) {
  parent_font_ = false;
  desktop_font_ = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool value) {
  if (value == parent_font_) return;
  parent_font_ = value;
  if (value && parent_) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::CMParentFontChanged(TMessage& message) {
  if (!parent_font_) return;
  if (message.WParam != 0) {
    SetFont(*reinterpret_cast<const TFont*>(message.LParam));
  } else if (parent_) {
    SetFont(parent_->Font());
  }
  parent_font_ = true;
}

void TControl::SetDesktopFont(bool value) {
  if (value == desktop_font_) return;
  if (value) {
    ApplyDesktopFont();
    desktop_font_ = true;
  } else {
    desktop_font_ = false;
  }
}

void TControl::ApplyDesktopFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return;
  const LOGFONTW& lf = metrics.lfMessageFont;
  TFontAttributes attributes = font_->Attributes();
  attributes.Name = String(reinterpret_cast<const char16_t*>(lf.lfFaceName));
  attributes.Height = lf.lfHeight;
  TFontStyles style;
  if (lf.lfWeight >= FW_BOLD) style.Include(fsBold);
  if (lf.lfItalic) style.Include(fsItalic);
  attributes.Style = style.Bits();
  font_->SetAttributes(attributes);
}

String TControl::GetText() const {
  auto& self = const_cast<TControl&>(*this);
  const auto length = static_cast<size_t>(std::max<LRESULT>(self.Perform(WM_GETTEXTLENGTH, 0, 0), 0));
  String text(length + 1, u'\0');
  const auto copied = self.Perform(WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, static_cast<LRESULT>(length))));
  return text;
}

void TControl::SetText(const String& value) {
  if (value == GetText()) return;
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetShowHint(bool value) {
  if (value == show_hint_) return;
  show_hint_ = value;
  parent_show_hint_ = false;
  Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool value) {
  if (value == parent_show_hint_) return;
  parent_show_hint_ = value;
  if (value && parent_) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::CMParentShowHintChanged(TMessage&) {
  if (!parent_show_hint_) return;
  if (parent_) SetShowHint(parent_->ShowHint());
  parent_show_hint_ = true;
}

void TControl::SetCursor(TCursor value) {
  if (value == cursor_) return;
  cursor_ = value;
  Perform(CM_CURSORCHANGED, 0, 0);
}

// ---- Messages

LRESULT TControl::Perform(UINT msg, WPARAM wparam, LPARAM lparam) {
  TMessage message{msg, wparam, lparam, 0};
  return Perform(message);
}

LRESULT TControl::Perform(TMessage& message) {
  WindowProc(message);
  return message.Result;
}

void TControl::WndProc(TMessage& message) {
  if (message.Msg >= WM_MOUSEFIRST && message.Msg <= WM_MOUSELAST) {
    // A control that takes no double clicks sees a second press.
    if (!control_style_.Contains(csDoubleClicks) &&
        (message.Msg == WM_LBUTTONDBLCLK || message.Msg == WM_RBUTTONDBLCLK || message.Msg == WM_MBUTTONDBLCLK)) {
      message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
    }
    switch (message.Msg) {
      case WM_MOUSEMOVE:
        if (HintMouseMessageHook) HintMouseMessageHook(*this, message);
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        control_state_.Include(csLButtonDown);
        break;
      case WM_LBUTTONUP:
        control_state_.Exclude(csLButtonDown);
        break;
      default:
        break;
    }
  }
  Dispatch(message);
}

void TControl::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_PAINT: WMPaint(message); break;
    case WM_MOUSEMOVE: WMMouseMove(message); break;
    case WM_LBUTTONDOWN: WMLButtonDown(message); break;
    case WM_LBUTTONUP: WMLButtonUp(message); break;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(message); break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK: WMOtherButton(message); break;
    case WM_MOUSEWHEEL: message.Result = Perform(CM_MOUSEWHEEL, message.WParam, message.LParam); break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(message); break;
    case CM_HITTEST: CMHitTest(message); break;
    case CM_MOUSEENTER: CMMouseEnter(message); break;
    case CM_MOUSELEAVE: CMMouseLeave(message); break;
    case CM_MOUSEWHEEL: CMMouseWheel(message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(message); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(message); break;
    case CM_COLORCHANGED: CMColorChanged(message); break;
    case CM_FONTCHANGED: CMFontChanged(message); break;
    case CM_TEXTCHANGED: CMTextChanged(message); break;
    case CM_SHOWHINTCHANGED: CMShowHintChanged(message); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(message); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(message); break;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(message); break;
    case CM_SYSCOLORCHANGE: CMSysColorChange(message); break;
    default: DefaultHandler(message); break;
  }
}

void TControl::DefaultHandler(TMessage& message) {
  switch (message.Msg) {
    case WM_GETTEXTLENGTH:
      message.Result = static_cast<LRESULT>(text_.size());
      break;
    case WM_GETTEXT: {
      // WParam: buffer size in characters, terminating zero included.
      const size_t capacity = static_cast<size_t>(message.WParam);
      if (capacity == 0 || message.LParam == 0) break;
      const size_t count = std::min(text_.size(), capacity - 1);
      auto* buffer = reinterpret_cast<char16_t*>(message.LParam);
      std::copy_n(text_.data(), count, buffer);
      buffer[count] = 0;
      message.Result = static_cast<LRESULT>(count);
      break;
    }
    case WM_SETTEXT:
      text_ = message.LParam ? String(reinterpret_cast<const char16_t*>(message.LParam)) : String();
      message.Result = TRUE;
      break;
    default:
      break;
  }
}

// ---- Painting

void TControl::InvalidateControl(bool visible, bool opaque) { InvalidateControlSlot(*this, visible, opaque); }

void DefaultInvalidateControl(TControl& control, bool visible, bool opaque) {
  TWinControl* parent = control.Parent();
  if (!visible || !parent || !parent->HandleAllocated()) return;
  const TRect bounds = control.BoundsRect();
  bool erase = !(opaque || parent->ControlStyle().Contains(csOpaque));
  // An opaque sibling below that covers the whole area leaves no background
  // to erase.
  for (int32_t i = 0; erase && i < parent->ControlCount(); ++i) {
    TControl* sibling = parent->Controls(i);
    if (sibling == &control || sibling->Is<TWinControl>()) break;
    if (!sibling->Visible() || !sibling->ControlStyle().Contains(csOpaque)) continue;
    const TRect other = sibling->BoundsRect();
    if (other.Left <= bounds.Left && other.Top <= bounds.Top && other.Right >= bounds.Right &&
        other.Bottom >= bounds.Bottom) {
      erase = false;
    }
  }
  const RECT rect = ToWinRect(bounds);
  InvalidateRect(parent->Handle(), &rect, erase);
}

void TControl::Repaint() {
  if (!visible_ || !parent_ || !parent_->HandleAllocated()) return;
  if (control_style_.Contains(csOpaque)) {
    TWindowDC dc(parent_->Handle());
    if (!dc.Handle()) return;
    const TRect bounds = BoundsRect();
    IntersectClipRect(dc.Handle(), bounds.Left, bounds.Top, bounds.Right, bounds.Bottom);
    parent_->PaintControls(dc.Handle(), this);
  } else {
    Invalidate();
    Update();
  }
}

void TControl::Update() {
  if (parent_) parent_->Update();
}

HDC TControl::GetDeviceContext(HWND& window) {
  if (!parent_) RaiseNoParent(*this);
  HDC dc = parent_->GetDeviceContext(window);
  SetViewportOrgEx(dc, left_, top_, nullptr);
  IntersectClipRect(dc, 0, 0, width_, height_);
  return dc;
}

void TControl::SetZOrder(bool top_most) {
  if (!parent_) return;
  auto& list = parent_->controls_;
  const auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  if (top_most) {
    list.push_back(this);
  } else {
    list.insert(list.begin(), this);
  }
  InvalidateControl(visible_, true);
}

// ---- Mouse

bool TControl::MouseCapture() const { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool value) {
  if (value == MouseCapture()) return;
  SetCaptureControl(value ? this : nullptr);
}

void TControl::Click() { OnClick(this); }
void TControl::DblClick() { OnDblClick(this); }
void TControl::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  OnMouseDown(this, button, shift, x, y);
}
void TControl::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  OnMouseUp(this, button, shift, x, y);
}
void TControl::MouseMove(TShiftState shift, int32_t x, int32_t y) { OnMouseMove(this, shift, x, y); }
void TControl::MouseEnter() { OnMouseEnter(this); }
void TControl::MouseLeave() { OnMouseLeave(this); }

bool TControl::DoMouseWheel(TShiftState shift, int32_t wheel_delta, TPoint mouse_pos) {
  bool handled = false;
  OnMouseWheel(this, shift, wheel_delta, mouse_pos, handled);
  if (!handled) {
    if (wheel_delta < 0) {
      OnMouseWheelDown(this, shift, mouse_pos, handled);
    } else if (wheel_delta > 0) {
      OnMouseWheelUp(this, shift, mouse_pos, handled);
    }
  }
  return handled;
}

void TControl::CMMouseEnter(TMessage&) { MouseEnter(); }
void TControl::CMMouseLeave(TMessage&) { MouseLeave(); }

void TControl::CMMouseWheel(TMessage& message) { ControlCMMouseWheelSlot(*this, message); }

void DefaultControlCMMouseWheel(TControl& control, TMessage& message) {
  const TCMMouseWheel wheel{message};
  if (control.DoMouseWheel(KeysToShiftState(wheel.Keys()), wheel.WheelDelta(), wheel.Pos())) {
    message.Result = 1;
  } else if (control.Parent()) {
    message.Result = control.Parent()->Perform(CM_MOUSEWHEEL, message.WParam, message.LParam);
  }
}

TPoint TControl::MousePosition(const TMessage& message) const {
  if (width_ > 32767 || height_ > 32767) {
    POINT cursor{};
    GetCursorPos(&cursor);
    return ScreenToClient({cursor.x, cursor.y});
  }
  return PointFromLParam(message.LParam);
}

void TControl::WMMouseMove(TMessage& message) { ControlWMMouseMoveSlot(*this, message); }

void DefaultControlWMMouseMove(TControl& control, TMessage& message) {
  control.DefaultHandler(message);
  if (control.ControlStyle().Contains(csNoStdEvents)) return;
  const TPoint pos = TControlAccess::MousePosition(control, message);
  control.MouseMove(KeysToShiftState(static_cast<uint32_t>(message.WParam)), pos.X, pos.Y);
}

void TControl::DoMouseDown(TMessage& message, TMouseButton button, TShiftState shift) {
  DoMouseDownSlot(*this, message, button, shift);
}

void DefaultDoMouseDown(TControl& control, TMessage& message, TMouseButton button, TShiftState shift) {
  if (control.ControlStyle().Contains(csNoStdEvents)) return;
  const TPoint pos = TControlAccess::MousePosition(control, message);
  control.MouseDown(button, KeysToShiftState(static_cast<uint32_t>(message.WParam)) + shift, pos.X, pos.Y);
}

void TControl::DoMouseUp(TMessage& message, TMouseButton button) { DoMouseUpSlot(*this, message, button); }

void DefaultDoMouseUp(TControl& control, TMessage& message, TMouseButton button) {
  if (control.ControlStyle().Contains(csNoStdEvents)) return;
  const TPoint pos = TControlAccess::MousePosition(control, message);
  control.MouseUp(button, KeysToShiftState(static_cast<uint32_t>(message.WParam)), pos.X, pos.Y);
}

void TControl::WMLButtonDown(TMessage& message) {
  DefaultHandler(message);
  if (control_style_.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (control_style_.Contains(csClickEvents)) control_state_.Include(csClicked);
  DoMouseDown(message, mbLeft, {});
}

void TControl::WMLButtonDblClk(TMessage& message) {
  DefaultHandler(message);
  if (control_style_.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (control_style_.Contains(csClickEvents)) DblClick();
  DoMouseDown(message, mbLeft, {ssDouble});
}

void TControl::WMLButtonUp(TMessage& message) { ControlWMLButtonUpSlot(*this, message); }

void DefaultControlWMLButtonUp(TControl& control, TMessage& message) {
  control.DefaultHandler(message);
  if (control.ControlStyle().Contains(csCaptureMouse)) control.SetMouseCapture(false);
  if (control.ControlState().Contains(csClicked)) {
    control.SetControlState(control.ControlState() - TControlState{csClicked});
    if (control.ClientRect().Contains(TControlAccess::MousePosition(control, message))) control.Click();
  }
  DoMouseUpSlot(control, message, mbLeft);
}

void TControl::WMOtherButton(TMessage& message) {
  DefaultHandler(message);
  switch (message.Msg) {
    case WM_RBUTTONDOWN: DoMouseDown(message, mbRight, {}); break;
    case WM_RBUTTONDBLCLK: DoMouseDown(message, mbRight, {ssDouble}); break;
    case WM_RBUTTONUP: DoMouseUp(message, mbRight); break;
    case WM_MBUTTONDOWN: DoMouseDown(message, mbMiddle, {}); break;
    case WM_MBUTTONDBLCLK: DoMouseDown(message, mbMiddle, {ssDouble}); break;
    case WM_MBUTTONUP: DoMouseUp(message, mbMiddle); break;
    default: break;
  }
}
