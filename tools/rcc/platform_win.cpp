#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cwchar>

#include "platform.h"
#include "unicode.h"

namespace rcc {
namespace {

std::wstring Wide(const std::string& utf8) {
  const std::u16string s = Utf8ToUtf16(utf8);
  return std::wstring(s.begin(), s.end());
}

std::string Narrow(const wchar_t* wide) {
  const std::wstring_view w(wide);
  return Utf16ToUtf8(std::u16string(w.begin(), w.end()));
}

// FILETIME counts 100 ns steps from 1601-01-01; 11644473600 s lie between
// that and 1970-01-01.
int64_t FileTimeToUnixMs(const FILETIME& ft) {
  const int64_t ticks = (int64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return ticks / 10000 - 11644473600000LL;
}

bool EndsWithLnk(const wchar_t* name) {
  const size_t n = std::wcslen(name);
  return n >= 4 && _wcsicmp(name + n - 4, L".lnk") == 0;
}

}  // namespace

const bool kBackslashIsSeparator = true;

bool ListDirectory(const std::string& path, std::vector<DirEntry>& entries, std::string& error) {
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW(Wide(path + "/*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) {
    error = LastErrorText();
    return false;
  }
  do {
    if (std::wcscmp(data.cFileName, L".") == 0 || std::wcscmp(data.cFileName, L"..") == 0) continue;
    DirEntry entry;
    entry.name = Narrow(data.cFileName);
    const DWORD attributes = data.dwFileAttributes;
    entry.is_dir = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.is_file = !entry.is_dir && (attributes & FILE_ATTRIBUTE_DEVICE) == 0;
    entry.skipped = (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
                    (entry.is_file && EndsWithLnk(data.cFileName));
    entries.push_back(std::move(entry));
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return true;
}

PathInfo QueryPath(const std::string& path) {
  PathInfo info;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return info;
  info.exists = true;
  info.is_dir = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  info.size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  info.modified_ms = FileTimeToUnixMs(data.ftLastWriteTime);
  return info;
}

bool IsAbsolutePath(const std::string& path) {
  if (!path.empty() && (path[0] == '/' || path[0] == '\\')) return true;
  return path.size() >= 3 && path[1] == ':' && (path[2] == '/' || path[2] == '\\');
}

std::FILE* OpenFile(const std::string& path, bool for_writing) {
  return _wfopen(Wide(path).c_str(), for_writing ? L"wb" : L"rb");
}

bool MoveOnto(const std::string& from, const std::string& to, std::string& error) {
  if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  error = LastErrorText();
  return false;
}

void RemoveFile(const std::string& path) { DeleteFileW(Wide(path).c_str()); }

std::string LastErrorText() {
  const DWORD code = GetLastError();
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string result = length ? Narrow(text) : "error " + std::to_string(code);
  if (text) LocalFree(text);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == '.')) {
    result.pop_back();
  }
  return result;
}

void SetStdoutBinary() { _setmode(_fileno(stdout), _O_BINARY); }

}  // namespace rcc
