#pragma once
// Every framework operation that another layer may replace, in one list.
//
// The framework calls these operations only through their slot. A slot
// holds the framework's own function until a replacement is installed (the
// engine installs its replacements at start-up and restores the originals at
// shut-down). Installing into a slot that already holds a replacement is
// refused: the slot keeps what it has, the refusal goes to the debugger
// output and Replace returns false, so two replacers never silently chain.
// Start-up and shut-down run on the main thread; calls may come from any.
//
//   ColorToRGBSlot.Replace(&EngineColorToRGB);   // true
//   ColorToRGB(clBtnFace);                       // EngineColorToRGB(clBtnFace)
//   ColorToRGBSlot.Restore();

#include <atomic>
#include <utility>

#include "rtl/ustring.h"
#include "vcl/colors.h"
#include "vcl/geometry.h"

class TFiler;
class TPicture;
class TControl;
class TWinControl;
class TScrollingWinControl;
struct TMessage;
enum TMouseButton : uint8_t;
enum TShiftStateFlag : uint8_t;

template <class Fn>
class TReplaceableSlot;

template <class R, class... Args>
class TReplaceableSlot<R(Args...)> {
 public:
  using Function = R (*)(Args...);

  constexpr TReplaceableSlot(const char16_t* name, Function original)
      : name_(name), original_(original), current_(original) {}
  TReplaceableSlot(const TReplaceableSlot&) = delete;
  TReplaceableSlot& operator=(const TReplaceableSlot&) = delete;

  R operator()(Args... args) const { return current_.load(std::memory_order_acquire)(std::forward<Args>(args)...); }

  // False (and reported) when a replacement is already installed or
  // `replacement` is null.
  bool Replace(Function replacement);
  // Puts the framework's own function back.
  void Restore() { current_.store(original_, std::memory_order_release); }

  bool Replaced() const { return current_.load(std::memory_order_acquire) != original_; }
  Function Current() const { return current_.load(std::memory_order_acquire); }
  // The framework's own function, for a replacement that falls back to it.
  Function Original() const { return original_; }
  const char16_t* Name() const { return name_; }

 private:
  const char16_t* name_;
  Function original_;
  std::atomic<Function> current_;
};

// Writes "Replaceable slot <name>: <reason>" to the debugger output.
void ReportSlotRefusal(const char16_t* slot_name, const char16_t* reason);

template <class R, class... Args>
bool TReplaceableSlot<R(Args...)>::Replace(Function replacement) {
  if (!replacement) {
    ReportSlotRefusal(name_, u"no replacement given");
    return false;
  }
  Function expected = original_;
  if (!current_.compare_exchange_strong(expected, replacement, std::memory_order_acq_rel)) {
    ReportSlotRefusal(name_, u"already replaced");
    return false;
  }
  return true;
}

// ---- The slots

// colors.h
extern TReplaceableSlot<TColor(TColor)> ColorToRGBSlot;
extern TReplaceableSlot<bool(StringView, int32_t&)> IdentToColorSlot;
extern TReplaceableSlot<bool(int32_t, String&)> ColorToIdentSlot;
extern TReplaceableSlot<void(const TGetStrProc&)> GetColorValuesSlot;

// picture.h: how a picture streams itself in forms (the original defines
// the binary "Data" property) and how it loads a file by its extension.
extern TReplaceableSlot<void(TPicture&, TFiler&)> PictureDefinePropertiesSlot;
extern TReplaceableSlot<void(TPicture&, const String&)> PictureLoadFromFileSlot;

// Controls (control.h, win_control.h). Each slot is called inside the class
// method of the same name and wherever the framework itself needs the
// operation, so a replacement also serves the framework's own calls. The
// originals are declared in control_access.h, with the access class that
// gives replacements the internals they need.

// TControl.InvalidateControl(visible, opaque).
extern TReplaceableSlot<void(TControl&, bool, bool)> InvalidateControlSlot;
// TControl.SetBounds(left, top, width, height), for windowless controls.
extern TReplaceableSlot<void(TControl&, int32_t, int32_t, int32_t, int32_t)> SetBoundsSlot;
// TControl.Resize: OnResize after a change of size.
extern TReplaceableSlot<void(TControl&)> ResizeSlot;
// TControl.UpdateAnchorRules: what the anchors remember of the bounds.
extern TReplaceableSlot<void(TControl&)> UpdateAnchorRulesSlot;
// TControl.RequestAlign: the parent aligns the control.
extern TReplaceableSlot<void(TControl&)> RequestAlignSlot;
// TControl.ConstrainedResize (minimum width, minimum height, maximum width,
// maximum height, each in/out): OnConstrainedResize.
extern TReplaceableSlot<void(TControl&, int32_t&, int32_t&, int32_t&, int32_t&)> ConstrainedResizeSlot;
// TScrollingWinControl.AdjustClientRect: the area its children are aligned in.
extern TReplaceableSlot<void(TScrollingWinControl&, TRect&)> ScrollingAdjustClientRectSlot;
// TControl.BoundsRect and its setter.
extern TReplaceableSlot<TRect(const TControl&)> GetBoundsRectSlot;
extern TReplaceableSlot<void(TControl&, const TRect&)> SetBoundsRectSlot;
// TControl.GetClientOrigin, ClientToScreen, ScreenToClient.
extern TReplaceableSlot<TPoint(const TControl&)> GetClientOriginSlot;
extern TReplaceableSlot<TPoint(const TControl&, TPoint)> ClientToScreenSlot;
extern TReplaceableSlot<TPoint(const TControl&, TPoint)> ScreenToClientSlot;
// TControl.ParentToClient and ClientToParent (point, ancestor or null).
extern TReplaceableSlot<TPoint(const TControl&, TPoint, TWinControl*)> ParentToClientSlot;
extern TReplaceableSlot<TPoint(const TControl&, TPoint, TWinControl*)> ClientToParentSlot;
// TControl's WM_MOUSEMOVE and WM_LBUTTONUP handlers.
extern TReplaceableSlot<void(TControl&, TMessage&)> ControlWMMouseMoveSlot;
extern TReplaceableSlot<void(TControl&, TMessage&)> ControlWMLButtonUpSlot;
// TControl's mouse-down and mouse-up dispatch (DoMouseDown, DoMouseUp).
extern TReplaceableSlot<void(TControl&, TMessage&, TMouseButton, TSet<TShiftStateFlag>)> DoMouseDownSlot;
extern TReplaceableSlot<void(TControl&, TMessage&, TMouseButton)> DoMouseUpSlot;
// TControl's CM_MOUSEWHEEL handler.
extern TReplaceableSlot<void(TControl&, TMessage&)> ControlCMMouseWheelSlot;
// TWinControl's WM_WINDOWPOSCHANGING and WM_SETCURSOR handlers.
extern TReplaceableSlot<void(TWinControl&, TMessage&)> WinControlWMWindowPosChangingSlot;
extern TReplaceableSlot<void(TWinControl&, TMessage&)> WinControlWMSetCursorSlot;
// TWinControl.WndProc. Its original is three steps a replacement can call on
// their own (TControlAccess): the windowed control's special cases, the
// routing of mouse messages to windowless children, and TControl's WndProc.
extern TReplaceableSlot<void(TWinControl&, TMessage&)> WinControlWndProcSlot;
