#pragma once
// The file operations of the safe INI file, one small set per platform
// (safe_file_io_win.cpp, safe_file_io_posix.cpp). None raises: each returns
// 0 on success or the system's error code (GetLastError on Windows, errno
// elsewhere).

#include <cstdint>

#include "rtl/encoding.h"
#include "rtl/ustring.h"

// Reads the whole file. Others may read it meanwhile, not write it.
int32_t ReadWholeFile(const String& path, TBytes& bytes);

// Creates the file with `content` unless it exists; an existing file is left
// as it is and is no error.
int32_t CreateFileIfMissing(const String& path, const TBytes& content);

// Makes `content` the file's content in one step: the bytes go to a new
// temporary file beside it, which then takes the file's place, so that a
// failure at any point leaves the old file whole and no temporary file
// behind. The file keeps its attributes and its security settings (on
// Windows read-only and hidden files are written too; on POSIX its mode and,
// where allowed, its owner).
int32_t ReplaceFileContent(const String& path, const TBytes& content);

// The calling thread's last system error code.
int32_t LastSystemErrorCode();
