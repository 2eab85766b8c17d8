#pragma once
// The two bases of controls that draw themselves on a canvas: TGraphicControl
// (windowless, painted by its parent) and TCustomControl (with a window).
// Both override Paint; the canvas is bound to the paint's device context
// while Paint runs, and draws on the control's own context outside of it.

#include <memory>

#include "vcl/canvas.h"
#include "vcl/win_control.h"

class TGraphicControl : public TControl {
  RD_CLASS(TGraphicControl, TControl)
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;

  TCanvas& Canvas() const { return *canvas_; }

 protected:
  virtual void Paint() {}
  void WMPaint(TMessage& message) override;
  // Puts `canvas` in place of the control's canvas (a derived canvas class).
  void ReplaceCanvas(std::unique_ptr<TControlCanvas> canvas);

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

class TCustomControl : public TWinControl {
  RD_CLASS(TCustomControl, TWinControl)
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;

  TCanvas& Canvas() const { return *canvas_; }

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC dc) override;
  void ReplaceCanvas(std::unique_ptr<TControlCanvas> canvas);

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

// Points `canvas` at `dc` while `paint` runs (locked against other drawing
// threads), and detaches it again on every path.
template <class Paint>
void PaintOnCanvas(TCanvas& canvas, HDC dc, Paint paint) {
  struct Detach {
    TCanvas& canvas;
    ~Detach() {
      canvas.SetHandle(nullptr);
      canvas.Unlock();
    }
  };
  canvas.Lock();
  Detach detach{canvas};
  canvas.SetHandle(dc);
  paint();
}
