#pragma once
// Space around and inside a control: TMargins keeps aligned neighbours and
// the parent's edges away from a control that aligns with margins (3 pixels
// on each side by default); TPadding keeps a container's aligned children
// away from its client edges (none by default). A change tells OnChange.

#include <cstdint>

#include "rtl/classes.h"
#include "vcl/geometry.h"

class TSpacing : public TPersistent {
  RD_CLASS(TSpacing, TPersistent)

  int32_t Left() const { return left_; }
  int32_t Top() const { return top_; }
  int32_t Right() const { return right_; }
  int32_t Bottom() const { return bottom_; }
  void SetLeft(int32_t value) { SetBounds(value, top_, right_, bottom_); }
  void SetTop(int32_t value) { SetBounds(left_, value, right_, bottom_); }
  void SetRight(int32_t value) { SetBounds(left_, top_, value, bottom_); }
  void SetBottom(int32_t value) { SetBounds(left_, top_, right_, value); }
  void SetBounds(int32_t left, int32_t top, int32_t right, int32_t bottom);
  // Left + right, top + bottom.
  int32_t Horizontal() const { return left_ + right_; }
  int32_t Vertical() const { return top_ + bottom_; }
  // `rect` less this spacing on every side.
  TRect Shrink(const TRect& rect) const {
    return {rect.Left + left_, rect.Top + top_, rect.Right - right_, rect.Bottom - bottom_};
  }
  // Multiplies every side by m / d (rounded).
  void Scale(int32_t m, int32_t d);

  TNotifyEvent OnChange;

 protected:
  explicit TSpacing(int32_t initial) : left_(initial), top_(initial), right_(initial), bottom_(initial) {}
  void AssignTo(TPersistent* dest) const override;

 private:
  int32_t left_;
  int32_t top_;
  int32_t right_;
  int32_t bottom_;
};

class TMargins : public TSpacing {
  RD_CLASS(TMargins, TSpacing)
  TMargins() : TSpacing(3) {}
};

class TPadding : public TSpacing {
  RD_CLASS(TPadding, TSpacing)
  TPadding() : TSpacing(0) {}
};
