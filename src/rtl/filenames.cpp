#include "rtl/filenames.h"

namespace {

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// Length of the folder part: up to and including the last separator, or the
// drive prefix when there is no separator.
size_t FolderLength(StringView f) {
  for (size_t i = f.size(); i > 0; --i) {
    if (IsPathDelimiter(f[i - 1])) return i;
  }
  return (f.size() >= 2 && f[1] == u':' && IsDriveLetter(f[0])) ? 2 : 0;
}

// Position of the extension's dot in the name part, or npos.
size_t ExtensionStart(StringView f) {
  const size_t folder = FolderLength(f);
  const size_t dot = f.rfind(u'.');
  return (dot == StringView::npos || dot < folder) ? StringView::npos : dot;
}

}  // namespace

bool IsPathDelimiter(char16_t c) { return c == u'\\' || c == u'/'; }

String ExtractFilePath(StringView file_name) {
  return String(file_name.substr(0, FolderLength(file_name)));
}

String ExtractFileDir(StringView file_name) {
  size_t n = FolderLength(file_name);
  // Drop the trailing separator unless it is the root's ("\" or "C:\").
  if (n > 1 && IsPathDelimiter(file_name[n - 1]) && !IsPathDelimiter(file_name[n - 2]) &&
      file_name[n - 2] != u':') {
    --n;
  }
  return String(file_name.substr(0, n));
}

String ExtractFileName(StringView file_name) {
  return String(file_name.substr(FolderLength(file_name)));
}

String ExtractFileExt(StringView file_name) {
  const size_t dot = ExtensionStart(file_name);
  return dot == StringView::npos ? String() : String(file_name.substr(dot));
}

String ChangeFileExt(StringView file_name, StringView extension) {
  const size_t dot = ExtensionStart(file_name);
  return String(file_name.substr(0, dot)) + String(extension);
}

String ExtractFileDrive(StringView f) {
  if (f.size() >= 2 && f[1] == u':' && IsDriveLetter(f[0])) return String(f.substr(0, 2));
  if (f.size() >= 2 && IsPathDelimiter(f[0]) && IsPathDelimiter(f[1])) {
    // "\\server\share": up to the separator after the share name.
    size_t separators = 0, i = 2;
    for (; i < f.size(); ++i) {
      if (IsPathDelimiter(f[i]) && ++separators == 2) break;
    }
    return String(f.substr(0, i));
  }
  return String();
}

String IncludeTrailingPathDelimiter(StringView path) {
  String out(path);
  if (out.empty() || !IsPathDelimiter(out.back())) out.push_back(PathDelim);
  return out;
}

String ExcludeTrailingPathDelimiter(StringView path) {
  if (!path.empty() && IsPathDelimiter(path.back())) path.remove_suffix(1);
  return String(path);
}
