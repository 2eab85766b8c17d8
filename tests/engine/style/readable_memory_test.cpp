#include "engine/style/readable_memory_win.h"

#include "vcl/win_api.h"

#include <gtest/gtest.h>

namespace {

// Three pages: read-write, then read-only (another region), then reserved.
class ReadableMemory : public ::testing::Test {
 protected:
  void SetUp() override {
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    page = si.dwPageSize;
    base = static_cast<char*>(VirtualAlloc(nullptr, 3 * page, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_NE(base, nullptr);
    ASSERT_NE(VirtualAlloc(base, 2 * page, MEM_COMMIT, PAGE_READWRITE), nullptr);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(base + page, page, PAGE_READONLY, &old));
  }
  void TearDown() override { VirtualFree(base, 0, MEM_RELEASE); }
  size_t page = 0;
  char* base = nullptr;
};

TEST_F(ReadableMemory, ProtectionsAndRegionCrossings) {
  DWORD old = 0;
  const struct {
    size_t offset, length;
    DWORD first_page_protect;
    bool readable;
  } cases[] = {
      {0, 16, PAGE_READWRITE, true},
      {0, 16, PAGE_NOACCESS, false},
      {0, 16, PAGE_READWRITE | PAGE_GUARD, false},
      {page - 8, 16, PAGE_READWRITE, true},        // into the read-only region
      {2 * page - 8, 16, PAGE_READWRITE, false},   // into reserved memory
      {2 * page, 1, PAGE_READWRITE, false},        // reserved only
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(VirtualProtect(base, page, c.first_page_protect, &old));
    EXPECT_EQ(IsReadable(base + c.offset, c.length), c.readable) << c.offset << " " << c.first_page_protect;
  }
  EXPECT_FALSE(IsReadable(nullptr, 4));
}

TEST_F(ReadableMemory, CacheSkipsTheQueryInsideTheLastRegion) {
  TReadableCache cache;
  ASSERT_TRUE(IsReadable(base, 8, &cache));
  EXPECT_EQ(cache.Begin, base);
  EXPECT_EQ(cache.End, base + page);
  EXPECT_TRUE(IsReadable(base + 100, 8, &cache));
}

}  // namespace
