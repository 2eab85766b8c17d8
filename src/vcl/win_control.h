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
};
