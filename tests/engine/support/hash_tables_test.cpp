#include "engine/support/hash_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include "rtl/exceptions.h"

namespace {

// Walks the Next chain from `item` and returns the data of every item seen.
std::vector<intptr_t> ChainData(const THashItem* item) {
  std::vector<intptr_t> data;
  for (; item != nullptr; item = item->Next) data.push_back(item->Data);
  return data;
}

// Records every item announced through OnDelete as (hash, data).
class DeleteRecorder : public TObject {
 public:
  void Attach(TBaseHash& table) { table.OnDelete = MakeEvent<&DeleteRecorder::Deleted>(this); }
  void Deleted(TBaseHash* sender, THashItem* item) {
    EXPECT_NE(sender, nullptr);
    deleted.push_back({item->Hash, item->Data});
  }
  std::vector<std::pair<uintptr_t, intptr_t>> deleted;
};

TEST(PointerHash, KeysOfOneBucketStayApartAndInOrder) {
  TPointerHash hash(512);
  hash.Add(517, 5170);
  hash.Add(5, 50);
  hash.Add(1029, 10290);
  EXPECT_EQ(hash.ValueOf(517), 5170);
  EXPECT_EQ(hash.ValueOf(5), 50);
  EXPECT_EQ(hash.ValueOf(6), 0);
  // All three share bucket 5, ordered by key.
  EXPECT_EQ(ChainData(hash.FindItem(5)), (std::vector<intptr_t>{50, 5170, 10290}));
  EXPECT_EQ(hash.Count(), 3);
}

TEST(PointerHash, EqualItemsAreKeptAndRemovedOneByOne) {
  TPointerHash hash(512);
  const intptr_t a = 0xA;
  THashItem* first = hash.Add(7, a);
  THashItem* second = hash.Add(7, a);
  EXPECT_NE(first, second);
  // A new item goes before the equal ones already there.
  EXPECT_EQ(hash.FindItem(7, a), second);
  EXPECT_EQ(second->Next, first);
  EXPECT_TRUE(hash.Remove(7, a));
  EXPECT_TRUE(hash.Remove(7, a));
  EXPECT_FALSE(hash.Remove(7, a));
  EXPECT_EQ(hash.Count(), 0);
}

TEST(PointerHash, SearchWithoutDataFindsTheFirstItemOfTheKey) {
  TPointerHash hash(512);
  for (const intptr_t data : {30, -1, 20, 10, 40}) hash.Add(7, data);
  hash.Add(519, 99);  // same bucket, later key
  hash.Add(7 - 512, 77);  // same bucket (modulo the full width), earlier key
  const THashItem* item = hash.FindItem(7);
  ASSERT_NE(item, nullptr);
  // Data orders the items of one key as signed values; Next walks the rest of
  // the bucket: the other items of key 7, then the later key.
  EXPECT_EQ(ChainData(item), (std::vector<intptr_t>{-1, 10, 20, 30, 40, 99}));
  intptr_t data = 123;
  EXPECT_TRUE(hash.Find(7, data));
  EXPECT_EQ(data, -1);
  EXPECT_TRUE(hash.Find(7, 20, data));
  EXPECT_EQ(data, 20);
  EXPECT_FALSE(hash.Find(7, 25, data));
  EXPECT_EQ(data, 0);
  EXPECT_FALSE(hash.Find(8, data));
  EXPECT_EQ(data, 0);
  // The negative key sorts first in the bucket.
  EXPECT_EQ(hash.FindItem(uintptr_t(7 - 512))->Next, item);
}

TEST(PointerHash, FullPointerWidthIsCompared) {
  if constexpr (sizeof(uintptr_t) < 8) GTEST_SKIP() << "pointers are 32 bits here";
  TPointerHash hash(512);
  const uintptr_t low = 5;
  const uintptr_t high = low | uintptr_t(uint64_t(1) << 40);  // same low 32 bits, same bucket
  hash.Add(high, 2);
  hash.Add(low, 1);
  EXPECT_EQ(hash.ValueOf(low), 1);
  EXPECT_EQ(hash.ValueOf(high), 2);
  EXPECT_TRUE(hash.Remove(high));
  EXPECT_EQ(hash.ValueOf(high), 0);
  EXPECT_EQ(hash.ValueOf(low), 1);
}

// Random adds and removes against a plain model: after every step each
// bucket, walked through Next from its first item, holds the model's items of
// that bucket ordered by signed key, then signed data.
TEST(PointerHash, MatchesAModelUnderRandomChanges) {
  constexpr int kBuckets = 4;
  TPointerHash hash(kBuckets);
  std::vector<std::pair<intptr_t, intptr_t>> model;  // (key, data)
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> small(-6, 6);
  const auto bucket_of = [](intptr_t key) { return uintptr_t(key) % kBuckets; };
  for (int step = 0; step < 3000; ++step) {
    const intptr_t key = small(random);
    const intptr_t data = small(random);
    const int action = int(random() % 4);
    if (action <= 1) {
      hash.Add(uintptr_t(key), data);
      model.emplace_back(key, data);
    } else if (action == 2) {
      const auto it = std::find(model.begin(), model.end(), std::pair(key, data));
      ASSERT_EQ(hash.Remove(uintptr_t(key), data), it != model.end());
      if (it != model.end()) model.erase(it);
    } else {
      // Without data the item with the smallest data of the key goes.
      auto first = model.end();
      for (auto it = model.begin(); it != model.end(); ++it) {
        if (it->first == key && (first == model.end() || it->second < first->second)) first = it;
      }
      ASSERT_EQ(hash.Remove(uintptr_t(key)), first != model.end());
      if (first != model.end()) model.erase(first);
    }
    ASSERT_EQ(hash.Count(), int32_t(model.size()));
    for (uintptr_t bucket = 0; bucket < kBuckets; ++bucket) {
      std::vector<std::pair<intptr_t, intptr_t>> expected;
      for (const auto& item : model) {
        if (bucket_of(item.first) == bucket) expected.push_back(item);
      }
      std::sort(expected.begin(), expected.end());
      std::vector<std::pair<intptr_t, intptr_t>> chain;
      if (!expected.empty()) {
        for (const THashItem* item = hash.FindItem(uintptr_t(expected.front().first)); item; item = item->Next) {
          chain.emplace_back(intptr_t(item->Hash), item->Data);
        }
      }
      ASSERT_EQ(chain, expected) << "bucket " << bucket << " after step " << step;
    }
  }
}

TEST(BaseHash, OnDeleteSeesEveryLeavingItemInClearOrder) {
  DeleteRecorder recorder;
  {
    TPointerHash hash(4);
    recorder.Attach(hash);
    hash.Add(1, 10);
    hash.Add(5, 50);  // bucket 1 after key 1
    hash.Add(2, 20);
    hash.Add(0, 0);
    EXPECT_TRUE(hash.Remove(2));
    EXPECT_EQ(recorder.deleted, (std::vector<std::pair<uintptr_t, intptr_t>>{{2, 20}}));
    recorder.deleted.clear();
    hash.Clear();
    // Bucket by bucket, each from its last item to its first.
    EXPECT_EQ(recorder.deleted, (std::vector<std::pair<uintptr_t, intptr_t>>{{0, 0}, {5, 50}, {1, 10}}));
    EXPECT_EQ(hash.Count(), 0);
    EXPECT_EQ(hash.FindItem(1), nullptr);
    recorder.deleted.clear();
    hash.Add(3, 30);
  }
  // Destruction announces what is left.
  EXPECT_EQ(recorder.deleted, (std::vector<std::pair<uintptr_t, intptr_t>>{{3, 30}}));
}

TEST(BaseHash, AHandlerThatRaisesLosesNoItem) {
  struct Raiser : TObject {
    void Deleted(TBaseHash*, THashItem*) { throw EAbort(u"stop"); }
  } raiser;
  TPointerHash hash(8);
  hash.OnDelete = MakeEvent<&Raiser::Deleted>(&raiser);
  hash.Add(1, 1);
  hash.Add(9, 9);
  hash.Add(2, 2);
  EXPECT_THROW(hash.Remove(9), EAbort);
  EXPECT_EQ(hash.Count(), 2);
  EXPECT_EQ(hash.FindItem(1)->Next, nullptr);  // unlinked before the handler ran
  EXPECT_THROW(hash.Clear(), EAbort);
  EXPECT_EQ(hash.Count(), 1);
  EXPECT_EQ(hash.ValueOf(2), 2);
}

TEST(BaseHash, AtMostTwoItemsAreRecycled) {
  TPointerHash hash(16);
  THashItem* a = hash.Add(1, 1);
  THashItem* b = hash.Add(2, 2);
  hash.Add(3, 3);
  EXPECT_TRUE(hash.Remove(1));
  EXPECT_TRUE(hash.Remove(2));
  EXPECT_EQ(hash.FreeCount(), 2);
  EXPECT_TRUE(hash.Remove(3));
  EXPECT_EQ(hash.FreeCount(), 2);
  // The free list is taken last in, first out; recycled items come back clean.
  THashItem* again = hash.Add(4, 4);
  EXPECT_EQ(again, b);
  EXPECT_EQ(again->Next, nullptr);
  EXPECT_EQ(hash.Add(5, 5), a);
  EXPECT_EQ(hash.FreeCount(), 0);
  EXPECT_EQ(hash.Count(), 2);
}

TEST(BaseHash, DeleteItemTakesAnyItemOfTheTable) {
  TPointerHash hash(4);
  THashItem* one = hash.Add(1, 1);
  hash.Add(5, 5);
  THashItem* nine = hash.Add(9, 9);
  hash.FindItem(5);  // the last search points elsewhere
  hash.DeleteItem(one);
  EXPECT_EQ(hash.FindItem(5)->Next, nine);
  EXPECT_EQ(hash.Count(), 2);

  TPointerHash other(4);
  THashItem* foreign = other.Add(5, 5);
  EXPECT_THROW(hash.DeleteItem(foreign), EInvalidPointer);
  EXPECT_THROW(hash.DeleteItem(nullptr), EInvalidPointer);
  EXPECT_EQ(hash.Count(), 2);
}

TEST(BaseHash, BucketCountMustBePositive) {
  EXPECT_THROW(TPointerHash(0), EListError);
  EXPECT_THROW(TStringHash(-1), EListError);
}

TEST(BaseHash, LockIsReentrantAndExcludesOtherThreads) {
  TPointerHash hash(4);
  hash.Lock();
  hash.Lock();
  std::atomic<bool> entered = false;
  std::thread other([&] {
    hash.Lock();
    entered = true;
    hash.Unlock();
  });
  hash.Unlock();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(entered);
  hash.Unlock();
  other.join();
  EXPECT_TRUE(entered);
}

TEST(StringHash, HashOfRotatesAndMixesEveryCodeUnit) {
  const TStringHash hash(256);
  const struct {
    String key;
    uint32_t expected;
  } cases[] = {
      {u"", 0},
      {u"A", 65},
      {u"AB", 326},  // (65 rotated left by 2) xor 66
      {String(u"\xC000") + String(15, u'\0'), 0x3000},  // a rotation wraps the top bits round
      {u"\xFFFF\xFFFF", 0x30003},
  };
  for (const auto& c : cases) EXPECT_EQ(hash.HashOf(c.key), c.expected) << StringToUtf8(c.key);
}

TEST(StringHash, KeysCompareOrdinallyAndCaseMatters) {
  TStringHash hash(256);
  hash.Add(u"Color", 1);
  hash.Add(u"color", 2);
  hash.Add(u"Color", 3);
  EXPECT_EQ(hash.ValueOf(u"Color", -1), 1);
  EXPECT_EQ(hash.ValueOf(u"color", -1), 2);
  EXPECT_EQ(hash.ValueOf(u"COLOR", -1), -1);
  intptr_t value = 42;
  EXPECT_FALSE(hash.Find(u"COLOR", value));
  EXPECT_EQ(value, 0);
  EXPECT_TRUE(hash.Find(u"Color", 3, value));
  EXPECT_EQ(value, 3);
  EXPECT_EQ(ChainData(hash.FindItem(u"Color")).front(), 1);
  EXPECT_EQ(hash.FindItem(u"Color", 3)->Key, u"Color");
  EXPECT_EQ(hash.FindItem(u"Color", 4), nullptr);
}

TEST(StringHash, AnItemAddedByHashKeepsTheKeyOrder) {
  TStringHash hash(16);
  const String low(u"\x01\x00", 2);  // both hash to 4
  const String high = u"\x04";
  ASSERT_EQ(hash.HashOf(low), hash.HashOf(high));
  hash.Add(low, 1);
  hash.Add(high, 5);
  THashItem* bare = hash.AddItem(4, 3);
  EXPECT_TRUE(bare->Key.empty());
  // The empty key sorts first; both keys are still found.
  EXPECT_EQ(ChainData(bare), (std::vector<intptr_t>{3, 1, 5}));
  EXPECT_EQ(hash.ValueOf(low, -1), 1);
  EXPECT_EQ(hash.ValueOf(high, -1), 5);
}

TEST(StringHash, HashesCompareAsSigned32BitValues) {
  TStringHash hash(256);
  const String high = String(u"\x8000") + String(8, u'\0');  // hash 0x80000000, bucket 0
  const String low = u"\x0100";                             // hash 0x100, bucket 0
  ASSERT_EQ(hash.HashOf(high), 0x80000000u);
  hash.Add(low, 1);
  hash.Add(high, 2);
  EXPECT_EQ(ChainData(hash.FindItem(high)), (std::vector<intptr_t>{2, 1}));
  EXPECT_EQ(hash.FindItem(high)->Hash, 0x80000000u);
}

}  // namespace
