#include "vcl/scrolling_win_control.h"

#include <algorithm>

#include "vcl/control_access.h"
#include "vcl/replaceable.h"

RD_DEFINE_CLASS(TControlScrollBar,
                Prop(u"Increment", &TControlScrollBar::Increment, &TControlScrollBar::SetIncrement).Default(8),
                Prop(u"Range", &TControlScrollBar::Range, &TControlScrollBar::SetRange).Default(0),
                Prop(u"Position", &TControlScrollBar::Position, &TControlScrollBar::SetPosition).Default(0),
                Prop(u"Visible", &TControlScrollBar::Visible, &TControlScrollBar::SetVisible).Default(true))

RD_DEFINE_CLASS(TScrollingWinControl,
                Prop(u"AutoScroll", &TScrollingWinControl::AutoScroll, &TScrollingWinControl::SetAutoScroll)
                    .Default(true),
                Prop(u"HorzScrollBar", &TScrollingWinControl::HorzScrollBar,
                     &TScrollingWinControl::SetHorzScrollBar),
                Prop(u"VertScrollBar", &TScrollingWinControl::VertScrollBar,
                     &TScrollingWinControl::SetVertScrollBar))

// ---- TControlScrollBar

int32_t TControlScrollBar::ClientExtent() const {
  const TRect client = control_->ClientRect();
  return kind_ == sbHorizontal ? client.Width() : client.Height();
}

bool TControlScrollBar::IsScrollBarVisible() const { return visible_ && range_ > ClientExtent(); }

int32_t TControlScrollBar::MaxPosition() const { return std::max(range_ - ClientExtent(), 0); }

void TControlScrollBar::SetRange(int32_t value) {
  value = std::max(value, 0);
  if (value == range_) return;
  range_ = value;
  control_->UpdateScrollBars();
}

void TControlScrollBar::SetPosition(int32_t value) {
  value = std::clamp(value, 0, MaxPosition());
  if (value == position_) return;
  const int32_t delta = position_ - value;
  position_ = value;
  if (kind_ == sbHorizontal) {
    control_->ScrollChildren(delta, 0);
  } else {
    control_->ScrollChildren(0, delta);
  }
  Update();
}

void TControlScrollBar::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  control_->UpdateScrollBars();
}

void TControlScrollBar::Update() {
  if (!control_->HandleAllocated()) return;
  const int bar = kind_ == sbHorizontal ? SB_HORZ : SB_VERT;
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  if (IsScrollBarVisible()) {
    info.nMax = range_ - 1;
    info.nPage = static_cast<UINT>(ClientExtent());
    info.nPos = position_;
    SetScrollInfo(control_->Handle(), bar, &info, TRUE);
    ShowScrollBar(control_->Handle(), bar, TRUE);
  } else {
    SetScrollInfo(control_->Handle(), bar, &info, TRUE);
    ShowScrollBar(control_->Handle(), bar, FALSE);
  }
}

void TControlScrollBar::ScrollMessage(const TMessage& message) {
  const int32_t page = ClientExtent();
  switch (LOWORD(message.WParam)) {
    case SB_LINEUP: SetPosition(position_ - increment_); break;
    case SB_LINEDOWN: SetPosition(position_ + increment_); break;
    case SB_PAGEUP: SetPosition(position_ - page); break;
    case SB_PAGEDOWN: SetPosition(position_ + page); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      // The 32-bit track position (the message holds only 16 bits).
      SCROLLINFO info{};
      info.cbSize = sizeof(info);
      info.fMask = SIF_TRACKPOS;
      const int bar = kind_ == sbHorizontal ? SB_HORZ : SB_VERT;
      if (control_->HandleAllocated() && GetScrollInfo(control_->Handle(), bar, &info)) {
        SetPosition(info.nTrackPos);
      } else {
        SetPosition(HIWORD(message.WParam));
      }
      break;
    }
    case SB_TOP: SetPosition(0); break;
    case SB_BOTTOM: SetPosition(range_); break;
    default: break;
  }
}

void TControlScrollBar::AssignTo(TPersistent* dest) const {
  auto* target = ObjectAs<TControlScrollBar>(dest);
  if (!target) {
    TPersistent::AssignTo(dest);
    return;
  }
  target->SetVisible(visible_);
  target->SetIncrement(increment_);
  target->SetRange(range_);
  target->SetPosition(position_);
}

// ---- TScrollingWinControl

TScrollingWinControl::TScrollingWinControl(TComponent* owner)
    : TWinControl(owner),
      horz_(std::make_unique<TControlScrollBar>(*this, sbHorizontal)),
      vert_(std::make_unique<TControlScrollBar>(*this, sbVertical)) {}

TScrollingWinControl::~TScrollingWinControl() = default;

