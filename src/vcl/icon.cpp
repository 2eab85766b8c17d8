#include "vcl/icon.h"

#include <cstring>

#include "vcl/bitmap.h"
#include "vcl/bmp_file.h"
#include "vcl/canvas.h"

namespace {

[[noreturn]] void InvalidIcon() { throw EInvalidGraphic(u"Icon image is not valid"); }

template <class T>
T ReadLE(const uint8_t* p) {
  T value{};
  std::memcpy(&value, p, sizeof(T));
  return value;
}

struct IconEntry {
  int32_t width;
  int32_t height;
  int32_t bit_count;
  uint32_t size;
  uint32_t offset;
};

// The entries of an .ico file; EInvalidGraphic when the directory or an
// image lies outside the data.
std::vector<IconEntry> ParseDirectory(const std::vector<uint8_t>& data) {
  if (data.size() < 6 || ReadLE<uint16_t>(data.data()) != 0 || ReadLE<uint16_t>(data.data() + 2) != 1) InvalidIcon();
  const uint16_t count = ReadLE<uint16_t>(data.data() + 4);
  if (count == 0 || data.size() < 6 + size_t{16} * count) InvalidIcon();
  std::vector<IconEntry> entries;
  for (uint16_t i = 0; i < count; ++i) {
    const uint8_t* e = data.data() + 6 + 16 * i;
    IconEntry entry{e[0] ? e[0] : 256, e[1] ? e[1] : 256, ReadLE<uint16_t>(e + 6), ReadLE<uint32_t>(e + 8),
                    ReadLE<uint32_t>(e + 12)};
    if (entry.size < 40 || entry.offset > data.size() || entry.size > data.size() - entry.offset) InvalidIcon();
    entries.push_back(entry);
  }
  return entries;
}

// The entry of the wanted size with most colours; else the closest size.
const IconEntry& BestEntry(const std::vector<IconEntry>& entries, int32_t width, int32_t height) {
  const IconEntry* best = &entries.front();
  auto distance = [&](const IconEntry& e) { return std::abs(e.width - width) + std::abs(e.height - height); };
  for (const IconEntry& e : entries) {
    if (distance(e) < distance(*best) || (distance(e) == distance(*best) && e.bit_count > best->bit_count)) best = &e;
  }
  return *best;
}

}  // namespace

RD_DEFINE_CLASS(TIcon)

TIcon::TIcon() : width_(GetSystemMetrics(SM_CXICON)), height_(GetSystemMetrics(SM_CYICON)) {}

TIcon::~TIcon() { Clear(); }

void TIcon::Clear() {
  if (handle_) DestroyIcon(handle_);
  handle_ = nullptr;
  data_.clear();
}

void TIcon::Assign(const TPersistent* source) {
  if (source == this) return;
  if (!source) {
    Clear();
    Changed(this);
    return;
  }
  auto* icon = ObjectAs<TIcon>(source);
  if (!icon) {
    inherited::Assign(source);
    return;
  }
  HICON copy = icon->handle_ ? CopyIcon(icon->handle_) : nullptr;
  if (icon->handle_ && !copy) throw EOutOfResources(u"Out of system resources");
  Clear();
  handle_ = copy;
  data_ = icon->data_;
  width_ = icon->width_;
  height_ = icon->height_;
  Changed(this);
}

HICON TIcon::Handle() const {
  if (!handle_ && !data_.empty()) {
    const std::vector<IconEntry> entries = ParseDirectory(data_);
    const IconEntry& entry = BestEntry(entries, width_, height_);
    handle_ = CreateIconFromResourceEx(const_cast<uint8_t*>(data_.data()) + entry.offset, entry.size, TRUE,
                                       0x00030000, entry.width, entry.height, LR_DEFAULTCOLOR);
    if (!handle_) InvalidIcon();
  }
  return handle_;
}

void TIcon::SetHandle(HICON handle) {
  if (handle == handle_) return;
  ICONINFO info{};
  int32_t width = width_, height = height_;
  if (handle) {
    if (!GetIconInfo(handle, &info)) throw EInvalidGraphic(u"Invalid icon handle");
    BITMAP bitmap{};
    if (info.hbmColor && GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap)) {
      width = bitmap.bmWidth;
      height = bitmap.bmHeight;
    } else if (info.hbmMask && GetObjectW(info.hbmMask, sizeof(bitmap), &bitmap)) {
      width = bitmap.bmWidth;
      height = bitmap.bmHeight / 2;  // a monochrome icon: AND mask above XOR mask
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
  }
  Clear();
  handle_ = handle;
  width_ = width;
  height_ = height;
  Changed(this);
}

HICON TIcon::ReleaseHandle() {
  Handle();
  HICON handle = std::exchange(handle_, nullptr);
  data_.clear();
  Changed(this);
  return handle;
}

void TIcon::SetSize(int32_t width, int32_t height) {
  if (width == width_ && height == height_) return;
  if (!Empty()) throw EInvalidGraphicOperation(u"Cannot change the size of an icon");
  width_ = width;
  height_ = height;
}

