// The safe INI file's file operations over POSIX calls (UTF-8 paths).

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "engine/support/safe_file_io.h"
#include "rtl/numbers.h"

namespace {

// Closes a file descriptor when the scope ends.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  bool valid() const { return fd_ >= 0; }
  int get() const { return fd_; }
  // Closes now; false (errno set) when the close reported an error.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, const TBytes& content) {
  size_t done = 0;
  while (done < content.size()) {
    const ssize_t written = ::write(fd, content.data() + done, content.size() - done);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) {
      errno = EIO;
      return false;
    }
    done += size_t(written);
  }
  return true;
}

// Creates a new, unique temporary file next to `path` holding `content`,
// with the mode (and, where allowed, the owner) of `like` when given.
int32_t WriteTemporarySibling(const std::string& path, const TBytes& content, const struct stat* like,
                              std::string& temporary) {
  const std::string base = path + ".tmp" + StringToUtf8(IntToHex(uint32_t(::getpid()), 1)) + "_";
  for (uint32_t attempt = 0;; ++attempt) {
    temporary = base + StringToUtf8(IntToHex(attempt, 1));
    FileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!file.valid()) {
      if (errno == EEXIST && attempt < 100) continue;
      return errno;
    }
    bool ok = true;
    if (like != nullptr) {
      // The owner can only be kept by a privileged process; that failure
      // is no reason to keep the old content.
      if (::fchown(file.get(), like->st_uid, like->st_gid) != 0) errno = 0;
      ok = ::fchmod(file.get(), like->st_mode & 07777) == 0;
    }
    ok = ok && WriteAll(file.get(), content) && ::fsync(file.get()) == 0;
    if (ok && file.Close()) return 0;
    const int32_t error = errno;
    ::unlink(temporary.c_str());
    return error;
  }
}

}  // namespace

int32_t ReadWholeFile(const String& path, TBytes& bytes) {
  FileDescriptor file(::open(StringToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.valid()) return errno;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) return errno;
  if (info.st_size > 0x7FFFFFFF) return EFBIG;
  bytes.resize(size_t(info.st_size));
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(file.get(), bytes.data() + done, bytes.size() - done);
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (got == 0) break;  // the file shrank meanwhile
    done += size_t(got);
  }
  bytes.resize(done);
  return 0;
}

int32_t CreateFileIfMissing(const String& path, const TBytes& content) {
  FileDescriptor file(::open(StringToUtf8(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!file.valid()) return errno == EEXIST ? 0 : errno;
  return WriteAll(file.get(), content) && file.Close() ? 0 : errno;
}

int32_t ReplaceFileContent(const String& path, const TBytes& content) {
  const std::string target = StringToUtf8(path);
  struct stat info {};
  const bool target_exists = ::stat(target.c_str(), &info) == 0;
  std::string temporary;
  const int32_t error = WriteTemporarySibling(target, content, target_exists ? &info : nullptr, temporary);
  if (error != 0) return error;
  if (::rename(temporary.c_str(), target.c_str()) == 0) return 0;
  const int32_t rename_error = errno;
  ::unlink(temporary.c_str());
  return rename_error;
}

int32_t LastSystemErrorCode() { return errno; }
