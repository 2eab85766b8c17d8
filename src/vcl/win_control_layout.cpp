// TWinControl's part of the layout: aligning and anchoring the children,
// padding and the border frame, auto size from the children, the design
// size, and scaling a tree of controls.
#include "vcl/win_control.h"

#include <algorithm>

#include "rtl/reader.h"
#include "rtl/writer.h"
#include "vcl/control_access.h"
#include "vcl/replaceable.h"

namespace {

// DisableAlign for a scope; EnableAlign on every way out.
class TAlignDisabled {
 public:
  explicit TAlignDisabled(TWinControl& control) : control_(control) { control.DisableAlign(); }
  ~TAlignDisabled() { control_.EnableAlign(); }
  TAlignDisabled(const TAlignDisabled&) = delete;
  TAlignDisabled& operator=(const TAlignDisabled&) = delete;

 private:
  TWinControl& control_;
};

bool DesignVisible(const TControl& control) {
  return control.Visible() || (control.ComponentState().Contains(csDesigning) &&
                               !control.ControlStyle().Contains(csNoDesignVisible));
}

}  // namespace

// ---- Alignment

void TWinControl::EnableAlign() {
  if (align_level_ == 0) return;
  if (--align_level_ == 0 && ControlState().Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::AlignControl(TControl* control) {
  if (ComponentState().Contains(csDestroying)) return;
  if (align_level_ != 0) {
    SetControlState(ControlState() + TControlState{csAlignmentNeeded});
    return;
  }
  {
    TAlignDisabled disabled(*this);
    struct Aligning {
      TWinControl& control;
      ~Aligning() {
        control.SetControlState(control.ControlState() - TControlState{csAligning, csAlignmentNeeded});
      }
    } aligning{*this};
    SetControlState(ControlState() + TControlState{csAligning});
    TRect rect = GetClientRect();
    AlignControls(control, rect);
  }
  // After the children found their places (and outside the alignment, so
  // that a new size aligns them again).
  if (AutoSize()) AdjustSize();
}

void TWinControl::AlignControls(TControl* control, TRect& rect) {
  AdjustClientRect(rect);
  bool work = false;
  for (int32_t i = ControlCount() - 1; i >= 0 && !work; --i) {
    const TControl* child = Controls(i);
    work = child->Align() != alNone || child->Anchors() != TAnchors{akLeft, akTop};
  }
  if (!work) return;
  if (control && control->Parent() != this) control = nullptr;
  std::vector<TControl*> list;
  for (const TAlign align : {alTop, alBottom, alLeft, alRight, alClient, alCustom, alNone}) {
    AlignGroup(align, control, rect, list);
  }
}

void TWinControl::AlignGroup(TAlign align, TControl* first, TRect& rect, std::vector<TControl*>& list) {
  auto takes = [&](const TControl* child) {
    return child->Align() == align && (align == alNone || DesignVisible(*child));
  };
  list.clear();
  if (first && takes(first)) list.push_back(first);
  for (int32_t i = 0; i < ControlCount(); ++i) {
    TControl* child = Controls(i);
    if (child == first || !takes(child)) continue;
    // The one that asked is in the list first, so it wins a tie: a bar
    // moved onto another one's place goes before it.
    auto at = list.begin();
    while (at != list.end() && !InsertBefore(child, *at, align)) ++at;
    list.insert(at, child);
  }
  for (size_t i = 0; i < list.size(); ++i) {
    const TAlignInfo info{&list, static_cast<int32_t>(i), align};
    PositionControl(list[i], align, info, rect);
  }
}

bool TWinControl::InsertBefore(TControl* first, TControl* second, TAlign align) {
  const TRect a = first->MarginBounds();
  const TRect b = second->MarginBounds();
  switch (align) {
    case alTop: return a.Top < b.Top;
    case alBottom: return a.Bottom >= b.Bottom;
    case alLeft: return a.Left < b.Left;
    case alRight: return a.Right >= b.Right;
    case alCustom: return CustomAlignInsertBefore(first, second);
    default: return false;
  }
}

bool TWinControl::CustomAlignInsertBefore(TControl* first, TControl* second) {
  bool before = false;
  OnAlignInsertBefore(this, first, second, before);
  return before;
}

void TWinControl::CustomAlignPosition(TControl* control, int32_t& left, int32_t& top, int32_t& width,
                                      int32_t& height, TRect& align_rect, const TAlignInfo& info) {
  OnAlignPosition(this, control, left, top, width, height, align_rect, info);
}

TPoint TWinControl::AnchorArea() const {
  const TPoint size = ClientRect().BottomRight();
  return {size.X - padding_->Horizontal(), size.Y - padding_->Vertical()};
}

void TWinControl::UpdateControlOriginalParentSize(TControl* control, TPoint& size) {
  if (ComponentState().Contains(csReading) && !control->ComponentState().Contains(csDesigning) &&
      design_size_ != TPoint{}) {
    size = {design_size_.X - padding_->Horizontal(), design_size_.Y - padding_->Vertical()};
  } else {
    size = AnchorArea();
  }
}

// Moves an anchored control as the client size changed since its anchor
// rules were taken: an edge anchored alone keeps its distance to that side,
// both edges stretch the control, neither keeps its centre in proportion.
void TWinControl::AnchorControl(TControl* control) {
  if (Scaling()) return;
  const TPoint original = control->OriginalParentSize();
  const TPoint rules = control->AnchorRules();
  const TPoint now = AnchorArea();
  const TAnchors anchors = control->Anchors();
  int32_t left = control->Left();
  int32_t top = control->Top();
  int32_t width = control->Width();
  int32_t height = control->Height();
  auto place = [](bool near_edge, bool far_edge, int32_t original, int32_t rule, int32_t now, int32_t& pos,
                  int32_t& size) {
    if (original == 0) return;
    if (far_edge) {
      if (near_edge) {
        size = now - (original - rule);
      } else {
        pos = now - (original - rule);
      }
    } else if (!near_edge) {
      pos = MulDiv(rule, now, original) - size / 2;
    }
  };
  place(anchors.Contains(akLeft), anchors.Contains(akRight), original.X, rules.X, now.X, left, width);
  place(anchors.Contains(akTop), anchors.Contains(akBottom), original.Y, rules.Y, now.Y, top, height);
  SetBoundsByLayout(*control, left, top, width, height);
}

void TWinControl::PositionControl(TControl* control, TAlign align, const TAlignInfo& info, TRect& rect) {
  if (align == alNone || control->Anchors() != AnchorAlign(align)) AnchorControl(control);
  if (align == alNone) return;
  const bool margins = control->AlignWithMargins();
  const int32_t ml = margins ? control->Margins()->Left() : 0;
  const int32_t mt = margins ? control->Margins()->Top() : 0;
  const int32_t mr = margins ? control->Margins()->Right() : 0;
  const int32_t mb = margins ? control->Margins()->Bottom() : 0;
  // Where no room is left the control gets none (never a negative size).
  int32_t width = align == alLeft || align == alRight || align == alCustom
                      ? control->Width()
                      : std::max(rect.Width() - ml - mr, 0);
  int32_t height = align == alTop || align == alBottom || align == alCustom
                       ? control->Height()
                       : std::max(rect.Height() - mt - mb, 0);
  int32_t left = rect.Left + ml;
  int32_t top = rect.Top + mt;
  switch (align) {
    case alBottom: top = rect.Bottom - mb - height; break;
    case alRight: left = rect.Right - mr - width; break;
    case alCustom:
      left = control->Left();
      top = control->Top();
      CustomAlignPosition(control, left, top, width, height, rect, info);
      break;
    default: break;
  }
  SetBoundsByLayout(*control, left, top, width, height);
  // A control that keeps another size (constraints, auto size) takes what
  // it kept, and one aligned to the far_edge side stays against it.
  if (align == alBottom && control->Height() != height) {
    SetBoundsByLayout(*control, control->Left(), rect.Bottom - mb - control->Height(), control->Width(),
                      control->Height());
  } else if (align == alRight && control->Width() != width) {
    SetBoundsByLayout(*control, rect.Right - mr - control->Width(), control->Top(), control->Width(),
                      control->Height());
  }
  switch (align) {
    case alTop: rect.Top += mt + control->Height() + mb; break;
    case alBottom: rect.Bottom -= mt + control->Height() + mb; break;
    case alLeft: rect.Left += ml + control->Width() + mr; break;
    case alRight: rect.Right -= ml + control->Width() + mr; break;
    default: break;
  }
}

void TWinControl::AdjustClientRect(TRect& rect) { rect = padding_->Shrink(rect); }

void TWinControl::PaddingChanged(TObject*) { Realign(); }

// ---- Border frame

void TWinControl::SetBorderWidth(int32_t value) {
  value = std::max(value, 0);
  if (value == border_width_) return;
  border_width_ = value;
  if (HandleAllocated()) {
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Realign();
}

void TWinControl::WMNCCalcSize(TMessage& message) {
  DefaultHandler(message);
  if (border_width_ == 0 || !message.LParam) return;
  // Both forms of the message start with the new window rectangle.
  RECT& client = *reinterpret_cast<RECT*>(message.LParam);
  client.left += border_width_;
  client.top += border_width_;
  client.right = std::max(client.right - border_width_, client.left);
  client.bottom = std::max(client.bottom - border_width_, client.top);
}

void TWinControl::WMNCPaint(TMessage& message) {
  DefaultHandler(message);
  if (border_width_ == 0 || !HandleAllocated()) return;
  HWND window = Handle();
  HDC dc = GetWindowDC(window);
  if (!dc) return;
  // The frame is the part of the window outside the client area.
  RECT window_rect{};
  GetWindowRect(window, &window_rect);
  POINT client_origin{0, 0};
  ::ClientToScreen(window, &client_origin);
  RECT client{};
  ::GetClientRect(window, &client);
  OffsetRect(&client, client_origin.x - window_rect.left, client_origin.y - window_rect.top);
  const RECT frame{client.left - border_width_, client.top - border_width_, client.right + border_width_,
                   client.bottom + border_width_};
  ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
  FillRect(dc, &frame, Brush().Handle());
  ReleaseDC(window, dc);
}

// ---- Auto size

bool TWinControl::CanAutoSize(int32_t& width, int32_t& height) {
  bool any = false;
  TPoint extent;
  for (int32_t i = 0; i < ControlCount(); ++i) {
    const TControl* child = Controls(i);
    if (!DesignVisible(*child)) continue;
    const TRect bounds = child->MarginBounds();
    extent.X = std::max(extent.X, bounds.Right);
    extent.Y = std::max(extent.Y, bounds.Bottom);
    any = true;
  }
  if (!any) return true;
  const TRect client = ClientRect();
  // The frame around the client area stays.
  const int32_t new_width = extent.X + padding_->Right() + (Width() - client.Width());
  const int32_t new_height = extent.Y + padding_->Bottom() + (Height() - client.Height());
  if (Align() == alNone || Align() == alLeft || Align() == alRight) width = new_width;
  if (Align() == alNone || Align() == alTop || Align() == alBottom) height = new_height;
  return true;
}

// ---- Streaming

void TWinControl::ReadState(TReader& reader) {
  TAlignDisabled disabled(*this);
  TControl::ReadState(reader);
}

void TWinControl::Loaded() {
  TControl::Loaded();
  Realign();
}

void TWinControl::DefineProperties(TFiler& filer) {
  TControl::DefineProperties(filer);
  const auto* ancestor = ObjectAs<TWinControl>(filer.Ancestor());
  const TPoint client = ClientRect().BottomRight();
  // Worth writing when a child's anchors measure against it.
  bool has_data = !ancestor || ancestor->design_size_ != client;
  if (has_data) {
    has_data = false;
    for (int32_t i = 0; i < ControlCount() && !has_data; ++i) {
      const TControl* child = Controls(i);
      has_data = child->Anchors() != AnchorAlign(child->Align());
    }
  }
  filer.DefineProperty(
      u"DesignSize",
      [this](TReader& reader) {
        reader.ReadListBegin();
        const int32_t x = reader.ReadInteger();
        const int32_t y = reader.ReadInteger();
        reader.ReadListEnd();
        design_size_ = {x, y};
        scaling_flags_.Include(sfDesignSize);
      },
      [this, client](TWriter& writer) {
        design_size_ = client;
        writer.WriteListBegin();
        writer.WriteInteger(client.X);
        writer.WriteInteger(client.Y);
        writer.WriteListEnd();
      },
      has_data);
}

// ---- Scaling

void TWinControl::ChangeScale(int32_t m, int32_t d) {
  const bool outermost = !Scaling();
  {
    struct Scope {
      bool& flag;
      ~Scope() { flag = false; }
    } scope{scaling_};
    scaling_ = true;
    TAlignDisabled disabled(*this);
    for (int32_t i = 0; i < ControlCount(); ++i) Controls(i)->ChangeScale(m, d);
    if (m != d && d != 0) {
      if (ScalingFlags().Contains(sfDesignSize)) {
        design_size_ = {MulDiv(design_size_.X, m, d), MulDiv(design_size_.Y, m, d)};
      }
      WithoutChangeEvent(*padding_, [&] { padding_->Scale(m, d); });
    }
    TControl::ChangeScale(m, d);
    // The alignment that follows (when `disabled` ends) places the aligned
    // controls; the anchored ones stay where they were scaled to.
    SetControlState(ControlState() + TControlState{csAlignmentNeeded});
  }
  // From now on the anchors measure against the new sizes.
  if (outermost) UpdateAnchorRulesOfTree(*this);
}

bool TWinControl::Scaling() const {
  for (const TWinControl* control = this; control; control = control->Parent()) {
    if (control->scaling_) return true;
  }
  return false;
}

void TWinControl::UpdateAnchorRulesOfTree(TControl& control) {
  control.UpdateAnchorRules();
  if (auto* window = ObjectAs<TWinControl>(&control)) {
    for (int32_t i = 0; i < window->ControlCount(); ++i) UpdateAnchorRulesOfTree(*window->Controls(i));
  }
}

void TWinControl::ScaleBy(int32_t m, int32_t d) {
  const int32_t left = Left();
  const int32_t top = Top();
  ChangeScale(m, d);
  SetBounds(left, top, Width(), Height());
}
