// TControl's part of the layout: alignment and anchors as the control keeps
// them, the size checks (constraints, auto size), and scaling.
#include "vcl/control.h"

#include <algorithm>

#include "vcl/control_access.h"
#include "vcl/replaceable.h"
#include "vcl/win_control.h"

namespace {

// Marks a control as moved by the layout for one SetBounds.
class TAnchorMove {
 public:
  explicit TAnchorMove(TControl& control) : control_(control), was_(TControlAccess::AnchorMove(control)) {
    TControlAccess::SetAnchorMove(control, true);
  }
  ~TAnchorMove() { TControlAccess::SetAnchorMove(control_, was_); }
  TAnchorMove(const TAnchorMove&) = delete;
  TAnchorMove& operator=(const TAnchorMove&) = delete;

 private:
  TControl& control_;
  bool was_;
};

bool IsSide(TAlign align) { return align == alTop || align == alBottom || align == alLeft || align == alRight; }
bool IsHorizontalBar(TAlign align) { return align == alTop || align == alBottom; }

}  // namespace

void SetBoundsByLayout(TControl& control, int32_t left, int32_t top, int32_t width, int32_t height) {
  TAnchorMove move(control);
  control.SetBounds(left, top, width, height);
}

// ---- Alignment and anchors

void TControl::SetAlign(TAlign value) {
  if (value == align_) return;
  const TAlign old = align_;
  align_ = value;
  anchors_ = AnchorAlign(value);
  if (!ComponentState().Contains(csLoading) && old != alCustom && value != alCustom) {
    if (IsSide(old) && IsSide(value) && IsHorizontalBar(old) != IsHorizontalBar(value)) {
      // A bar along the top turned to the left keeps its thickness.
      SetBoundsByLayout(*this, left_, top_, height_, width_);
    } else if (old != alNone && value == alNone) {
      const TRect e = explicit_bounds_;
      SetBounds(e.Left, e.Top, e.Width(), e.Height());
    }
  }
  UpdateAnchorRules();
  RequestAlign();
}

