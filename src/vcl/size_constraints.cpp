#include "vcl/size_constraints.h"

#include "vcl/win_api.h"

RD_DEFINE_CLASS(TSizeConstraints,
                Prop(u"MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight).Default(0),
                Prop(u"MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth).Default(0),
                Prop(u"MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight).Default(0),
                Prop(u"MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth).Default(0))

void TSizeConstraints::SetLimits(int32_t min_width, int32_t min_height, int32_t max_width, int32_t max_height) {
  if (min_width == min_width_ && min_height == min_height_ && max_width == max_width_ && max_height == max_height_) {
    return;
  }
  min_width_ = min_width;
  min_height_ = min_height;
  max_width_ = max_width;
  max_height_ = max_height;
  Change();
}

void TSizeConstraints::SetMinWidth(int32_t value) {
  if (value < 0) value = 0;
  SetLimits(value, min_height_, max_width_ > 0 && value > max_width_ ? value : max_width_, max_height_);
}

void TSizeConstraints::SetMinHeight(int32_t value) {
  if (value < 0) value = 0;
  SetLimits(min_width_, value, max_width_, max_height_ > 0 && value > max_height_ ? value : max_height_);
}

void TSizeConstraints::SetMaxWidth(int32_t value) {
  if (value < 0) value = 0;
  SetLimits(value > 0 && value < min_width_ ? value : min_width_, min_height_, value, max_height_);
}

void TSizeConstraints::SetMaxHeight(int32_t value) {
  if (value < 0) value = 0;
  SetLimits(min_width_, value > 0 && value < min_height_ ? value : min_height_, max_width_, value);
}

void TSizeConstraints::CopyFrom(const TSizeConstraints& source) {
  min_width_ = source.min_width_;
  min_height_ = source.min_height_;
  max_width_ = source.max_width_;
  max_height_ = source.max_height_;
  OnChange = source.OnChange;
}

void TSizeConstraints::Scale(int32_t m, int32_t d) {
  auto scaled = [&](int32_t v) { return v > 0 ? MulDiv(v, m, d) : v; };
  SetLimits(scaled(min_width_), scaled(min_height_), scaled(max_width_), scaled(max_height_));
}

void TSizeConstraints::AssignTo(TPersistent* dest) const {
  auto* target = ObjectAs<TSizeConstraints>(dest);
  if (!target) {
    TPersistent::AssignTo(dest);
    return;
  }
  target->SetLimits(min_width_, min_height_, max_width_, max_height_);
}
