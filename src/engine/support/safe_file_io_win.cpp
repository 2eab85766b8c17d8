// The safe INI file's file operations over the Win32 W functions.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/support/safe_file_io.h"
#include "rtl/numbers.h"
#include "rtl/wide_string.h"

namespace {

constexpr DWORD kLiftedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;

// Closes a file handle when the scope ends.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (valid()) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  // Closes now; false (with the system's error set) when the close failed.
  bool Close() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return CloseHandle(handle) != 0;
  }

 private:
  HANDLE handle_;
};

int32_t ErrorCode() { return int32_t(GetLastError()); }

bool WriteAll(HANDLE file, const TBytes& content) {
  size_t done = 0;
  while (done < content.size()) {
    const DWORD chunk = DWORD(std::min<size_t>(content.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, content.data() + done, chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    done += written;
  }
  return true;
}

// Gives `file` the access list of `model`. ReplaceFileW carries the list
// over by itself on Windows; copying it beforehand also keeps it where the
// replacement does not (Wine derives it from the file's POSIX mode). Best
// effort: a list that cannot be copied is left to ReplaceFileW.
void CopyAccessList(const String& model, const String& file) {
  DWORD size = 0;
  GetFileSecurityW(WideCStr(model), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
  if (size == 0) return;
  std::vector<uint8_t> descriptor(size);
  if (GetFileSecurityW(WideCStr(model), DACL_SECURITY_INFORMATION, descriptor.data(), size, &size)) {
    SetFileSecurityW(WideCStr(file), DACL_SECURITY_INFORMATION, descriptor.data());
  }
}

// Creates a new, unique temporary file next to `path` and writes `content`
// into it; `temporary` receives its name. 0 or the error code (the partial
// file is then gone).
int32_t WriteTemporarySibling(const String& path, const TBytes& content, bool target_exists, String& temporary) {
  const String base = path + u".tmp" + IntToHex(uint32_t(GetCurrentProcessId()), 1) + u"_";
  for (uint32_t attempt = 0;; ++attempt) {
    temporary = base + IntToHex(attempt, 1);
    FileHandle file(CreateFileW(WideCStr(temporary), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
      const int32_t error = ErrorCode();
      if (error == ERROR_FILE_EXISTS && attempt < 100) continue;
      return error;
    }
    if (target_exists) CopyAccessList(path, temporary);
    if (WriteAll(file.get(), content) && FlushFileBuffers(file.get()) && file.Close()) return 0;
    const int32_t error = ErrorCode();
    file.Close();
    DeleteFileW(WideCStr(temporary));
    return error;
  }
}

// Puts the temporary file in the place of `path`. An existing target is
// replaced by ReplaceFileW, which carries its attributes and security
// settings over to the new content; it is first renamed to a backup name,
// so that whatever step fails, the old content can be put back.
int32_t MoveIntoPlace(const String& temporary, const String& path, bool target_exists) {
  if (!target_exists) {
    return MoveFileExW(WideCStr(temporary), WideCStr(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : ErrorCode();
  }
  const String backup = temporary + u".old";
  if (ReplaceFileW(WideCStr(path), WideCStr(temporary), WideCStr(backup), 0, nullptr, nullptr)) {
    DeleteFileW(WideCStr(backup));
    return 0;
  }
  const int32_t error = ErrorCode();
  if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
    // The old file already went to the backup name; bring it back.
    MoveFileExW(WideCStr(backup), WideCStr(path), MOVEFILE_WRITE_THROUGH);
  }
  return error;
}

}  // namespace

int32_t ReadWholeFile(const String& path, TBytes& bytes) {
  FileHandle file(CreateFileW(WideCStr(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return ErrorCode();
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size)) return ErrorCode();
  if (size.QuadPart > 0x7FFFFFFF) return ERROR_FILE_TOO_LARGE;
  bytes.resize(size_t(size.QuadPart));
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data() + done, DWORD(bytes.size() - done), &read, nullptr)) return ErrorCode();
    if (read == 0) break;  // the file shrank meanwhile
    done += read;
  }
  bytes.resize(done);
  return 0;
}

int32_t CreateFileIfMissing(const String& path, const TBytes& content) {
  FileHandle file(CreateFileW(WideCStr(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    const int32_t error = ErrorCode();
    return error == ERROR_FILE_EXISTS ? 0 : error;
  }
  return WriteAll(file.get(), content) && file.Close() ? 0 : ErrorCode();
}

int32_t ReplaceFileContent(const String& path, const TBytes& content) {
  DWORD attributes = GetFileAttributesW(WideCStr(path));
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    // Attributes that cannot be read may still be settable; with plain
    // archive they usually read again.
    SetFileAttributesW(WideCStr(path), FILE_ATTRIBUTE_ARCHIVE);
    attributes = GetFileAttributesW(WideCStr(path));
  }
  const bool target_exists = attributes != INVALID_FILE_ATTRIBUTES;
  // A read-only or hidden target refuses to be replaced; lift both bits for
  // the write and set the attributes read back afterwards, failure or not.
  const bool lifted = target_exists && (attributes & kLiftedAttributes) != 0 &&
                      SetFileAttributesW(WideCStr(path), attributes & ~kLiftedAttributes);

  String temporary;
  int32_t error = WriteTemporarySibling(path, content, target_exists, temporary);
  if (error == 0) {
    error = MoveIntoPlace(temporary, path, target_exists);
    if (error != 0) DeleteFileW(WideCStr(temporary));
  }
  if (lifted) SetFileAttributesW(WideCStr(path), attributes);
  return error;
}

int32_t LastSystemErrorCode() { return ErrorCode(); }
