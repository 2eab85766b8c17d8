#include "vcl/file_formats.h"

#include <algorithm>

#include "rtl/sysutils.h"
#include "vcl/bitmap.h"
#include "vcl/icon.h"

namespace {

String NormalExtension(StringView extension) {
  if (!extension.empty() && extension.front() == u'.') extension.remove_prefix(1);
  return LowerCase(extension);
}

}  // namespace

TFileFormatsList::TFileFormatsList() {
  formats_.push_back({u"bmp", u"Bitmaps", &TBitmap::StaticClass()});
  formats_.push_back({u"ico", u"Icons", &TIcon::StaticClass()});
}

void TFileFormatsList::Add(StringView extension, StringView description, TClass graphic_class) {
  if (!graphic_class || !graphic_class->InheritsFrom(&TGraphic::StaticClass())) {
    throw EInvalidGraphic(u"A picture format needs a graphic class");
  }
  std::lock_guard lock(lock_);
  formats_.push_back({NormalExtension(extension), String(description), graphic_class});
}

void TFileFormatsList::Remove(TClass graphic_class) {
  std::lock_guard lock(lock_);
  std::erase_if(formats_, [&](const TFileFormat& f) { return f.GraphicClass->InheritsFrom(graphic_class); });
}

TClass TFileFormatsList::FindExt(StringView extension) const {
  const String wanted = NormalExtension(extension);
  std::lock_guard lock(lock_);
  auto it = std::find_if(formats_.rbegin(), formats_.rend(), [&](const TFileFormat& f) { return f.Extension == wanted; });
  return it == formats_.rend() ? nullptr : it->GraphicClass;
}

TClass TFileFormatsList::FindClassName(StringView class_name) const {
  std::lock_guard lock(lock_);
  auto it = std::find_if(formats_.rbegin(), formats_.rend(),
                         [&](const TFileFormat& f) { return f.GraphicClass->ClassName() == class_name; });
  return it == formats_.rend() ? nullptr : it->GraphicClass;
}

std::vector<TFileFormat> TFileFormatsList::Entries() const {
  std::lock_guard lock(lock_);
  return formats_;
}

void TFileFormatsList::SetEntries(std::vector<TFileFormat> entries) {
  for (const TFileFormat& f : entries) {
    if (!f.GraphicClass || !f.GraphicClass->InheritsFrom(&TGraphic::StaticClass())) {
      throw EInvalidGraphic(u"A picture format needs a graphic class");
    }
  }
  std::lock_guard lock(lock_);
  formats_ = std::move(entries);
  for (TFileFormat& f : formats_) f.Extension = NormalExtension(f.Extension);
}

TFileFormatsList& GraphicFileFormats() {
  static TFileFormatsList formats;
  return formats;
}
