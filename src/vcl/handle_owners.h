#pragma once
// Owners of the windows' device contexts and GDI objects the controls make
// while they paint, each released on every path. Every one of them, and every
// window the framework creates, is counted while it lives, so that a test can
// see that the controls give back all they took (the system's own GDI
// counters are not available everywhere).

#include "vcl/win_api.h"

#include <cstdint>

struct TFrameworkHandleCounts {
  int64_t Windows = 0;         // windows created by controls, not yet destroyed
  int64_t DeviceContexts = 0;  // window, paint and memory device contexts
  int64_t GdiObjects = 0;      // bitmaps made for painting
  friend bool operator==(const TFrameworkHandleCounts&, const TFrameworkHandleCounts&) = default;
};

TFrameworkHandleCounts FrameworkHandleCounts();

// The window counter: a control's window procedure counts its window when it
// is bound and uncounts it when it is gone (WM_NCDESTROY).
void CountFrameworkWindow(int delta);
// For owners outside this file (the engine's image DCs and sections): a
// context or GDI object made (+1) or deleted (-1).
void CountFrameworkDeviceContext(int delta);
void CountFrameworkGdiObject(int delta);

// A window's device context (GetDC); `window` 0 is the screen.
class TWindowDC {
 public:
  explicit TWindowDC(HWND window);
  ~TWindowDC();
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  HDC Handle() const { return dc_; }
  // Gives the context to the caller, who releases it with ReleaseWindowDC.
  HDC Release();

 private:
  HWND window_;
  HDC dc_;
};

// Gives back a context taken from a TWindowDC with Release.
void ReleaseWindowDC(HWND window, HDC dc);

// BeginPaint / EndPaint.
class TPaintDC {
 public:
  explicit TPaintDC(HWND window);
  ~TPaintDC();
  TPaintDC(const TPaintDC&) = delete;
  TPaintDC& operator=(const TPaintDC&) = delete;
  HDC Handle() const { return dc_; }
  const PAINTSTRUCT& Info() const { return paint_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// A memory device context with a compatible bitmap of the given size
// selected, for drawing off screen.
class TMemoryBuffer {
 public:
  TMemoryBuffer(HDC compatible_with, int32_t width, int32_t height);
  ~TMemoryBuffer();
  TMemoryBuffer(const TMemoryBuffer&) = delete;
  TMemoryBuffer& operator=(const TMemoryBuffer&) = delete;
  HDC Handle() const { return dc_; }
  bool Valid() const { return dc_ && bitmap_; }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_bitmap_ = nullptr;
};

// SaveDC on construction, RestoreDC on destruction.
class TSavedDC {
 public:
  explicit TSavedDC(HDC dc) : dc_(dc), state_(SaveDC(dc)) {}
  ~TSavedDC() {
    if (state_) RestoreDC(dc_, state_);
  }
  TSavedDC(const TSavedDC&) = delete;
  TSavedDC& operator=(const TSavedDC&) = delete;

 private:
  HDC dc_;
  int state_;
};
