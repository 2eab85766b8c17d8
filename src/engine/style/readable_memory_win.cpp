#include "engine/style/readable_memory_win.h"

#include "vcl/win_api.h"

namespace {

bool ReadableRegion(const MEMORY_BASIC_INFORMATION& info) {
  if (info.State != MEM_COMMIT) return false;
  const DWORD protect = info.Protect;
  if (protect & (PAGE_NOACCESS | PAGE_GUARD)) return false;
  return protect != 0;
}

}  // namespace

bool IsReadable(const void* address, size_t length, TReadableCache* cache) {
  const char* begin = static_cast<const char*>(address);
  if (!begin) return false;
  const char* end = begin + (length ? length : 1);
  if (end < begin) return false;
  if (cache && begin >= cache->Begin && end <= cache->End) return true;
  const char* at = begin;
  while (at < end) {
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(at, &info, sizeof(info)) != sizeof(info) || !ReadableRegion(info)) return false;
    const char* region_end = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
    if (cache && at == begin) *cache = {static_cast<const char*>(info.BaseAddress), region_end};
    at = region_end;
  }
  return true;
}
