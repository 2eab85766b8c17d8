#pragma once
// TControl: the base of every visual component. A control has bounds in its
// parent's client coordinates, a font, a colour and a text, and receives
// messages through WindowProc (WndProc by default), which dispatches them to
// the handlers of its class. A windowless control (TGraphicControl) has no
// window of its own: its windowed parent paints it and routes mouse messages
// to it. Windowed controls are TWinControl.
//
// Lifetime: a control is created with CreateObject and released with Free
// (its owner frees it otherwise). Its destructor leaves the parent; the
// parent's destructor deletes the children still in its list.

#include "vcl/win_api.h"

#include <cstdint>
#include <memory>

#include "rtl/classes.h"
#include "vcl/canvas.h"
#include "vcl/colors.h"
#include "vcl/cursors.h"
#include "vcl/geometry.h"
#include "vcl/graphics_objects.h"
#include "vcl/layout_types.h"
#include "vcl/margins.h"
#include "vcl/messages.h"
#include "vcl/size_constraints.h"

class TWinControl;
class TControlAccess;

RD_ENUM(TControlStyleFlag, csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed,
        csSetCaption, csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable,
        csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents, csNeedsBorderPaint,
        csParentBackground, csPannable, csAlignWithMargins, csGestures)
using TControlStyle = TSet<TControlStyleFlag>;

RD_ENUM(TControlStateFlag, csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing,
        csCreating, csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking, csDesignerHide, csPanning,
        csRecreating, csAligning, csGlassPaint, csPrintClient)
using TControlState = TSet<TControlStateFlag>;

RD_ENUM(TMouseButton, mbLeft, mbRight, mbMiddle)
RD_ENUM(TShiftStateFlag, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble)
using TShiftState = TSet<TShiftStateFlag>;
RD_ENUM(TMouseActivate, maDefault, maActivate, maActivateAndEat, maNoActivate, maNoActivateAndEat)
RD_ENUM(TDragState, dsDragEnter, dsDragLeave, dsDragMove)

// The shift state of a mouse message's key flags (MK_...), and of the
// keyboard for the Alt key (which mouse messages do not carry).
TShiftState KeysToShiftState(uint32_t keys);
// The shift state of the keyboard (Shift, Ctrl, Alt) now.
TShiftState KeyboardShiftState();

using TWndMethod = TEventOf<TMessage&>;
using TMouseEvent = TEventOf<TObject*, TMouseButton, TShiftState, int32_t, int32_t>;
using TMouseMoveEvent = TEventOf<TObject*, TShiftState, int32_t, int32_t>;
// Sender, shift, wheel delta, mouse position (screen), handled (in/out).
using TMouseWheelEvent = TEventOf<TObject*, TShiftState, int32_t, TPoint, bool&>;
using TMouseWheelUpDownEvent = TEventOf<TObject*, TShiftState, TPoint, bool&>;
// Sender, button, shift, x, y, hit-test code, answer (in/out).
using TMouseActivateEvent = TEventOf<TObject*, TMouseButton, TShiftState, int32_t, int32_t, int32_t, TMouseActivate&>;
// Sender, mouse position (client; -1, -1 from the keyboard), handled (in/out).
using TContextPopupEvent = TEventOf<TObject*, TPoint, bool&>;
// Drag and dock events: declared so that controls can publish them; the
// framework starts no drag or dock operation of its own.
using TDragDropEvent = TEventOf<TObject*, TObject*, int32_t, int32_t>;
using TDragOverEvent = TEventOf<TObject*, TObject*, int32_t, int32_t, TDragState, bool&>;
using TEndDragEvent = TEventOf<TObject*, TObject*, int32_t, int32_t>;
using TStartDragEvent = TEventOf<TObject*, TObject*&>;
// Sender, proposed width and height (in/out), accept (in/out).
using TCanResizeEvent = TEventOf<TObject*, int32_t&, int32_t&, bool&>;
// Sender, minimum and maximum width and height (0 = none), each in/out.
using TConstrainedResizeEvent = TEventOf<TObject*, int32_t&, int32_t&, int32_t&, int32_t&>;

class TControl : public TComponent, public TDeviceContextSource {
  RD_CLASS(TControl, TComponent)
  explicit TControl(TComponent* owner);
  ~TControl() override;

