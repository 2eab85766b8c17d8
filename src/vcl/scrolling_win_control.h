#pragma once
// TScrollingWinControl: a windowed control whose children may reach beyond
// its client area and are scrolled into view with the window's scroll bars.
// Each bar (TControlScrollBar) has a range (the extent of the scrolled
// area), a position (how far it is scrolled) and shows only while the range
// is larger than the client area. With AutoScroll the ranges follow the
// children (those at the left and top, and those aligned there), so a child
// moved out of the client area makes the bar appear.

#include "vcl/win_api.h"

#include <cstdint>
#include <memory>

#include "vcl/win_control.h"

class TScrollingWinControl;

RD_ENUM(TScrollBarKind, sbHorizontal, sbVertical)

class TControlScrollBar : public TPersistent {
  RD_CLASS(TControlScrollBar, TPersistent)
  TControlScrollBar(TScrollingWinControl& control, TScrollBarKind kind) : control_(&control), kind_(kind) {}

  TScrollBarKind Kind() const { return kind_; }
  // The extent of the scrolled area; with AutoScroll it is computed.
  int32_t Range() const { return range_; }
  void SetRange(int32_t value);
  // 0 to Range less the client extent; moving it moves the children.
  int32_t Position() const { return position_; }
  void SetPosition(int32_t value);
  // The step of a click on an arrow.
  int32_t Increment() const { return increment_; }
  void SetIncrement(int32_t value) { increment_ = value > 0 ? value : 1; }
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  // Visible and the range larger than the client extent.
  bool IsScrollBarVisible() const;
  // The client extent along the bar.
  int32_t ClientExtent() const;

 protected:
  void AssignTo(TPersistent* dest) const override;

 private:
  friend class TScrollingWinControl;
  // The platform's bar made to show range, page and position.
  void Update();
  // A WM_HSCROLL or WM_VSCROLL for this bar.
  void ScrollMessage(const TMessage& message);
  int32_t MaxPosition() const;

  TScrollingWinControl* control_;
  TScrollBarKind kind_;
  int32_t range_ = 0;
  int32_t position_ = 0;
  int32_t increment_ = 8;
  bool visible_ = true;
};

class TScrollingWinControl : public TWinControl {
  RD_CLASS(TScrollingWinControl, TWinControl)
  explicit TScrollingWinControl(TComponent* owner);
  ~TScrollingWinControl() override;

  TControlScrollBar* HorzScrollBar() const { return horz_.get(); }
  TControlScrollBar* VertScrollBar() const { return vert_.get(); }
  void SetHorzScrollBar(TControlScrollBar* value) { horz_->Assign(value); }
  void SetVertScrollBar(TControlScrollBar* value) { vert_->Assign(value); }
  bool AutoScroll() const { return auto_scroll_; }
  void SetAutoScroll(bool value);
  // Scrolls so that `control` (a descendant) is inside the client area.
  void ScrollInView(TControl* control);

  // The ranges from the children (AutoScroll), then the alignment.
  void AlignControls(TControl* control, TRect& rect) override;
  // The scrolled area: the client area widened to the ranges, its origin at
  // minus the positions, less the padding.
  void AdjustClientRect(TRect& rect) override;

 protected:
  void CreateWnd() override;
  void Dispatch(TMessage& message) override;

 private:
  friend class TControlScrollBar;
  friend void DefaultScrollingAdjustClientRect(TScrollingWinControl& control, TRect& rect);
  // Moves every child by (dx, dy) as the layout does.
  void ScrollChildren(int32_t dx, int32_t dy);
  void CalcAutoRange();
  int32_t AutoRange(const TControlScrollBar& bar) const;
  void UpdateScrollBars();

  std::unique_ptr<TControlScrollBar> horz_;
  std::unique_ptr<TControlScrollBar> vert_;
  bool auto_scroll_ = true;
  // Set while the ranges are being computed (their update realigns).
  bool updating_ranges_ = false;
};
