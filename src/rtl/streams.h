#pragma once
// The framework's byte streams: an abstract TStream with positioned reads and
// writes, a growable in-memory stream, a read-only stream over borrowed bytes
// (resources) and a file stream. Counts are int32_t like the framework's;
// positions and sizes are 64-bit.

#include <cstdint>
#include <vector>

#include "rtl/exceptions.h"
#include "rtl/ustring.h"

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  virtual ~TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  // Reads up to `count` bytes; returns how many were read (0 at the end).
  virtual int32_t Read(void* buffer, int32_t count) = 0;
  // Writes up to `count` bytes; returns how many were written.
  virtual int32_t Write(const void* buffer, int32_t count) = 0;
  // Moves the position; returns the new position from the beginning.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  // Truncates or extends the stream. Streams of fixed size raise EStreamError.
  virtual void SetSize(int64_t new_size);
  virtual int64_t Size();

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t position) { Seek(position, soBeginning); }

  // Exactly `count` bytes or EReadError "Stream read error" / EWriteError
  // "Stream write error".
  void ReadBuffer(void* buffer, int32_t count);
  void WriteBuffer(const void* buffer, int32_t count);

  // Copies `count` bytes from the current position of `source`; a count of 0
  // copies the whole of `source` from its beginning. Returns the bytes copied.
  int64_t CopyFrom(TStream& source, int64_t count);

 protected:
  TStream() = default;
};

// A stream over one contiguous block of memory; the derived class decides who
// owns the block and whether it can be written.
class TCustomMemoryStream : public TStream {
 public:
  int32_t Read(void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return size_; }

  const void* Memory() const { return memory_; }
  void SaveToStream(TStream& dest);
  void SaveToFile(const String& file_name);

 protected:
  void SetPointer(uint8_t* memory, int64_t size);
  uint8_t* memory_ = nullptr;
  int64_t size_ = 0;
  int64_t position_ = 0;
};

// A growable stream that owns its bytes. Bytes gained by SetSize or by a write
// past the end are zero.
class TMemoryStream : public TCustomMemoryStream {
 public:
  TMemoryStream() = default;
  int32_t Write(const void* buffer, int32_t count) override;
  void SetSize(int64_t new_size) override;

  using TCustomMemoryStream::Memory;
  void* Memory() { return memory_; }
  void Clear();
  // Replaces the content with the whole of `source` (read from its beginning)
  // and rewinds.
  void LoadFromStream(TStream& source);
  void LoadFromFile(const String& file_name);

 private:
  std::vector<uint8_t> buffer_;
};

// A read-only stream over bytes it does not own (a resource locked in memory,
// a table compiled into the program). The bytes must outlive the stream.
class TResourceStream : public TCustomMemoryStream {
 public:
  TResourceStream(const void* data, int64_t size);
  // Both raise EStreamError "Can't write to a read-only resource stream".
  int32_t Write(const void* buffer, int32_t count) override;
  void SetSize(int64_t new_size) override;
};

// File open modes: one access mode or fmCreate, combined with one share mode.
// Share modes are enforced on Windows; POSIX has no mandatory sharing.
enum : uint16_t {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFF00,  // create or truncate, then read and write
};

// A stream over an operating-system file. The name is UTF-16 and reaches the
// system unchanged on Windows (W functions) and as UTF-8 on POSIX. Failing to
// open raises EFOpenError, failing to create EFCreateError; both messages name
// the file and give the system's reason.
class TFileStream : public TStream {
 public:
  TFileStream(const String& file_name, uint16_t mode);
  ~TFileStream() override;

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t new_size) override;

  const String& FileName() const { return file_name_; }

 private:
  String file_name_;
  intptr_t handle_;  // HANDLE on Windows, file descriptor on POSIX
};
