#pragma once
// Whether memory may be read without a fault: committed, not no-access and
// not a guard page, over the whole span (a span may cross into the next
// region, which must qualify too).

#include <cstddef>

// The last region found readable; a span inside it needs no query.
struct TReadableCache {
  const char* Begin = nullptr;
  const char* End = nullptr;
};

bool IsReadable(const void* address, size_t length, TReadableCache* cache = nullptr);