void TIcon::LoadFromStream(TStream& stream) {
  const int64_t available = stream.Size() - stream.Position();
  if (available < 6 || available > (int64_t{1} << 28)) InvalidIcon();
  std::vector<uint8_t> data(static_cast<size_t>(available));
  stream.ReadBuffer(data.data(), static_cast<int32_t>(available));
  const std::vector<IconEntry> entries = ParseDirectory(data);
  // The stream may go on after the icon: keep only the icon's bytes.
  size_t end = 6 + 16 * entries.size();
  for (const IconEntry& e : entries) end = std::max<size_t>(end, size_t{e.offset} + e.size);
  stream.Seek(static_cast<int64_t>(end) - available, soCurrent);
  data.resize(end);
  const IconEntry& entry = BestEntry(entries, width_, height_);
  HICON handle = CreateIconFromResourceEx(data.data() + entry.offset, entry.size, TRUE, 0x00030000, entry.width,
                                          entry.height, LR_DEFAULTCOLOR);
  if (!handle) InvalidIcon();
  Clear();
  handle_ = handle;
  data_ = std::move(data);
  width_ = entry.width;
  height_ = entry.height;
  Changed(this);
}

void TIcon::SaveToStream(TStream& stream) const {
  if (Empty()) return;
  const std::vector<uint8_t> data = data_.empty() ? DataFromHandle() : data_;
  stream.WriteBuffer(data.data(), static_cast<int32_t>(data.size()));
}

std::vector<uint8_t> TIcon::DataFromHandle() const {
  ICONINFO info{};
  if (!GetIconInfo(handle_, &info)) throw EInvalidGraphic(u"Invalid icon handle");
  const int32_t w = width_, h = height_;
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[2];
  } bmi{};
  bmi.header.biSize = sizeof(BITMAPINFOHEADER);
  bmi.header.biWidth = w;
  bmi.header.biHeight = h;
  bmi.header.biPlanes = 1;
  bmi.header.biBitCount = 32;
  std::vector<uint8_t> colors(static_cast<size_t>(w) * h * 4);
  const size_t mask_stride = static_cast<size_t>(DibStride(w, 1));
  std::vector<uint8_t> mask(mask_stride * h);
  HDC screen = GetDC(nullptr);
  bool ok = true;
  if (info.hbmColor) {
    ok = GetDIBits(screen, info.hbmColor, 0, h, colors.data(), reinterpret_cast<BITMAPINFO*>(&bmi), DIB_RGB_COLORS) != 0;
  }
  bmi.header.biBitCount = 1;
  bmi.header.biHeight = info.hbmColor ? h : h * 2;
  std::vector<uint8_t> full_mask(mask_stride * (info.hbmColor ? h : h * 2));
  ok = ok && GetDIBits(screen, info.hbmMask, 0, bmi.header.biHeight, full_mask.data(),
                       reinterpret_cast<BITMAPINFO*>(&bmi), DIB_RGB_COLORS) != 0;
  ReleaseDC(nullptr, screen);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (!ok) throw EInvalidGraphic(u"Invalid icon handle");
  if (info.hbmColor) {
    mask = std::move(full_mask);
  } else {
    // Monochrome: bottom-up rows, the XOR half first. Turn it into colours.
    std::memcpy(mask.data(), full_mask.data() + mask_stride * h, mask.size());
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) {
        const bool white = (full_mask[mask_stride * y + x / 8] >> (7 - x % 8)) & 1;
        std::memset(colors.data() + (static_cast<size_t>(y) * w + x) * 4, white ? 0xFF : 0, 3);
      }
    }
  }
  BITMAPINFOHEADER image{};
  image.biSize = sizeof(image);
  image.biWidth = w;
  image.biHeight = h * 2;  // colour and mask together
  image.biPlanes = 1;
  image.biBitCount = 32;
  image.biSizeImage = static_cast<DWORD>(colors.size() + mask.size());
  const uint32_t image_size = static_cast<uint32_t>(sizeof(image) + colors.size() + mask.size());
  std::vector<uint8_t> data(6 + 16 + image_size);
  uint8_t* p = data.data();
  const uint16_t directory[3] = {0, 1, 1};
  std::memcpy(p, directory, 6);
  p[6] = static_cast<uint8_t>(w >= 256 ? 0 : w);
  p[7] = static_cast<uint8_t>(h >= 256 ? 0 : h);
  const uint16_t planes = 1, bits = 32;
  std::memcpy(p + 10, &planes, 2);
  std::memcpy(p + 12, &bits, 2);
  std::memcpy(p + 14, &image_size, 4);
  const uint32_t offset = 22;
  std::memcpy(p + 18, &offset, 4);
  std::memcpy(p + 22, &image, sizeof(image));
  std::memcpy(p + 22 + sizeof(image), colors.data(), colors.size());
  std::memcpy(p + 22 + sizeof(image) + colors.size(), mask.data(), mask.size());
  return data;
}

void TIcon::Draw(TCanvas& canvas, const TRect& rect) {
  DrawIconEx(canvas.Handle(), rect.Left, rect.Top, Handle(), rect.Width(), rect.Height(), 0, nullptr, DI_NORMAL);
}

void TIcon::AssignTo(TPersistent* dest) const {
  auto* bitmap = ObjectAs<TBitmap>(dest);
  if (!bitmap) {
    inherited::AssignTo(dest);
    return;
  }
  bitmap->Assign(nullptr);
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetSize(width_, height_);
  if (!Empty()) {
    DrawIconEx(bitmap->Canvas().Handle(), 0, 0, Handle(), width_, height_, 0, nullptr, DI_NORMAL);
    bitmap->Changed(bitmap);
  }
}
