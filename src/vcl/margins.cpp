#include "vcl/margins.h"

#include "vcl/win_api.h"

RD_DEFINE_CLASS(TSpacing)
RD_DEFINE_CLASS(TMargins,
                Prop(u"Left", &TMargins::Left, &TMargins::SetLeft).Default(3),
                Prop(u"Top", &TMargins::Top, &TMargins::SetTop).Default(3),
                Prop(u"Right", &TMargins::Right, &TMargins::SetRight).Default(3),
                Prop(u"Bottom", &TMargins::Bottom, &TMargins::SetBottom).Default(3))
RD_DEFINE_CLASS(TPadding,
                Prop(u"Left", &TPadding::Left, &TPadding::SetLeft).Default(0),
                Prop(u"Top", &TPadding::Top, &TPadding::SetTop).Default(0),
                Prop(u"Right", &TPadding::Right, &TPadding::SetRight).Default(0),
                Prop(u"Bottom", &TPadding::Bottom, &TPadding::SetBottom).Default(0))

void TSpacing::SetBounds(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (left == left_ && top == top_ && right == right_ && bottom == bottom_) return;
  left_ = left;
  top_ = top;
  right_ = right;
  bottom_ = bottom;
  OnChange(this);
}

void TSpacing::Scale(int32_t m, int32_t d) {
  SetBounds(MulDiv(left_, m, d), MulDiv(top_, m, d), MulDiv(right_, m, d), MulDiv(bottom_, m, d));
}

void TSpacing::AssignTo(TPersistent* dest) const {
  auto* target = ObjectAs<TSpacing>(dest);
  if (!target) {
    TPersistent::AssignTo(dest);
    return;
  }
  target->SetBounds(left_, top_, right_, bottom_);
}
