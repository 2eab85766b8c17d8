#include "control_fixtures.h"

TestHost::TestHost(EventLog* log, int width, int height) : TCustomControl(nullptr), log(log) {
  SetBounds(40, 40, width, height);
  SetColor(clWhite);
}

void TestHost::Open() {
  UpdateControlState();
  UpdateWindow(Handle());
}

void TestHost::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style = WS_POPUP | WS_CLIPCHILDREN;
  params.WndParent = nullptr;
}

void TestHost::WMEraseBkgnd(TMessage& message) {
  if (log) log->push_back("host:erase");
  TCustomControl::WMEraseBkgnd(message);
}

std::string PointText(int32_t x, int32_t y) { return std::to_string(x) + "," + std::to_string(y); }

PaintedChild::PaintedChild(TWinControl* parent, const char* name, TColor fill, TRect bounds, EventLog* log)
    : TGraphicControl(parent), fill(fill), log(log) {
  SetName(Utf8ToString(name));
  SetBoundsRect(bounds);
  SetParent(parent);
}

void PaintedChild::Record(const std::string& what) {
  if (log) log->push_back(StringToUtf8(Name()) + ":" + what);
}

void PaintedChild::Paint() {
  last_clip = Canvas().ClipRect();
  Record("paint");
  Canvas().Brush().SetColor(fill);
  Canvas().FillRect(ClientRect());
}

void PaintedChild::Click() {
  Record("click");
  TGraphicControl::Click();
}
void PaintedChild::DblClick() {
  Record("dblclick");
  TGraphicControl::DblClick();
}
void PaintedChild::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  Record(std::string("down") + (shift.Contains(ssDouble) ? "2" : "") + (button == mbRight ? "R" : "") + " " +
         PointText(x, y));
  TGraphicControl::MouseDown(button, shift, x, y);
}
void PaintedChild::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  Record("up " + PointText(x, y));
  TGraphicControl::MouseUp(button, shift, x, y);
}
void PaintedChild::MouseMove(TShiftState shift, int32_t x, int32_t y) {
  Record("move " + PointText(x, y));
  TGraphicControl::MouseMove(shift, x, y);
}
void PaintedChild::MouseEnter() { Record("enter"); }
void PaintedChild::MouseLeave() { Record("leave"); }
bool PaintedChild::DoMouseWheel(TShiftState, int32_t delta, TPoint) {
  Record("wheel " + std::to_string(delta));
  return handles_wheel;
}

PaintedWindow::PaintedWindow(TWinControl* parent, const char* name, TColor fill, TRect bounds, EventLog* log)
    : TCustomControl(parent), fill(fill), log(log) {
  SetName(Utf8ToString(name));
  SetBoundsRect(bounds);
  SetParent(parent);
}

void PaintedWindow::Paint() {
  if (log) log->push_back(StringToUtf8(Name()) + ":paint");
  Canvas().Brush().SetColor(fill);
  Canvas().FillRect(ClientRect());
}

bool PaintedWindow::DoMouseWheel(TShiftState, int32_t delta, TPoint) {
  if (log) log->push_back(StringToUtf8(Name()) + ":wheel " + std::to_string(delta));
  return handles_wheel;
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}
