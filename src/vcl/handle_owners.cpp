#include "vcl/handle_owners.h"

#include <atomic>

namespace {

std::atomic<int64_t> g_windows{0};
std::atomic<int64_t> g_device_contexts{0};
std::atomic<int64_t> g_gdi_objects{0};

void Count(std::atomic<int64_t>& counter, bool made) {
  if (made) counter.fetch_add(1, std::memory_order_relaxed);
}
void Uncount(std::atomic<int64_t>& counter, bool released) {
  if (released) counter.fetch_sub(1, std::memory_order_relaxed);
}

}  // namespace

TFrameworkHandleCounts FrameworkHandleCounts() {
  return {g_windows.load(std::memory_order_relaxed), g_device_contexts.load(std::memory_order_relaxed),
          g_gdi_objects.load(std::memory_order_relaxed)};
}

void CountFrameworkWindow(int delta) { g_windows.fetch_add(delta, std::memory_order_relaxed); }
void CountFrameworkDeviceContext(int delta) { g_device_contexts.fetch_add(delta, std::memory_order_relaxed); }
void CountFrameworkGdiObject(int delta) { g_gdi_objects.fetch_add(delta, std::memory_order_relaxed); }

TWindowDC::TWindowDC(HWND window) : window_(window), dc_(GetDC(window)) { Count(g_device_contexts, dc_); }

TWindowDC::~TWindowDC() {
  if (dc_) ReleaseWindowDC(window_, dc_);
}

HDC TWindowDC::Release() {
  HDC dc = dc_;
  dc_ = nullptr;
  return dc;
}

void ReleaseWindowDC(HWND window, HDC dc) { Uncount(g_device_contexts, ReleaseDC(window, dc) != 0); }

TPaintDC::TPaintDC(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {
  Count(g_device_contexts, dc_);
}

TPaintDC::~TPaintDC() {
  if (!dc_) return;
  EndPaint(window_, &paint_);
  Uncount(g_device_contexts, true);
}

TMemoryBuffer::TMemoryBuffer(HDC compatible_with, int32_t width, int32_t height)
    : dc_(CreateCompatibleDC(compatible_with)),
      // A bitmap compatible with the memory context would be monochrome:
      // take the format of the context it is copied to.
      bitmap_(CreateCompatibleBitmap(compatible_with, width > 0 ? width : 1, height > 0 ? height : 1)) {
  Count(g_device_contexts, dc_);
  Count(g_gdi_objects, bitmap_);
  if (dc_ && bitmap_) old_bitmap_ = SelectObject(dc_, bitmap_);
}

TMemoryBuffer::~TMemoryBuffer() {
  if (old_bitmap_) SelectObject(dc_, old_bitmap_);
  if (bitmap_) Uncount(g_gdi_objects, DeleteObject(bitmap_) != 0);
  if (dc_) Uncount(g_device_contexts, DeleteDC(dc_) != 0);
}
