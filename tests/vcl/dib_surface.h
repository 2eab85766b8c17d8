#pragma once
// A 32-bit top-down DIB section selected into a memory DC: what the tests
// draw into and read pixels back from.

#include "vcl/win_api.h"

#include <cstdint>
#include <string>

class DibSurface {
 public:
  DibSurface(int width, int height, uint32_t fill = 0xFFFFFFFF);
  ~DibSurface();
  DibSurface(const DibSurface&) = delete;
  DibSurface& operator=(const DibSurface&) = delete;

  HDC dc() const { return dc_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // 0xAARRGGBB as stored (blue in the lowest byte).
  uint32_t Pixel(int x, int y) const;
  // The colour without alpha, as 0xRRGGBB.
  uint32_t Rgb(int x, int y) const { return Pixel(x, y) & 0xFFFFFF; }
  void Fill(uint32_t argb);
  // Number of pixels in [left, right) x [top, bottom) whose RGB is not `rgb`.
  int CountOther(int left, int top, int right, int bottom, uint32_t rgb) const;
  // The surface as rows of characters ('.' for `background`, '#' otherwise),
  // for readable failure messages.
  std::string Picture(uint32_t background) const;

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  uint32_t* bits_;
};