void TScrollingWinControl::SetAutoScroll(bool value) {
  if (value == auto_scroll_) return;
  auto_scroll_ = value;
  if (value) {
    Realign();
  } else {
    horz_->SetRange(0);
    vert_->SetRange(0);
  }
}

void TScrollingWinControl::ScrollChildren(int32_t dx, int32_t dy) {
  if (dx == 0 && dy == 0) return;
  DisableAlign();
  struct Enable {
    TScrollingWinControl& control;
    ~Enable() { control.EnableAlign(); }
  } enable{*this};
  for (int32_t i = 0; i < ControlCount(); ++i) {
    TControl* child = Controls(i);
    SetBoundsByLayout(*child, child->Left() + dx, child->Top() + dy, child->Width(), child->Height());
  }
  Invalidate();
}

void TScrollingWinControl::ScrollInView(TControl* control) {
  if (!control || !ContainsControl(control) || control == this) return;
  TRect rect = control->BoundsRect();
  // In this control's client coordinates, through the windowed parents on the way.
  for (const TWinControl* p = control->Parent(); p && p != this; p = p->Parent()) {
    rect = {rect.Left + p->Left(), rect.Top + p->Top(), rect.Right + p->Left(), rect.Bottom + p->Top()};
  }
  const TRect client = ClientRect();
  auto shift = [](int32_t low, int32_t high, int32_t extent) {
    if (low < 0) return low;
    if (high > extent) return std::min(high - extent, low);
    return 0;
  };
  horz_->SetPosition(horz_->Position() + shift(rect.Left, rect.Right, client.Width()));
  vert_->SetPosition(vert_->Position() + shift(rect.Top, rect.Bottom, client.Height()));
}

void TScrollingWinControl::CalcAutoRange() {
  if (!auto_scroll_ || updating_ranges_) return;
  updating_ranges_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{updating_ranges_};
  horz_->range_ = AutoRange(*horz_);
  vert_->range_ = AutoRange(*vert_);
  UpdateScrollBars();
}

// In the scrolled area's coordinates: the far edge of what lies at the near
// side (left or top) or is aligned there, plus the sizes of what is aligned
// to the far side, plus the padding there.
int32_t TScrollingWinControl::AutoRange(const TControlScrollBar& bar) const {
  const bool horizontal = bar.Kind() == sbHorizontal;
  const TAlign near_side = horizontal ? alLeft : alTop;
  const TAlign far_side = horizontal ? alRight : alBottom;
  const TAnchors pair = horizontal ? TAnchors{akLeft, akRight} : TAnchors{akTop, akBottom};
  const TAnchors near_anchor = horizontal ? TAnchors{akLeft} : TAnchors{akTop};
  int32_t reach = 0;
  int32_t far_aligned = 0;
  for (int32_t i = 0; i < ControlCount(); ++i) {
    const TControl* child = Controls(i);
    if (!child->Visible()) continue;
    const TRect bounds = child->MarginBounds();
    if (child->Align() == near_side || (child->Align() == alNone && (child->Anchors() * pair) == near_anchor)) {
      reach = std::max(reach, bar.Position() + (horizontal ? bounds.Right : bounds.Bottom));
    } else if (child->Align() == far_side) {
      far_aligned += horizontal ? bounds.Width() : bounds.Height();
    }
  }
  return reach + far_aligned + (horizontal ? Padding()->Right() : Padding()->Bottom());
}

void TScrollingWinControl::UpdateScrollBars() {
  const TRect client = ClientRect();
  // A range that shrank below the position scrolls back.
  horz_->SetPosition(horz_->Position());
  vert_->SetPosition(vert_->Position());
  horz_->Update();
  vert_->Update();
  // A bar that came or went changed the client area without a new window size.
  if (ClientRect() != client) Realign();
}

void TScrollingWinControl::AlignControls(TControl* control, TRect& rect) {
  CalcAutoRange();
  TWinControl::AlignControls(control, rect);
}

void TScrollingWinControl::AdjustClientRect(TRect& rect) { ScrollingAdjustClientRectSlot(*this, rect); }

void DefaultScrollingAdjustClientRect(TScrollingWinControl& control, TRect& rect) {
  const TRect client = control.ClientRect();
  rect = Bounds(-control.horz_->Position(), -control.vert_->Position(),
                std::max(control.horz_->Range(), client.Width()), std::max(control.vert_->Range(), client.Height()));
  control.TWinControl::AdjustClientRect(rect);
}

void TScrollingWinControl::CreateWnd() {
  TWinControl::CreateWnd();
  UpdateScrollBars();
}

void TScrollingWinControl::Dispatch(TMessage& message) {
  // The window's own bars send no control handle; a scroll bar child does.
  if ((message.Msg == WM_HSCROLL || message.Msg == WM_VSCROLL) && message.LParam == 0) {
    (message.Msg == WM_HSCROLL ? horz_ : vert_)->ScrollMessage(message);
    return;
  }
  TWinControl::Dispatch(message);
}
