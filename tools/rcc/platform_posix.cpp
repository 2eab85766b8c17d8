#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform.h"

namespace rcc {

const bool kBackslashIsSeparator = false;

bool ListDirectory(const std::string& path, std::vector<DirEntry>& entries, std::string& error) {
  DIR* dir = opendir(path.c_str());
  if (!dir) {
    error = std::strerror(errno);
    return false;
  }
  while (const dirent* d = readdir(dir)) {
    const std::string name = d->d_name;
    if (name == "." || name == "..") continue;
    DirEntry entry;
    entry.name = name;
    // The entry's type from the listing itself where the file system gives
    // it, saving one status call per file.
    unsigned char type = d->d_type;
    if (type == DT_UNKNOWN) {
      struct stat st {};
      if (lstat((path + "/" + name).c_str(), &st) != 0) continue;
      type = S_ISLNK(st.st_mode) ? DT_LNK : S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
    }
    entry.skipped = name[0] == '.' || type == DT_LNK;
    entry.is_dir = type == DT_DIR;
    entry.is_file = type == DT_REG;
    entries.push_back(std::move(entry));
  }
  closedir(dir);
  return true;
}

PathInfo QueryPath(const std::string& path) {
  PathInfo info;
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return info;
  info.exists = true;
  info.is_dir = S_ISDIR(st.st_mode);
  info.size = static_cast<uint64_t>(st.st_size);
  // Seconds scaled, plus the whole milliseconds of the (non-negative) nanoseconds.
  info.modified_ms = int64_t(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
  return info;
}

bool IsAbsolutePath(const std::string& path) { return !path.empty() && path[0] == '/'; }

std::FILE* OpenFile(const std::string& path, bool for_writing) {
  return std::fopen(path.c_str(), for_writing ? "wb" : "rb");
}

bool MoveOnto(const std::string& from, const std::string& to, std::string& error) {
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  error = std::strerror(errno);
  return false;
}

void RemoveFile(const std::string& path) { unlink(path.c_str()); }

std::string LastErrorText() { return std::strerror(errno); }

void SetStdoutBinary() {}

}  // namespace rcc
