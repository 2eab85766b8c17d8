#pragma once
// A test buffer whose last byte is followed by an inaccessible page, so that a
// kernel reading or writing one byte past its rows faults at once, also in
// the Windows build where no sanitizer runs. The bytes before the buffer, up
// to a page boundary, are inaccessible too.

#include <cstddef>
#include <cstdint>

class TGuardedBuffer {
 public:
  explicit TGuardedBuffer(size_t size);
  ~TGuardedBuffer();
  TGuardedBuffer(const TGuardedBuffer&) = delete;
  TGuardedBuffer& operator=(const TGuardedBuffer&) = delete;

  uint8_t* Data() const { return data_; }
  size_t Size() const { return size_; }

 private:
  uint8_t* base_ = nullptr;  // the whole reservation: guard, data pages, guard
  size_t reserved_ = 0;
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};
