#include "engine/image/design/design_rect.h"

#include "rtl/rtti.h"

namespace {

template <int32_t Index>
void SetMargin(TDesignRect& rect, int32_t value) {
  rect.SetByIndex(Index, value);
}

}  // namespace

RD_DEFINE_CLASS(TDesignRect,
                Prop(u"StretchMode", &TDesignRect::StretchMode, &TDesignRect::SetStretchMode).Default(sdmDefault),
                Prop(u"Empty", &TDesignRect::GetEmpty, &TDesignRect::SetEmpty).Default(true).Stored(false),
                Prop(u"Left", &TDesignRect::Left, &SetMargin<0>).Default(0),
                Prop(u"Top", &TDesignRect::Top, &SetMargin<1>).Default(0),
                Prop(u"Right", &TDesignRect::Right, &SetMargin<2>).Default(0),
                Prop(u"Bottom", &TDesignRect::Bottom, &SetMargin<3>).Default(0))

bool TDesignRect::GetEmpty() const {
  return left_ == 0 && top_ == 0 && right_ == 0 && bottom_ == 0 && stretch_mode_ == sdmDefault;
}

void TDesignRect::SetEmpty(bool value) {
  if (value) {
    left_ = top_ = right_ = bottom_ = 0;
    stretch_mode_ = sdmDefault;
    Changed();
    return;
  }
  // Restored also when a handler raises, so the flag never sticks.
  struct TFlagScope {
    bool& flag;
    explicit TFlagScope(bool& f) : flag(f) { flag = true; }
    ~TFlagScope() { flag = false; }
  } scope(setting_not_empty_);
  Changed();
}

void TDesignRect::SetByIndex(int32_t index, int32_t value) {
  int32_t* field = nullptr;
  switch (index) {
    case 0: field = &left_; break;
    case 1: field = &top_; break;
    case 2: field = &right_; break;
    case 3: field = &bottom_; break;
    default: Changed(); return;
  }
  if (*field == value) return;
  *field = value;
  Changed();
}

void TDesignRect::SetStretchMode(TSuperStretchMode value) {
  if (stretch_mode_ == value) return;
  stretch_mode_ = value;
  Changed();
}

void TDesignRect::SetMargins(int32_t left, int32_t top, int32_t bottom, int32_t right) {
  if (right != kKeepMargins) {
    left_ = left;
    right_ = right == kSameMargin ? left : right;
  }
  if (bottom != kKeepMargins) {
    top_ = top;
    bottom_ = bottom == kSameMargin ? top : bottom;
  }
}

void TDesignRect::Assign(const TPersistent* source) {
  if (source == nullptr) {
    SetEmpty(true);
    return;
  }
  if (const auto* other = ObjectAs<const TDesignRect>(source)) {
    if (SameValues(*other)) return;
    other->CopyValuesTo(*this);
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TDesignRect::AssignTo(TPersistent* dest) const {
  if (dest == nullptr) return;  // nothing to copy into
  if (auto* other = ObjectAs<TDesignRect>(dest)) {
    CopyValuesTo(*other);
    return;
  }
  TPersistent::AssignTo(dest);
}

void TDesignRect::Changed() { OnChange(this); }

void TDesignRect::CopyValuesTo(TDesignRect& dest) const {
  dest.left_ = left_;
  dest.top_ = top_;
  dest.right_ = right_;
  dest.bottom_ = bottom_;
  dest.stretch_mode_ = stretch_mode_;
}

bool TDesignRect::SameValues(const TDesignRect& other) const {
  return left_ == other.left_ && top_ == other.top_ && right_ == other.right_ && bottom_ == other.bottom_ &&
         stretch_mode_ == other.stretch_mode_;
}
