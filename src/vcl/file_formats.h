#pragma once
// The registry of picture file formats: which graphic class loads files of
// an extension. TPicture::LoadFromFile asks it by extension, the "Data"
// property of form streams by class name. Searches run from the last
// registration to the first, so a later registration overrides an earlier
// one. The framework registers "bmp" (TBitmap) and "ico" (TIcon).

#include <cstddef>
#include <mutex>
#include <vector>

#include "rtl/objects.h"
#include "rtl/ustring.h"

struct TFileFormat {
  String Extension;  // lower case, without the dot
  String Description;
  TClass GraphicClass = nullptr;
};

class TFileFormatsList {
 public:
  TFileFormatsList();

  // EInvalidGraphic for a class that is not a TGraphic.
  void Add(StringView extension, StringView description, TClass graphic_class);
  // Removes every entry of `graphic_class` and of the classes derived from it.
  void Remove(TClass graphic_class);
  // Extension with or without the dot, ignoring case; nullptr when none.
  TClass FindExt(StringView extension) const;
  // Exact class name; nullptr when none.
  TClass FindClassName(StringView class_name) const;

  // For a layer that rearranges the registrations (the engine swaps classes).
  std::vector<TFileFormat> Entries() const;
  void SetEntries(std::vector<TFileFormat> entries);

 private:
  mutable std::mutex lock_;
  std::vector<TFileFormat> formats_;
};

TFileFormatsList& GraphicFileFormats();

inline void RegisterFileFormat(StringView extension, StringView description, TClass graphic_class) {
  GraphicFileFormats().Add(extension, description, graphic_class);
}
inline void UnregisterGraphicClass(TClass graphic_class) { GraphicFileFormats().Remove(graphic_class); }
