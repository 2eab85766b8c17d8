#pragma once
// Controls for the control tests: a top-level host window, a windowless and
// a windowed child that fill themselves with a colour and write what happens
// to them into a shared log.

#include <string>
#include <vector>

#include "vcl/custom_controls.h"

// What the controls of one test did, in order ("a:paint", "b:enter", ...).
using EventLog = std::vector<std::string>;

// A borderless top-level window at a fixed place on the screen, filled with
// its Color.
class TestHost : public TCustomControl {
 public:
  explicit TestHost(EventLog* log = nullptr, int width = 200, int height = 150);
  // Creates and shows the window.
  void Open();
  EventLog* log;

 protected:
  void CreateParams(TCreateParams& params) override;
  // Logs "host:erase".
  void WMEraseBkgnd(TMessage& message) override;
};

// Fills its area with a colour; records paints (with the clip box), mouse
// events, enter/leave, clicks and wheel turns under its name.
class PaintedChild : public TGraphicControl {
 public:
  PaintedChild(TWinControl* parent, const char* name, TColor fill, TRect bounds, EventLog* log);
  TColor fill;
  EventLog* log;
  TRect last_clip;
  bool handles_wheel = false;

  void Click() override;
  void DblClick() override;
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  bool DoMouseWheel(TShiftState shift, int32_t delta, TPoint pos) override;

 protected:
  void Paint() override;

 private:
  void Record(const std::string& what);
};

// A windowed child that fills itself like PaintedChild and can hold children.
class PaintedWindow : public TCustomControl {
 public:
  PaintedWindow(TWinControl* parent, const char* name, TColor fill, TRect bounds, EventLog* log);
  TColor fill;
  EventLog* log;
  bool handles_wheel = false;

  bool DoMouseWheel(TShiftState shift, int32_t delta, TPoint pos) override;

 protected:
  void Paint() override;
};

// Delivers the messages waiting for this thread's windows.
void PumpMessages();
// "x,y" of a point, for readable logs.
std::string PointText(int32_t x, int32_t y);
