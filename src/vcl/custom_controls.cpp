#include "vcl/custom_controls.h"

RD_DEFINE_CLASS(TGraphicControl)
RD_DEFINE_CLASS(TCustomControl)

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
}

// The canvas gives its context back before the control (its source) goes.
TGraphicControl::~TGraphicControl() { canvas_.reset(); }

void TGraphicControl::ReplaceCanvas(std::unique_ptr<TControlCanvas> canvas) {
  canvas_ = std::move(canvas);
  canvas_->SetControl(this);
}

void TGraphicControl::WMPaint(TMessage& message) {
  HDC dc = TWMPaint{message}.DC();
  if (!dc || ComponentState().Contains(csDestroying)) return;
  PaintOnCanvas(*canvas_, dc, [this] { Paint(); });
}

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
  SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
}

TCustomControl::~TCustomControl() { canvas_.reset(); }

void TCustomControl::ReplaceCanvas(std::unique_ptr<TControlCanvas> canvas) {
  canvas_ = std::move(canvas);
  canvas_->SetControl(this);
}

void TCustomControl::PaintWindow(HDC dc) {
  PaintOnCanvas(*canvas_, dc, [this] { Paint(); });
}
