#pragma once
// TDesignRect: how a skin picture is placed into a rectangle of any size.
// Four margins cut the picture into a nine-cell grid (fixed corners, edges
// and a centre) and the stretch mode says whether edges and centre are
// stretched, tiled or left out. Skin objects publish one as a streamable
// property and set OnChange to repaint when it changes.
//
// Margins are stored as given, also negative or larger than a picture:
// the drawing clamps them (nine_grid_plan.h).

#include <cstdint>

#include "rtl/classes.h"
#include "rtl/events.h"

// Streamed by name.
RD_ENUM(TSuperStretchMode, sdmDefault, sdmStretch, sdmFill, sdmFrame, sdmCorner)

class TDesignRect : public TPersistent {
  RD_CLASS(TDesignRect, TPersistent)
  // All four margins 0, sdmDefault.
  TDesignRect() = default;

  int32_t Left() const { return left_; }
  int32_t Top() const { return top_; }
  int32_t Right() const { return right_; }
  int32_t Bottom() const { return bottom_; }
  TSuperStretchMode StretchMode() const { return stretch_mode_; }
  // True only during the notification of `SetEmpty(false)`.
  bool SettingNotEmpty() const { return setting_not_empty_; }

  // All margins 0 and sdmDefault.
  bool GetEmpty() const;
  // true: clears margins and mode and notifies. false: changes nothing and
  // notifies once with SettingNotEmpty set.
  void SetEmpty(bool value);
  // Index 0 Left, 1 Top, 2 Right, 3 Bottom: sets and notifies only when the
  // value differs. Any other index changes nothing and notifies.
  void SetByIndex(int32_t index, int32_t value);
  // Sets and notifies only when different.
  void SetStretchMode(TSuperStretchMode value);
  // Sets without notifying. right == kKeepMargins leaves Left and Right as
  // they are; otherwise Left is set and Right becomes `left` when right ==
  // kSameMargin, else `right`. Likewise `top` and `bottom`.
  static constexpr int32_t kSameMargin = -1000;
  static constexpr int32_t kKeepMargins = -2000;
  void SetMargins(int32_t left, int32_t top, int32_t bottom, int32_t right);

  // nullptr: SetEmpty(true). A design rect: copies its five values and
  // notifies once when any differs. Anything else: the assign error.
  void Assign(const TPersistent* source) override;

  // Calls OnChange(this) when assigned.
  virtual void Changed();
  TNotifyEvent OnChange;

 protected:
  // A design rect gets this one's five values without being notified;
  // nullptr does nothing; anything else: the assign error.
  void AssignTo(TPersistent* dest) const override;

 private:
  void CopyValuesTo(TDesignRect& dest) const;
  bool SameValues(const TDesignRect& other) const;

  int32_t right_ = 0;
  int32_t bottom_ = 0;
  int32_t top_ = 0;
  int32_t left_ = 0;
  TSuperStretchMode stretch_mode_ = sdmDefault;
  bool setting_not_empty_ = false;
};
