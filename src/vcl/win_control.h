#pragma once
// TWinControl: a control with a window of its own. The window is created on
// demand (Handle, HandleNeeded, or when the control starts showing) from
// CreateParams, bound to the control from its first message, and destroyed
// with the control. A windowed control holds child controls: windowless ones
// it paints itself (in list order, bottom first) and routes mouse messages
// to, and windowed ones whose windows are children of its window.

#include "vcl/win_api.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "vcl/control.h"

// What CreateWnd makes the window from.
struct TCreateParams {
  String Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int32_t X = 0;
  int32_t Y = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  HWND WndParent = nullptr;
  WNDCLASSW WindowClass{};
  // The registered class name (the control's class name by default).
  String WinClassName;
};

// Where a custom-aligned control stands among the others of its alignment.
struct TAlignInfo {
  const std::vector<TControl*>* AlignList = nullptr;  // in alignment order
  int32_t ControlIndex = 0;
  TAlign Align = alNone;
};
// Sender, control, control, insert the first before the second (in/out).
using TAlignInsertBeforeEvent = TEventOf<TObject*, TControl*, TControl*, bool&>;
// Sender, control, left, top, width, height (each in/out), the area left to
// align in (in/out), the control's place among the custom-aligned ones.
using TAlignPositionEvent =
    TEventOf<TObject*, TControl*, int32_t&, int32_t&, int32_t&, int32_t&, TRect&, const TAlignInfo&>;

using TKeyEvent = TEventOf<TObject*, uint16_t&, TShiftState>;
using TKeyPressEvent = TEventOf<TObject*, char16_t&>;

class TWinControl : public TControl {
  RD_CLASS(TWinControl, TControl)
  explicit TWinControl(TComponent* owner);
  // Deletes the children still in the list (last first), then the window.
  ~TWinControl() override;
  // Asks the children too: they are deleted with this control.
  void BeforeDestruction() override;

  // ---- The window
  // Creates the window (and the parents' windows) when there is none yet.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded();
  // A foreign window to live in, for a control without parent.
  HWND ParentWindow() const { return parent_window_; }
  void SetParentWindow(HWND value);
  // Destroys the window and makes it again with the current parameters.
  void RecreateWnd();
  // Visible and all parents showing: the window is on screen.
  bool Showing() const { return showing_; }

  // ---- Children
  int32_t ControlCount() const { return static_cast<int32_t>(controls_.size() + win_controls_.size()); }
  // Windowless children first (bottom first), then windowed ones.
  TControl* Controls(int32_t index) const;
  bool ContainsControl(const TControl* control) const;
  // Adds `control` to the children (SetParent's work; use SetParent).
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  // The topmost child that takes the mouse at `pos` (client coordinates):
  // visible, enabled unless `allow_disabled`, windowed only when
  // `allow_win_controls`, answering CM_HITTEST; with `all_levels` the deepest
  // such control inside windowed children.
  TControl* ControlAtPos(TPoint pos, bool allow_disabled, bool allow_win_controls = false,
                         bool all_levels = false) const;
  // Sends `msg` (parameters 0) to every child.
  void NotifyControls(UINT msg);
  // Sends the message to every child until one answers non-zero.
  void Broadcast(TMessage& message);
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

  // Paints the windowless children from `first` (all for null) into `dc`,
  // which holds this control's client coordinates.
  void PaintControls(HDC dc, TControl* first);
  // Paints the window and its windowed children into `dc` at (x, y).
  void PaintTo(HDC dc, int32_t x, int32_t y);

