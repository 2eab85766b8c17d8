#pragma once
// File-system services the resource compiler needs, implemented once per
// platform (platform_posix.cpp, platform_win.cpp). Paths are UTF-8 with "/" as
// separator ("\" is accepted too on Windows).

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace rcc {

// True where "\" separates folders as "/" does (Windows).
extern const bool kBackslashIsSeparator;

struct DirEntry {
  std::string name;
  bool is_dir = false;
  bool is_file = false;  // a regular file
  // Left out of a folder listing: hidden by the platform's rule (a leading
  // dot on Unix, the hidden attribute on Windows), or a symbolic link,
  // junction or Windows shortcut (.lnk).
  bool skipped = false;
};

// Lists a folder in the file system's own order, without "." and "..".
bool ListDirectory(const std::string& path, std::vector<DirEntry>& entries, std::string& error);

struct PathInfo {
  bool exists = false;
  bool is_dir = false;
  uint64_t size = 0;
  int64_t modified_ms = 0;  // last modification, milliseconds since 1970-01-01 UTC
};
PathInfo QueryPath(const std::string& path);

bool IsAbsolutePath(const std::string& path);

// fopen with a UTF-8 path; binary mode is implied.
std::FILE* OpenFile(const std::string& path, bool for_writing);

// Moves `from` onto `to`, replacing an existing `to`.
bool MoveOnto(const std::string& from, const std::string& to, std::string& error);
void RemoveFile(const std::string& path);

// The reason of the last failed call above, in words.
std::string LastErrorText();

// Puts stdout into binary mode where text mode would change the bytes.
void SetStdoutBinary();

}  // namespace rcc
