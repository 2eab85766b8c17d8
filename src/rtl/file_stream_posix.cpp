// TFileStream over POSIX file descriptors (native builds). File names are
// passed to the system as UTF-8.

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "rtl/streams.h"
#include "rtl/syserror.h"

TFileStream::TFileStream(const String& file_name, uint16_t mode) : file_name_(file_name) {
  const std::string path = StringToUtf8(file_name);
  if ((mode & fmCreate) == fmCreate) {
    handle_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (handle_ < 0) {
      throw EFCreateError(u"Cannot create file \"" + file_name + u"\". " + SysErrorMessage(errno));
    }
    return;
  }
  const int access = (mode & 3) == fmOpenWrite ? O_WRONLY : (mode & 3) == fmOpenReadWrite ? O_RDWR : O_RDONLY;
  handle_ = ::open(path.c_str(), access | O_CLOEXEC);
  int error = errno;
  if (handle_ >= 0) {
    struct stat info {};
    if (::fstat(static_cast<int>(handle_), &info) == 0 && S_ISDIR(info.st_mode)) {
      ::close(static_cast<int>(handle_));
      handle_ = -1;
      error = EISDIR;
    }
  }
  if (handle_ < 0) throw EFOpenError(u"Cannot open file \"" + file_name + u"\". " + SysErrorMessage(error));
}

TFileStream::~TFileStream() { ::close(static_cast<int>(handle_)); }

int32_t TFileStream::Read(void* buffer, int32_t count) {
  if (count <= 0) return 0;
  int32_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(static_cast<int>(handle_), static_cast<char*>(buffer) + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<int32_t>(n);
  }
  return done;
}

int32_t TFileStream::Write(const void* buffer, int32_t count) {
  if (count <= 0) return 0;
  int32_t done = 0;
  while (done < count) {
    const ssize_t n =
        ::write(static_cast<int>(handle_), static_cast<const char*>(buffer) + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<int32_t>(n);
  }
  return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  const off_t result = ::lseek(static_cast<int>(handle_), static_cast<off_t>(offset), whence);
  if (result < 0) throw EStreamError(u"Cannot seek in file \"" + file_name_ + u"\". " + SysErrorMessage(errno));
  return result;
}

void TFileStream::SetSize(int64_t new_size) {
  if (new_size < 0 || ::ftruncate(static_cast<int>(handle_), static_cast<off_t>(new_size)) != 0) {
    throw EStreamError(u"Cannot change the size of file \"" + file_name_ + u"\". " +
                       SysErrorMessage(new_size < 0 ? EINVAL : errno));
  }
  if (Position() > new_size) SetPosition(new_size);
}
