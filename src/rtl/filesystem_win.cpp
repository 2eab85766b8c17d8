#include <windows.h>

#include "rtl/filesystem.h"
#include "rtl/wide_string.h"

bool FileExists(const String& file_name) {
  const DWORD attributes = GetFileAttributesW(WideCStr(file_name));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const String& directory) {
  const DWORD attributes = GetFileAttributesW(WideCStr(directory));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateDir(const String& directory) { return CreateDirectoryW(WideCStr(directory), nullptr) != 0; }