  // ---- Layout of the children
  // Alignment waits while disabled (nested) and runs once when the last
  // EnableAlign comes, if anything asked for it meanwhile.
  void DisableAlign() { ++align_level_; }
  void EnableAlign();
  bool AlignDisabled() const { return align_level_ > 0; }
  // Aligns all children.
  void Realign() { AlignControl(nullptr); }
  // Aligns the children in the client rectangle, `control` (a child that
  // asked, or null) first among those of its alignment.
  void AlignControl(TControl* control);
  // Places the children in `rect` (shrunk by AdjustClientRect): top, bottom,
  // left, right, client, custom, then the anchored ones; what is left of
  // `rect` comes back.
  virtual void AlignControls(TControl* control, TRect& rect);
  // The area the children are aligned in: less the padding.
  virtual void AdjustClientRect(TRect& rect);
  // The custom alignment's hooks: the order (OnAlignInsertBefore) and the
  // place (OnAlignPosition) of controls aligned alCustom.
  virtual bool CustomAlignInsertBefore(TControl* first, TControl* second);
  virtual void CustomAlignPosition(TControl* control, int32_t& left, int32_t& top, int32_t& width, int32_t& height,
                                   TRect& align_rect, const TAlignInfo& info);
  TAlignInsertBeforeEvent OnAlignInsertBefore;
  TAlignPositionEvent OnAlignPosition;
  // The size that `control`'s anchors measure against: the client size (the
  // design size while this control is read), less the padding.
  virtual void UpdateControlOriginalParentSize(TControl* control, TPoint& size);

  TPadding* Padding() const { return padding_.get(); }
  void SetPadding(TPadding* value) { padding_->Assign(value); }
  // A frame of this width inside the window's edge, outside the client area.
  int32_t BorderWidth() const { return border_width_; }
  void SetBorderWidth(int32_t value);
  // The client size this control had when it was designed (read from the
  // stream as "DesignSize").
  TPoint DesignSize() const { return design_size_; }

  // The size of the children (and the padding and frame) for AutoSize.
  bool CanAutoSize(int32_t& width, int32_t& height) override;

  // ---- Scaling
  // The children first, then this control; alignment waits until all are done.
  void ChangeScale(int32_t m, int32_t d) override;
  // Scales the size of this control and the whole of its children by m / d,
  // keeping this control where it is (a form read at another resolution).
  void ScaleBy(int32_t m, int32_t d);

  // ---- Appearance
  TBrush& Brush() const { return *brush_; }
  bool DoubleBuffered() const { return double_buffered_; }
  void SetDoubleBuffered(bool value);
  bool ParentDoubleBuffered() const { return parent_double_buffered_; }
  void SetParentDoubleBuffered(bool value);
  bool ParentBackground() const { return control_style_.Contains(csParentBackground); }
  virtual void SetParentBackground(bool value);

  // ---- Focus and keyboard
  bool TabStop() const { return tab_stop_; }
  void SetTabStop(bool value);
  // Position among the parent's windowed children in tab order.
  int32_t TabOrder() const;
  void SetTabOrder(int32_t value);
  virtual bool CanFocus() const;
  bool Focused() const;
  virtual void SetFocus();
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  // The key events; a key set to 0 is swallowed.
  virtual void KeyDown(uint16_t& key, TShiftState shift);
  virtual void KeyUp(uint16_t& key, TShiftState shift);
  virtual void KeyPress(char16_t& key);

  // ---- Overrides of TControl
  void SetParent(TWinControl* parent) override;
  void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;
  TRect GetClientRect() const override;
  TPoint GetClientOrigin() const override;
  void SetZOrder(bool top_most) override;
  void Invalidate() override;
  void Repaint() override;
  void Update() override;
  void WndProc(TMessage& message) override;
  void Dispatch(TMessage& message) override;
  void ReadState(TReader& reader) override;
  void Loaded() override;
  void DefineProperties(TFiler& filer) override;
  // The window class's own procedure (the native class's for a subclassed one).
  void DefaultHandler(TMessage& message) override;
  HDC GetDeviceContext(HWND& window) override;

 public:
  // Shows or hides the window as Showing says (a control without parent
  // shows when it is visible), creating it when needed.
  void UpdateControlState();

 protected:
  friend class TControlAccess;
  friend class TControl;

  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWindowHandle(const TCreateParams& params);
  virtual void CreateWnd();
  virtual void DestroyWnd();
  // Takes a native window class (BUTTON, EDIT, ...) as the base of this
  // control's class: its procedure becomes the default handler.
  void CreateSubClass(TCreateParams& params, const wchar_t* class_name);
  // The control's own drawing of its client area (none for the base; a
  // subclassed native control draws itself).
  virtual void PaintWindow(HDC dc);
  // Erase, own drawing and windowless children, into the message's DC or
  // through BeginPaint.
  void PaintHandler(TMessage& message);

