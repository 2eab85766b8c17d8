#pragma once
// What a replacement of a control operation (replaceable.h) may reach of the
// controls' internals, and the framework's own versions of those operations
// (the slots' originals). Nothing else should use this class: it bypasses
// the events and the bookkeeping that the public setters do.
//
//   TPoint EngineClientOrigin(const TControl& control) {
//     if (!IsSkinned(control)) return GetClientOriginSlot.Original()(control);
//     ...
//   }

#include "vcl/win_api.h"

#include "vcl/control.h"
#include "vcl/win_control.h"

class TScrollingWinControl;

class TControlAccess {
 public:
  // The parent field alone: the control is neither added to nor removed from
  // any child list, and no message is sent.
  static void SetParentField(TControl& control, TWinControl* parent) { control.parent_ = parent; }
  // The bounds fields alone: no window is moved, no event fires.
  static void SetBoundsFields(TControl& control, int32_t left, int32_t top, int32_t width, int32_t height) {
    control.left_ = left;
    control.top_ = top;
    control.width_ = width;
    control.height_ = height;
  }
  static void SetExplicitBounds(TControl& control, const TRect& bounds) { control.explicit_bounds_ = bounds; }
  static void UpdateExplicitBounds(TControl& control) { control.UpdateExplicitBounds(); }
  static void SetShowing(TWinControl& control, bool value) { control.showing_ = value; }

  // What the anchors remember (UpdateAnchorRules' result) and whether the
  // layout itself is moving the control (anchor rules and explicit bounds
  // are then left alone).
  static void SetAnchorRules(TControl& control, TPoint rules, TPoint original_parent_size) {
    control.anchor_rules_ = rules;
    control.original_parent_size_ = original_parent_size;
  }
  static bool AnchorMove(const TControl& control) { return control.anchor_move_; }
  static void SetAnchorMove(TControl& control, bool value) { control.anchor_move_ = value; }

  // The per-window mouse control (the child under the mouse) and whether the
  // window tracks the mouse's leaving.
  static TControl* MouseControl(const TWinControl& window) { return window.mouse_control_; }
  static void SetMouseControl(TWinControl& window, TControl* control) { window.mouse_control_ = control; }
  static bool TrackingMouse(const TWinControl& window) { return window.tracking_mouse_; }
  static void SetTrackingMouse(TWinControl& window, bool value) { window.tracking_mouse_ = value; }

  // The windowless control holding the mouse capture (none when a window
  // holds it itself), without the platform's capture.
  static TControl* CaptureControlField();
  static void SetCaptureControlField(TControl* control);

  // The position of a mouse message for `control` (the cursor's for a
  // control beyond 16-bit coordinates).
  static TPoint MousePosition(const TControl& control, const TMessage& message) {
    return control.MousePosition(message);
  }

  // The steps of TWinControl.WndProc's original.
  // The windowed control's own cases (mouse enter/leave tracking, capture
  // loss, focus); true when the message is finished.
  static bool WinControlSpecialCases(TWinControl& window, TMessage& message);
  // A mouse message for a windowless child under the mouse (or holding the
  // capture) sent on to it, in its coordinates; true when it was.
  static bool RouteMouseToChild(TWinControl& window, TMessage& message);
  // TControl's WndProc: capture and click state, then Dispatch.
  static void ControlWndProc(TControl& control, TMessage& message) { control.TControl::WndProc(message); }
};

// Sets the bounds as alignment and anchoring do: the control's explicit
// bounds and anchor rules stay as the program set them.
void SetBoundsByLayout(TControl& control, int32_t left, int32_t top, int32_t width, int32_t height);

// The framework's own versions of the replaceable control operations.
void DefaultInvalidateControl(TControl& control, bool visible, bool opaque);
void DefaultSetBounds(TControl& control, int32_t left, int32_t top, int32_t width, int32_t height);
void DefaultResize(TControl& control);
void DefaultUpdateAnchorRules(TControl& control);
void DefaultRequestAlign(TControl& control);
void DefaultConstrainedResize(TControl& control, int32_t& min_width, int32_t& min_height, int32_t& max_width,
                              int32_t& max_height);
void DefaultScrollingAdjustClientRect(TScrollingWinControl& control, TRect& rect);
TRect DefaultGetBoundsRect(const TControl& control);
void DefaultSetBoundsRect(TControl& control, const TRect& rect);
TPoint DefaultGetClientOrigin(const TControl& control);
TPoint DefaultClientToScreen(const TControl& control, TPoint point);
TPoint DefaultScreenToClient(const TControl& control, TPoint point);
TPoint DefaultParentToClient(const TControl& control, TPoint point, TWinControl* ancestor);
TPoint DefaultClientToParent(const TControl& control, TPoint point, TWinControl* ancestor);
void DefaultControlWMMouseMove(TControl& control, TMessage& message);
void DefaultControlWMLButtonUp(TControl& control, TMessage& message);
void DefaultDoMouseDown(TControl& control, TMessage& message, TMouseButton button, TShiftState shift);
void DefaultDoMouseUp(TControl& control, TMessage& message, TMouseButton button);
void DefaultControlCMMouseWheel(TControl& control, TMessage& message);
void DefaultWinControlWMWindowPosChanging(TWinControl& control, TMessage& message);
void DefaultWinControlWMSetCursor(TWinControl& control, TMessage& message);
void DefaultWinControlWndProc(TWinControl& control, TMessage& message);
