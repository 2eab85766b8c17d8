#pragma once
// The engine's hash tables: a fixed number of buckets (never resized), each
// bucket an ordered list of items searched by bisection, so that even a long
// bucket stays fast. Items leaving the table are announced through OnDelete
// and recycled through a free list of at most two items.
//
// TPointerHash keys items by a pointer-sized value (a pointer or an integer),
// TStringHash by a string and its 32-bit HashOf.
//
// Order inside a bucket, by the match a search or an add uses:
//
//   TPointerHash add, search with data     Hash, then Data
//   TPointerHash search without data       Hash
//   TStringHash add, search with value     Hash, then Key, then Data
//   TStringHash search without value       Hash, then Key
//
// Hash and Data compare as signed integers of their width (32 bits for a
// string hash; pointer-sized for a pointer hash and for Data, so that two
// pointers never compare equal on a 64-bit target), Key ordinally by UTF-16
// code units. A search finds the first (leftmost) matching item; following
// Next from it visits the rest of the bucket in order, so first every further
// item of the same key. A new item goes before the items equal to it.
//
// Not thread-safe: a table shared between threads is guarded by its users
// with Lock/Unlock. Searches remember their position (for DeleteItem), so
// even a search is a write and must run under the lock.

#include <cstdint>
#include <vector>

#include "rtl/events.h"
#include "rtl/objects.h"
#include "rtl/sync.h"
#include "rtl/ustring.h"

// One entry of a hash table, owned by the table. A string hash's Hash is the
// 32-bit HashOf of Key; a pointer hash's is the key itself and its Key empty.
struct THashItem {
  THashItem* FreeNext = nullptr;  // link in the free list; none while in use
  THashItem* Next = nullptr;      // next item of the same bucket; none for the last
  String Key;
  uintptr_t Hash = 0;
  intptr_t Data = 0;
};

class TBaseHash : public TObject {
  RD_CLASS(TBaseHash, TObject)

 public:
  // Called for each item that leaves the table, before it is recycled.
  using TDeleteEvent = TEventOf<TBaseHash*, THashItem*>;

  ~TBaseHash() override;

  // Removes every item: bucket by bucket, each bucket from its last item to
  // its first, announcing each through OnDelete.
  void Clear();

  // The table's own re-entrant lock, waited for without a time limit.
  void Lock() { lock_.Enter(); }
  void Unlock() { lock_.Leave(); }

  // A new item with an empty Key, in the table's add order.
  THashItem* AddItem(uintptr_t hash, intptr_t data);
  // Removes `item`: usually the one the last search found; any other item of
  // this table is looked up first. EInvalidPointer when it is not in this
  // table.
  void DeleteItem(THashItem* item);

  int32_t Count() const { return count_; }
  int32_t BucketCount() const { return int32_t(buckets_.size()); }
  // Items waiting in the free list for reuse (at most 2).
  int32_t FreeCount() const { return free_count_; }

  TDeleteEvent OnDelete;

 protected:
  // Pointer keys: pointer-sized hashes, added in Hash, Data order. String
  // keys: 32-bit hashes, added in Hash, Key, Data order.
  enum class TKeyKind { Pointer, String };
  enum class TMatch { Hash, HashData, HashKey, HashKeyData };
  struct TSearchKey {
    uintptr_t hash = 0;
    intptr_t data = 0;
    StringView key;
  };

  // `bucket_count` above 0, else EListError "Invalid bucket count (%d)".
  TBaseHash(int32_t bucket_count, TKeyKind kind);

  // Takes an item (recycled or new), fills it from `key` and inserts it
  // before the items it matches under `match`.
  THashItem* InsertItem(const TSearchKey& key, TMatch match);
  // The first item matching `key` under `match`, or nullptr; remembers the
  // position for DeleteItem.
  THashItem* Search(const TSearchKey& key, TMatch match);

 private:
  static constexpr int32_t kMaxFreeItems = 2;
  using Bucket = std::vector<THashItem*>;

  int32_t CompareItem(const THashItem& item, const TSearchKey& key, TMatch match) const;
  // Bisection for the leftmost item not sorting before `key`; `found` tells
  // whether it matches.
  int32_t Locate(const Bucket& bucket, const TSearchKey& key, TMatch match, bool& found) const;
  Bucket& BucketOf(uintptr_t hash) { return buckets_[hash % buckets_.size()]; }
  // Unlinks the item at `index` of `bucket`, announces and recycles it.
  void RemoveAt(Bucket& bucket, int32_t index);
  void Recycle(THashItem* item);

  std::vector<Bucket> buckets_;
  THashItem* free_items_ = nullptr;
  int32_t free_count_ = 0;
  Bucket* current_bucket_ = nullptr;  // where the last add or search ended
  int32_t current_index_ = -1;
  int32_t count_ = 0;
  TKeyKind kind_;
  TMonitorLock lock_;
};

// Keys are pointer-sized values (pointers cast to uintptr_t, or integers);
// the bucket is the key modulo the bucket count.
class TPointerHash : public TBaseHash {
  RD_CLASS(TPointerHash, TBaseHash)

 public:
  explicit TPointerHash(int32_t bucket_count) : TBaseHash(bucket_count, TKeyKind::Pointer) {}

  THashItem* Add(uintptr_t key, intptr_t data) { return AddItem(key, data); }
  // The first item of `key` (of `key` and `data`), or nullptr.
  THashItem* FindItem(uintptr_t key);
  THashItem* FindItem(uintptr_t key, intptr_t data);
  // The found item's data in `data` (0 when not found).
  bool Find(uintptr_t key, intptr_t& data);
  bool Find(uintptr_t key, intptr_t data, intptr_t& found_data);
  // The first item's data, 0 when the key is absent.
  intptr_t ValueOf(uintptr_t key);
  // Removes the first item of `key` (of `key` and `data`); false when none.
  bool Remove(uintptr_t key);
  bool Remove(uintptr_t key, intptr_t data);

 private:
  bool RemoveFound(THashItem* item);
};

class TStringHash : public TBaseHash {
  RD_CLASS(TStringHash, TBaseHash)

 public:
  explicit TStringHash(int32_t bucket_count) : TBaseHash(bucket_count, TKeyKind::String) {}

  // hash = (hash rotated left by 2 bits) XOR code unit, over the key's UTF-16
  // code units from 0; the empty key hashes to 0.
  virtual uint32_t HashOf(StringView key) const;

  THashItem* Add(StringView key, intptr_t value);
  // The first item of `key` (of `key` and `value`), or nullptr. Keys compare
  // ordinally: keys differing only in case are different keys.
  THashItem* FindItem(StringView key);
  THashItem* FindItem(StringView key, intptr_t value);
  // The found item's value in `value` (0 when not found).
  bool Find(StringView key, intptr_t& value);
  bool Find(StringView key, intptr_t value, intptr_t& found_value);
  // The first item's value, or `fallback` when the key is absent.
  intptr_t ValueOf(StringView key, intptr_t fallback);
};
