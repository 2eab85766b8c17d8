#include <sys/stat.h>

#include "rtl/filesystem.h"

namespace {

bool StatMode(const String& path, mode_t& mode) {
  struct stat info {};
  if (::stat(StringToUtf8(path).c_str(), &info) != 0) return false;
  mode = info.st_mode;
  return true;
}

}  // namespace

bool FileExists(const String& file_name) {
  mode_t mode;
  return StatMode(file_name, mode) && !S_ISDIR(mode);
}

bool DirectoryExists(const String& directory) {
  mode_t mode;
  return StatMode(directory, mode) && S_ISDIR(mode);
}

bool CreateDir(const String& directory) {
  return ::mkdir(StringToUtf8(directory).c_str(), 0777) == 0;
}