  // ---- Parent and streaming
  TWinControl* Parent() const { return parent_; }
  // EInvalidOperation "A control cannot have itself as its parent" for this
  // control or one of its descendants.
  virtual void SetParent(TWinControl* parent);
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* parent) override;
  // Takes the reader's parent as this control's parent while reading.
  void ReadState(TReader& reader) override;
  void Loaded() override;
  void DefineProperties(TFiler& filer) override;
  void SetName(const String& name) override;

  // ---- Bounds, in the parent's client coordinates
  int32_t Left() const { return left_; }
  int32_t Top() const { return top_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  void SetLeft(int32_t value) { NoteRead(sfLeft); SetBounds(value, top_, width_, height_); }
  void SetTop(int32_t value) { NoteRead(sfTop); SetBounds(left_, value, width_, height_); }
  void SetWidth(int32_t value) { NoteRead(sfWidth); SetBounds(left_, top_, value, height_); }
  void SetHeight(int32_t value) { NoteRead(sfHeight); SetBounds(left_, top_, width_, value); }
  virtual void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
  TRect BoundsRect() const;
  void SetBoundsRect(const TRect& rect);
  // The bounds last set by the program (not by alignment); layout restores from them.
  TRect ExplicitBounds() const { return explicit_bounds_; }
  TRect ClientRect() const { return GetClientRect(); }
  virtual TRect GetClientRect() const;
  int32_t ClientWidth() const { return ClientRect().Width(); }
  int32_t ClientHeight() const { return ClientRect().Height(); }
  // Screen position of the client area's top-left corner; EInvalidOperation
  // "Control '%s' has no parent window" without a parent.
  TPoint ClientOrigin() const;
  virtual TPoint GetClientOrigin() const;
  TPoint ClientToScreen(TPoint point) const;
  TPoint ScreenToClient(TPoint point) const;
  // Between this control's client coordinates and those of `ancestor` (the
  // parent when null); EInvalidOperation "Parent given is not a parent of
  // '%s'" when `ancestor` is not one.
  TPoint ParentToClient(TPoint point, TWinControl* ancestor = nullptr) const;
  TPoint ClientToParent(TPoint point, TWinControl* ancestor = nullptr) const;

  // ---- State
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool value);
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  bool ParentColor() const { return parent_color_; }
  void SetParentColor(bool value);
  TFont& Font() const { return *font_; }
  void SetFont(const TFont& value) { font_->Assign(&value); }
  bool ParentFont() const { return parent_font_; }
  void SetParentFont(bool value);
  // The system's message font instead of the parent's or the own one.
  bool DesktopFont() const { return desktop_font_; }
  void SetDesktopFont(bool value);
  // The text goes through WM_GETTEXT and WM_SETTEXT, so a windowed control
  // answers from its window (what a user typed into an edit box included).
  String Caption() const { return GetText(); }
  void SetCaption(const String& value) { SetText(value); }
  String GetText() const;
  void SetText(const String& value);
  const String& Hint() const { return hint_; }
  void SetHint(const String& value) { hint_ = value; }
  bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool value);
  bool ParentShowHint() const { return parent_show_hint_; }
  void SetParentShowHint(bool value);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value);
  TControlStyle ControlStyle() const { return control_style_; }
  void SetControlStyle(TControlStyle value) { control_style_ = value; }
  TControlState ControlState() const { return control_state_; }
  void SetControlState(TControlState value) { control_state_ = value; }

  // ---- Messages
  TWndMethod WindowProc;
  // Sends a message straight to WindowProc and returns its result.
  LRESULT Perform(UINT msg, WPARAM wparam, LPARAM lparam);
  LRESULT Perform(TMessage& message);
  // The default window procedure: mouse capture and click state, then Dispatch.
  virtual void WndProc(TMessage& message);
  // Hands the message to this class's handler for it, DefaultHandler when none.
  virtual void Dispatch(TMessage& message);
  // What is left to do for a message no handler took: nothing for a
  // windowless control (text messages answer from the control's text, as
  // they do for a windowed control without window).
  virtual void DefaultHandler(TMessage& message);

  // ---- Painting
  // Marks the control's area for painting; a windowed control marks its own
  // window (CM_INVALIDATE).
  virtual void Invalidate() { InvalidateControl(visible_, control_style_.Contains(csOpaque)); }
  // Invalidates this control's area on the parent's window, erasing unless
  // `opaque`, the parent is opaque, or an earlier opaque visible sibling
  // covers the area.
  void InvalidateControl(bool visible, bool opaque);
  virtual void Repaint();
  virtual void Update();
  HDC GetDeviceContext(HWND& window) override;

  // ---- Z-order among the parent's windowless or windowed children
  void BringToFront() { SetZOrder(true); }
  void SendToBack() { SetZOrder(false); }
  virtual void SetZOrder(bool top_most);

  // ---- Mouse
  bool MouseCapture() const;
  void SetMouseCapture(bool value);
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;
  TMouseActivateEvent OnMouseActivate;
  TContextPopupEvent OnContextPopup;
  TNotifyEvent OnResize;
  TDragDropEvent OnDragDrop;
  TDragOverEvent OnDragOver;
  TEndDragEvent OnEndDrag;
  TEndDragEvent OnEndDock;
  TStartDragEvent OnStartDrag;
  TStartDragEvent OnStartDock;

  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  virtual void MouseMove(TShiftState shift, int32_t x, int32_t y);
  virtual void MouseEnter();
  virtual void MouseLeave();
  // The wheel events in order (OnMouseWheel, then the up/down one); true when handled.
  virtual bool DoMouseWheel(TShiftState shift, int32_t wheel_delta, TPoint mouse_pos);
  virtual void Resize();
  // OnMouseActivate; maDefault leaves the answer to the system.
  virtual TMouseActivate MouseActivate(TMouseButton button, TShiftState shift, int32_t x, int32_t y,
                                       int32_t hit_test);
  // OnContextPopup; true when the handler took it (no system menu then).
  virtual bool DoContextPopup(TPoint mouse_pos);

  // ---- Layout
  // Setting an alignment sets the anchors it implies; going back to alNone
  // restores the explicit bounds, and swapping between a vertical and a
  // horizontal side swaps width and height.
  TAlign Align() const { return align_; }
  void SetAlign(TAlign value);
  // Edges that keep their distance to the parent's edges when the parent's
  // size changes; neither of a pair keeps the control's centre in proportion.
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors value);
  // What the anchors remember: per axis the width (both edges anchored), the
  // left or top (only the far edge) or the centre (neither), and the
  // parent's size (less its padding) they were taken at; (0, 0) while the
  // anchors are left and top.
  TPoint AnchorRules() const { return anchor_rules_; }
  TPoint OriginalParentSize() const { return original_parent_size_; }
  // Takes the anchor rules from the current bounds (not while loading or
  // while the layout itself moves the control).
  void UpdateAnchorRules();

  TSizeConstraints* Constraints() const { return constraints_.get(); }
  void SetConstraints(TSizeConstraints* value) { constraints_->Assign(value); }
  // Installs `constraints` (usually of a derived class) in place of the
  // current object, taking over its limits and its change event.
  void ReplaceConstraints(std::unique_ptr<TSizeConstraints> constraints);
  TConstrainedResizeEvent OnConstrainedResize;
  TCanResizeEvent OnCanResize;

  TMargins* Margins() const { return margins_.get(); }
  void SetMargins(TMargins* value) { margins_->Assign(value); }
  bool AlignWithMargins() const { return control_style_.Contains(csAlignWithMargins); }
  void SetAlignWithMargins(bool value);
  // The bounds the layout works with: the bounds grown by the margins when
  // the control aligns with margins.
  TRect MarginBounds() const;

  bool AutoSize() const { return auto_size_; }
  virtual void SetAutoSize(bool value);
  // The size a control with AutoSize wants; false keeps the proposed size.
  virtual bool CanAutoSize(int32_t& width, int32_t& height);
  // Sets the size AutoSize and the constraints allow (nothing while loading).
  virtual void AdjustSize();
  // OnCanResize; false refuses a new size.
  virtual bool CanResize(int32_t& width, int32_t& height);
  // OnConstrainedResize with the limits about to be applied.
  virtual void ConstrainedResize(int32_t& min_width, int32_t& min_height, int32_t& max_width, int32_t& max_height);
  // May change the proposed size; false refuses the change: no negative
  // size, CanResize, AutoSize (CanAutoSize), then the constraints.
  virtual bool CheckNewSize(int32_t& width, int32_t& height);
  // Asks the parent to align this control after a change of bounds or visibility.
  virtual void RequestAlign();

  // ---- Scaling
  // Scales the bounds (and the font unless inherited, the constraints and
  // the margins) by m / d. While the control is loading only what the
  // stream set (ScalingFlags) is scaled; the flags are cleared afterwards.
  virtual void ChangeScale(int32_t m, int32_t d);
  TScalingFlags ScalingFlags() const { return scaling_flags_; }
  void SetScalingFlags(TScalingFlags value) { scaling_flags_ = value; }

 protected:
  friend class TControlAccess;
  friend class TWinControl;

  // Message handlers of every control.
  virtual void WMPaint(TMessage&) {}
  virtual void WMMouseMove(TMessage& message);
  virtual void WMLButtonDown(TMessage& message);
  virtual void WMLButtonUp(TMessage& message);
  virtual void WMLButtonDblClk(TMessage& message);
  virtual void WMOtherButton(TMessage& message);  // right and middle buttons
  virtual void WMWindowPosChanged(TMessage&) {}
  virtual void CMHitTest(TMessage& message) { message.Result = HTCLIENT; }
  virtual void CMMouseEnter(TMessage& message);
  virtual void CMMouseLeave(TMessage& message);
  virtual void CMMouseWheel(TMessage& message);
  virtual void CMEnabledChanged(TMessage&) { Invalidate(); }
  virtual void CMVisibleChanged(TMessage& message);
  virtual void CMColorChanged(TMessage&) { Invalidate(); }
  virtual void CMFontChanged(TMessage&) { Invalidate(); }
  virtual void CMTextChanged(TMessage&) { Invalidate(); }
  virtual void CMShowHintChanged(TMessage&) {}
  virtual void CMParentColorChanged(TMessage& message);
  virtual void CMParentFontChanged(TMessage& message);
  virtual void CMParentShowHintChanged(TMessage& message);
  virtual void CMSysColorChange(TMessage&) {}

  // The mouse-down and mouse-up dispatch: the position of the message (or of
  // the cursor for a control too large for 16 bits) to MouseDown / MouseUp.
  void DoMouseDown(TMessage& message, TMouseButton button, TShiftState shift);
  void DoMouseUp(TMessage& message, TMouseButton button);

  // The font, colour and hint of the parent, when inherited.
  virtual void ParentChanged();

  int32_t left_ = 0;
  int32_t top_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;

 private:
  void FontChanged(TObject* sender);
  void ApplyDesktopFont();
  // The constraints applied to the current size; margins realign the parent.
  void ConstraintsChanged(TObject* sender);
  void MarginsChanged(TObject* sender);
  // A bound read from a stream is scaled with its form.
  void NoteRead(TScalingFlag flag) {
    if (ComponentState().Contains(csReading)) scaling_flags_.Include(flag);
  }
  // Not while the layout itself moves the control.
  void UpdateExplicitBounds() {
    if (!anchor_move_) explicit_bounds_ = Bounds(left_, top_, width_, height_);
  }
  // The constraints' limits, after ConstrainedResize, applied to a size.
  void DoConstrainedResize(int32_t& width, int32_t& height);
  // The message's point, or the cursor's when the control is too large for
  // the 16-bit halves of a mouse message.
  TPoint MousePosition(const TMessage& message) const;

  TWinControl* parent_ = nullptr;
  TRect explicit_bounds_;
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = clWindow;
  bool parent_color_ = true;
  std::unique_ptr<TFont> font_;
  bool parent_font_ = true;
  bool desktop_font_ = false;
  String text_;
  String hint_;
  bool show_hint_ = false;
  bool parent_show_hint_ = true;
  TCursor cursor_ = crDefault;
  TControlStyle control_style_{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TControlState control_state_;
  TAlign align_ = alNone;
  TAnchors anchors_{akLeft, akTop};
  TPoint anchor_rules_;
  TPoint original_parent_size_;
  // Set while alignment or anchoring moves the control: its explicit
  // bounds and anchor rules stay as the program set them.
  bool anchor_move_ = false;
  bool auto_size_ = false;
  std::unique_ptr<TSizeConstraints> constraints_;
  std::unique_ptr<TMargins> margins_;
  TScalingFlags scaling_flags_;
};

// The control of a window made by this process's framework; nullptr for
// foreign windows, windows of other processes and 0. Safe from any thread.
TWinControl* FindControl(HWND window);
// The framework's windowed control under a screen point (the innermost one).
TWinControl* FindVCLWindow(TPoint screen_pos);
// The framework's control that holds the mouse: a windowless control that
// captured it, else the control of the window with the platform's capture.
TControl* GetCaptureControl();
// Captures the mouse for `control` (the host window takes the platform
// capture for a windowless one); nullptr releases it.
void SetCaptureControl(TControl* control);
