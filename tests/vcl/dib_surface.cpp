#include "dib_surface.h"

#include <stdexcept>

DibSurface::DibSurface(int width, int height, uint32_t fill) : width_(width), height_(height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  dc_ = CreateCompatibleDC(nullptr);
  if (!bitmap_ || !dc_) throw std::runtime_error("no DIB section");
  bits_ = static_cast<uint32_t*>(bits);
  old_ = SelectObject(dc_, bitmap_);
  Fill(fill);
}

DibSurface::~DibSurface() {
  SelectObject(dc_, old_);
  DeleteDC(dc_);
  DeleteObject(bitmap_);
}

uint32_t DibSurface::Pixel(int x, int y) const {
  GdiFlush();
  return bits_[y * width_ + x];
}

void DibSurface::Fill(uint32_t argb) {
  GdiFlush();
  for (int i = 0; i < width_ * height_; ++i) bits_[i] = argb;
}

int DibSurface::CountOther(int left, int top, int right, int bottom, uint32_t rgb) const {
  int count = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) count += Rgb(x, y) != rgb;
  }
  return count;
}

std::string DibSurface::Picture(uint32_t background) const {
  std::string text = "\n";
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) text += Rgb(x, y) == background ? '.' : '#';
    text += '\n';
  }
  return text;
}
