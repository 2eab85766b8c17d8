#pragma once
// TSizeConstraints: the smallest and largest width and height a control may
// take (0 = no limit). A change tells OnChange, which the control hooks to
// apply the new limits to its current size. A control's constraints object
// may be replaced by one of a derived class (TControl::ReplaceConstraints),
// which keeps the limits and the change event (CopyFrom).

#include <cstdint>

#include "rtl/classes.h"

class TSizeConstraints : public TPersistent {
  RD_CLASS(TSizeConstraints, TPersistent)
  TSizeConstraints() = default;

  int32_t MinWidth() const { return min_width_; }
  int32_t MinHeight() const { return min_height_; }
  int32_t MaxWidth() const { return max_width_; }
  int32_t MaxHeight() const { return max_height_; }
  // A maximum below the minimum lowers the minimum, and a minimum above the
  // maximum raises the maximum, so the limits never contradict each other.
  void SetMinWidth(int32_t value);
  void SetMinHeight(int32_t value);
  void SetMaxWidth(int32_t value);
  void SetMaxHeight(int32_t value);

  // The four limits and the change event of `source` (the control's old
  // constraints object when a derived one takes its place).
  virtual void CopyFrom(const TSizeConstraints& source);
  // Multiplies the non-zero limits by m / d (rounded).
  void Scale(int32_t m, int32_t d);

  TNotifyEvent OnChange;

 protected:
  void AssignTo(TPersistent* dest) const override;
  virtual void Change() { OnChange(this); }

 private:
  void SetLimits(int32_t min_width, int32_t min_height, int32_t max_width, int32_t max_height);

  int32_t min_width_ = 0;
  int32_t min_height_ = 0;
  int32_t max_width_ = 0;
  int32_t max_height_ = 0;
};