void TControl::SetAnchors(TAnchors value) {
  if (value == anchors_) return;
  anchors_ = value;
  UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() { UpdateAnchorRulesSlot(*this); }

void DefaultUpdateAnchorRules(TControl& control) {
  if (TControlAccess::AnchorMove(control) || control.ComponentState().Contains(csLoading)) return;
  const TAnchors anchors = control.Anchors();
  if (anchors == TAnchors{akLeft, akTop}) {
    TControlAccess::SetAnchorRules(control, {}, {});
    return;
  }
  auto rule = [](bool near_edge, bool far_edge, int32_t pos, int32_t size) {
    if (far_edge) return near_edge ? size : pos;
    return pos + size / 2;
  };
  const TPoint rules{rule(anchors.Contains(akLeft), anchors.Contains(akRight), control.Left(), control.Width()),
                     rule(anchors.Contains(akTop), anchors.Contains(akBottom), control.Top(), control.Height())};
  TPoint parent_size;
  if (control.Parent()) control.Parent()->UpdateControlOriginalParentSize(&control, parent_size);
  TControlAccess::SetAnchorRules(control, rules, parent_size);
}

void TControl::RequestAlign() { RequestAlignSlot(*this); }

void DefaultRequestAlign(TControl& control) {
  if (control.Parent()) control.Parent()->AlignControl(&control);
}

void TControl::SetAlignWithMargins(bool value) {
  if (value == AlignWithMargins()) return;
  if (value) {
    control_style_.Include(csAlignWithMargins);
  } else {
    control_style_.Exclude(csAlignWithMargins);
  }
  RequestAlign();
}

void TControl::MarginsChanged(TObject*) {
  if (AlignWithMargins()) RequestAlign();
}

TRect TControl::MarginBounds() const {
  const TRect bounds = Bounds(left_, top_, width_, height_);
  if (!AlignWithMargins()) return bounds;
  return {bounds.Left - margins_->Left(), bounds.Top - margins_->Top(), bounds.Right + margins_->Right(),
          bounds.Bottom + margins_->Bottom()};
}

// ---- Size checks

void TControl::ReplaceConstraints(std::unique_ptr<TSizeConstraints> constraints) {
  constraints->CopyFrom(*constraints_);
  constraints_ = std::move(constraints);
}

void TControl::ConstraintsChanged(TObject*) { AdjustSize(); }

void TControl::SetAutoSize(bool value) {
  if (value == auto_size_) return;
  auto_size_ = value;
  if (value) AdjustSize();
}

bool TControl::CanAutoSize(int32_t&, int32_t&) { return true; }

void TControl::AdjustSize() {
  if (!ComponentState().Contains(csLoading)) SetBounds(left_, top_, width_, height_);
}

bool TControl::CanResize(int32_t& width, int32_t& height) {
  bool accept = true;
  OnCanResize(this, width, height, accept);
  return accept;
}

void TControl::ConstrainedResize(int32_t& min_width, int32_t& min_height, int32_t& max_width, int32_t& max_height) {
  ConstrainedResizeSlot(*this, min_width, min_height, max_width, max_height);
}

void DefaultConstrainedResize(TControl& control, int32_t& min_width, int32_t& min_height, int32_t& max_width,
                              int32_t& max_height) {
  control.OnConstrainedResize(&control, min_width, min_height, max_width, max_height);
}

void TControl::DoConstrainedResize(int32_t& width, int32_t& height) {
  int32_t min_width = constraints_->MinWidth();
  int32_t min_height = constraints_->MinHeight();
  int32_t max_width = constraints_->MaxWidth();
  int32_t max_height = constraints_->MaxHeight();
  ConstrainedResize(min_width, min_height, max_width, max_height);
  // The minimum wins over a maximum below it.
  if (max_width > 0 && width > max_width) width = max_width;
  if (min_width > 0 && width < min_width) width = min_width;
  if (max_height > 0 && height > max_height) height = max_height;
  if (min_height > 0 && height < min_height) height = min_height;
}

bool TControl::CheckNewSize(int32_t& width, int32_t& height) {
  int32_t w = std::max(width, 0);
  int32_t h = std::max(height, 0);
  if (!CanResize(w, h)) return false;
  if (auto_size_ && !CanAutoSize(w, h)) return false;
  DoConstrainedResize(w, h);
  width = std::max(w, 0);
  height = std::max(h, 0);
  return true;
}

// ---- Scaling

void TControl::ChangeScale(int32_t m, int32_t d) {
  if (m != d && d != 0) {
    const TScalingFlags flags = ComponentState().Contains(csLoading)
                                    ? scaling_flags_
                                    : TScalingFlags{sfLeft, sfTop, sfWidth, sfHeight, sfFont};
    // The edges are scaled, not the sizes, so that neighbours stay neighbours
    // and a scaling and its inverse give back the same bounds.
    auto scale = [&](const TRect& r) {
      const int32_t left = flags.Contains(sfLeft) ? MulDiv(r.Left, m, d) : r.Left;
      const int32_t top = flags.Contains(sfTop) ? MulDiv(r.Top, m, d) : r.Top;
      int32_t width = r.Width();
      if (flags.Contains(sfWidth) && !control_style_.Contains(csFixedWidth)) {
        width = flags.Contains(sfLeft) ? MulDiv(r.Right, m, d) - left : MulDiv(width, m, d);
      }
      int32_t height = r.Height();
      if (flags.Contains(sfHeight) && !control_style_.Contains(csFixedHeight)) {
        height = flags.Contains(sfTop) ? MulDiv(r.Bottom, m, d) - top : MulDiv(height, m, d);
      }
      return Bounds(left, top, width, height);
    };
    WithoutChangeEvent(*constraints_, [&] { constraints_->Scale(m, d); });
    WithoutChangeEvent(*margins_, [&] { margins_->Scale(m, d); });
    const TRect explicit_bounds = scale(explicit_bounds_);
    const TRect bounds = scale(Bounds(left_, top_, width_, height_));
    SetBoundsByLayout(*this, bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    explicit_bounds_ = explicit_bounds;
    if (flags.Contains(sfFont) && !parent_font_ && !desktop_font_) font_->SetHeight(MulDiv(font_->Height(), m, d));
  }
  scaling_flags_ = {};
}
