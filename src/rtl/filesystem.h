#pragma once
// Queries and changes of the file system by UTF-16 path: W functions on
// Windows, UTF-8 paths on POSIX.

#include "rtl/ustring.h"

// True for an existing file that is not a folder.
bool FileExists(const String& file_name);
bool DirectoryExists(const String& directory);
// Creates one folder whose parent exists; false on failure.
bool CreateDir(const String& directory);
// Creates the folder and every missing parent; true when the folder exists
// afterwards. An empty path creates nothing and returns false.
bool ForceDirectories(const String& directory);
