#pragma once
// File-name helpers working on the text of a path only (no file system).
// Both "\" and "/" separate folders on every target, as Windows accepts both;
// a drive prefix "X:" counts as a folder part. PathDelim, the separator these
// helpers add, is "\" on Windows and "/" elsewhere.

#include "rtl/ustring.h"

#ifdef _WIN32
inline constexpr char16_t PathDelim = u'\\';
#else
inline constexpr char16_t PathDelim = u'/';
#endif

bool IsPathDelimiter(char16_t c);

// The folder part, with its trailing separator: "C:\a\b.txt" -> "C:\a\",
// "C:b.txt" -> "C:", "b.txt" -> "".
String ExtractFilePath(StringView file_name);
// The folder part without the trailing separator, except for a root:
// "C:\a\b.txt" -> "C:\a", "C:\b.txt" -> "C:\", "\b.txt" -> "\".
String ExtractFileDir(StringView file_name);
// The name after the folder part: "C:\a\b.txt" -> "b.txt".
String ExtractFileName(StringView file_name);
// The extension of the name part with its dot: "a\b.tar.gz" -> ".gz",
// "a.b\c" -> "".
String ExtractFileExt(StringView file_name);
// Replaces (or adds, or with an empty `extension` removes) the extension.
String ChangeFileExt(StringView file_name, StringView extension);
// "C:" for "C:\a", "\\server\share" for "\\server\share\a", else "".
String ExtractFileDrive(StringView file_name);

// Adds PathDelim unless the path already ends in a separator ("" -> PathDelim).
String IncludeTrailingPathDelimiter(StringView path);
// Removes one trailing separator, if any.
String ExcludeTrailingPathDelimiter(StringView path);