  // Message handlers of windowed controls.
  void WMPaint(TMessage& message) override;
  virtual void WMEraseBkgnd(TMessage& message);
  virtual void WMPrint(TMessage& message);
  virtual void WMPrintClient(TMessage& message);
  virtual void WMWindowPosChanging(TMessage& message);
  void WMWindowPosChanged(TMessage& message) override;
  virtual void WMSetCursor(TMessage& message);
  virtual void WMNCHitTest(TMessage& message);
  virtual void WMNCCalcSize(TMessage& message);
  virtual void WMNCPaint(TMessage& message);
  virtual void WMKeyDown(TMessage& message);
  virtual void WMKeyUp(TMessage& message);
  virtual void WMChar(TMessage& message);
  virtual void WMMouseActivate(TMessage& message);
  virtual void WMContextMenu(TMessage& message);
  virtual void CMInvalidate(TMessage& message);
  virtual void CMParentDoubleBufferedChanged(TMessage& message);
  void ParentChanged() override;
  virtual void WMSetFocus(TMessage& message);
  virtual void WMKillFocus(TMessage& message);
  void CMVisibleChanged(TMessage& message) override;
  void CMEnabledChanged(TMessage& message) override;
  void CMColorChanged(TMessage& message) override;
  void CMFontChanged(TMessage& message) override;
  void CMShowHintChanged(TMessage& message) override;
  void CMSysColorChange(TMessage& message) override;

 private:
  static LRESULT CALLBACK InitWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK StandardWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
  static String RegisteredClassName(const TCreateParams& params);

  void CreateHandle();
  void DestroyHandle();
  void UpdateShowing();
  void UpdateBoundsFromWindow();
  bool NativeClass() const { return default_wnd_proc_ != &DefWindowProcW; }
  void BrushChanged(TObject* sender);
  // Enter and leave for the control under the mouse at `pos` (client
  // coordinates), nothing while the mouse is captured.
  void UpdateMouseControl(TPoint pos, bool inside);
  void ForgetChild(const TControl* control);
  // The size anchors measure now: the client's bottom-right less the padding.
  TPoint AnchorArea() const;
  // One alignment's controls placed in `rect`.
  void AlignGroup(TAlign align, TControl* first, TRect& rect, std::vector<TControl*>& list);
  bool InsertBefore(TControl* first, TControl* second, TAlign align);
  void PositionControl(TControl* control, TAlign align, const TAlignInfo& info, TRect& rect);
  void AnchorControl(TControl* control);
  // This control or a parent is inside ChangeScale.
  bool Scaling() const;
  static void UpdateAnchorRulesOfTree(TControl& control);
  void PaddingChanged(TObject* sender);
  // After the bounds fields changed: anchor rules, explicit bounds, the
  // parent's alignment, and after a resize the own children and OnResize.
  void BoundsChanged(bool resized);

  HWND handle_ = nullptr;
  HWND parent_window_ = nullptr;
  WNDPROC default_wnd_proc_ = &DefWindowProcW;
  bool showing_ = false;
  std::vector<TControl*> controls_;         // windowless children, bottom first
  std::vector<TWinControl*> win_controls_;  // windowed children, in tab order
  std::unique_ptr<TBrush> brush_;
  bool double_buffered_ = false;
  bool parent_double_buffered_ = true;
  bool tab_stop_ = false;
  // The child (or this control) under the mouse, and whether the window
  // asked to be told when the mouse leaves.
  TControl* mouse_control_ = nullptr;
  bool tracking_mouse_ = false;
  TPoint last_mouse_pos_;
  bool last_mouse_inside_ = false;
  int32_t align_level_ = 0;
  std::unique_ptr<TPadding> padding_;
  int32_t border_width_ = 0;
  TPoint design_size_;
  bool scaling_ = false;
};
