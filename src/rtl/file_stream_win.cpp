// TFileStream over Win32 file handles. File names go to the W functions as
// they are (String is UTF-16).

#include <windows.h>

#include "rtl/streams.h"
#include "rtl/syserror.h"
#include "rtl/wide_string.h"

namespace {

HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

DWORD ShareFlags(uint16_t mode) {
  switch (mode & 0xF0) {
    case fmShareExclusive: return 0;
    case fmShareDenyWrite: return FILE_SHARE_READ;
    case fmShareDenyRead: return FILE_SHARE_WRITE;
    case fmShareDenyNone: return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default: return (mode & fmCreate) == fmCreate ? 0 : FILE_SHARE_READ;  // compatibility mode
  }
}

}  // namespace

TFileStream::TFileStream(const String& file_name, uint16_t mode) : file_name_(file_name) {
  const bool create = (mode & fmCreate) == fmCreate;
  DWORD access = GENERIC_READ | GENERIC_WRITE;
  if (!create) {
    access = (mode & 3) == fmOpenWrite ? GENERIC_WRITE : (mode & 3) == fmOpenReadWrite ? access : GENERIC_READ;
  }
  const HANDLE file = CreateFileW(WideCStr(file_name), access, ShareFlags(mode), nullptr,
                                  create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const String reason = SysErrorMessage(GetLastError());
    if (create) throw EFCreateError(u"Cannot create file \"" + file_name + u"\". " + reason);
    throw EFOpenError(u"Cannot open file \"" + file_name + u"\". " + reason);
  }
  handle_ = reinterpret_cast<intptr_t>(file);
}

TFileStream::~TFileStream() { CloseHandle(AsHandle(handle_)); }

int32_t TFileStream::Read(void* buffer, int32_t count) {
  DWORD done = 0;
  if (count <= 0 || !ReadFile(AsHandle(handle_), buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
  return static_cast<int32_t>(done);
}

int32_t TFileStream::Write(const void* buffer, int32_t count) {
  DWORD done = 0;
  if (count <= 0 || !WriteFile(AsHandle(handle_), buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
  return static_cast<int32_t>(done);
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  LARGE_INTEGER distance, result;
  distance.QuadPart = offset;
  const DWORD method = origin == soBeginning ? FILE_BEGIN : origin == soCurrent ? FILE_CURRENT : FILE_END;
  if (!SetFilePointerEx(AsHandle(handle_), distance, &result, method)) {
    throw EStreamError(u"Cannot seek in file \"" + file_name_ + u"\". " + SysErrorMessage(GetLastError()));
  }
  return result.QuadPart;
}

void TFileStream::SetSize(int64_t new_size) {
  const int64_t position = Position();
  Seek(new_size, soBeginning);
  if (!SetEndOfFile(AsHandle(handle_))) {
    const DWORD error = GetLastError();
    Seek(position, soBeginning);
    throw EStreamError(u"Cannot change the size of file \"" + file_name_ + u"\". " + SysErrorMessage(error));
  }
  Seek(position < new_size ? position : new_size, soBeginning);
}
