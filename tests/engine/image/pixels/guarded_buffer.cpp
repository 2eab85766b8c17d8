#include "guarded_buffer.h"

#include <new>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

size_t PageSize() {
#ifdef _WIN32
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwPageSize;
#else
  return size_t(sysconf(_SC_PAGESIZE));
#endif
}

}  // namespace

TGuardedBuffer::TGuardedBuffer(size_t size) : size_(size) {
  const size_t page = PageSize();
  const size_t data_pages = (size + page - 1) / page;
  reserved_ = (data_pages + 2) * page;
#ifdef _WIN32
  base_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, reserved_, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS));
  if (!base_) throw std::bad_alloc();
  DWORD previous;
  if (data_pages && !VirtualProtect(base_ + page, data_pages * page, PAGE_READWRITE, &previous)) {
    VirtualFree(base_, 0, MEM_RELEASE);
    throw std::bad_alloc();
  }
#else
  void* p = mmap(nullptr, reserved_, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
  base_ = static_cast<uint8_t*>(p);
  if (data_pages && mprotect(base_ + page, data_pages * page, PROT_READ | PROT_WRITE) != 0) {
    munmap(base_, reserved_);
    throw std::bad_alloc();
  }
#endif
  data_ = base_ + page + data_pages * page - size;
}

TGuardedBuffer::~TGuardedBuffer() {
#ifdef _WIN32
  VirtualFree(base_, 0, MEM_RELEASE);
#else
  munmap(base_, reserved_);
#endif
}
