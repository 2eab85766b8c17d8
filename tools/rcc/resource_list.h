#pragma once
// Reading a resource list (.qrc): its XML, the qresource prefixes and
// locales, the file entries with their aliases, and the files themselves.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "resource_locale.h"

namespace rcc {

struct ResourceFile {
  std::vector<std::u16string> path;  // resource path: folders, then the file name
  std::string source;                // the file on disk
  LocaleNumbers locale;
  uint64_t size = 0;
  int64_t modified_ms = 0;
};

class ResourceCollection;

// Reads the list at `qrc_path` and adds its files to `collection`, under the
// resource root `root` (which starts with "/"). Paths in the list are
// relative to the list's folder. Warnings and errors are appended to
// `messages` as lines in the reference compiler's wording; returns false on
// an error.
bool ReadResourceList(const std::string& qrc_path, std::string_view root, ResourceCollection& collection,
                      std::string& messages);

// Cleans a path as the reference does for roots and aliases: repeated "/"
// and "." names dropped, "name/.." removed, a ".." that has nothing left to
// remove kept (so "/.." stays "/.."); "" stays "", "a/.." gives ".".
std::string CleanPath(std::string_view path);

// The names of a file's resource path, as the reference joins them: the
// cleaned root, then the prefix as written (made to start and end with "/";
// its "." and ".." names stay names), then the cleaned alias with any
// leading "../" removed. Empty folder names are dropped; the last name, the
// file's, is kept even when empty.
std::vector<std::string> ResourcePath(std::string_view root, std::string_view prefix, std::string_view alias);

}  // namespace rcc
