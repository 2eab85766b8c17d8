#include "engine/support/hash_tables.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "rtl/exceptions.h"
#include "rtl/format.h"
#include "rtl/rtti.h"
#include "rtl/textutils.h"

RD_DEFINE_CLASS(TBaseHash)
RD_DEFINE_CLASS(TPointerHash)
RD_DEFINE_CLASS(TStringHash)

namespace {

template <class T>
int32_t CompareSigned(T a, T b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

}  // namespace

TBaseHash::TBaseHash(int32_t bucket_count, TKeyKind kind) : kind_(kind) {
  if (bucket_count <= 0) throw EListError(Format(u"Invalid bucket count (%d)", {bucket_count}));
  buckets_.resize(size_t(bucket_count));
}

TBaseHash::~TBaseHash() {
  // An OnDelete handler that raises still leaves the table one item shorter,
  // so retrying ends; every item is announced and nothing leaks.
  while (count_ > 0) {
    try {
      Clear();
    } catch (...) {
    }
  }
  while (free_items_ != nullptr) {
    THashItem* item = free_items_;
    free_items_ = item->FreeNext;
    delete item;
  }
}

void TBaseHash::Clear() {
  current_bucket_ = nullptr;
  current_index_ = -1;
  for (Bucket& bucket : buckets_) {
    while (!bucket.empty()) RemoveAt(bucket, int32_t(bucket.size()) - 1);
  }
}

THashItem* TBaseHash::AddItem(uintptr_t hash, intptr_t data) {
  return InsertItem({hash, data, {}}, kind_ == TKeyKind::String ? TMatch::HashKeyData : TMatch::HashData);
}

void TBaseHash::DeleteItem(THashItem* item) {
  if (current_bucket_ == nullptr || current_index_ < 0 || current_index_ >= int32_t(current_bucket_->size()) ||
      (*current_bucket_)[size_t(current_index_)] != item) {
    current_bucket_ = nullptr;
    if (item != nullptr) {
      Bucket& bucket = BucketOf(item->Hash);
      const auto it = std::find(bucket.begin(), bucket.end(), item);
      if (it != bucket.end()) {
        current_bucket_ = &bucket;
        current_index_ = int32_t(it - bucket.begin());
      }
    }
    if (current_bucket_ == nullptr) throw EInvalidPointer(u"Invalid pointer operation");
  }
  Bucket& bucket = *current_bucket_;
  current_bucket_ = nullptr;
  RemoveAt(bucket, std::exchange(current_index_, -1));
}

int32_t TBaseHash::CompareItem(const THashItem& item, const TSearchKey& key, TMatch match) const {
  int32_t c = kind_ == TKeyKind::String ? CompareSigned(int32_t(uint32_t(item.Hash)), int32_t(uint32_t(key.hash)))
                                         : CompareSigned(intptr_t(item.Hash), intptr_t(key.hash));
  if (c != 0 || match == TMatch::Hash) return c;
  if (match == TMatch::HashKey || match == TMatch::HashKeyData) {
    c = CompareStr(item.Key, key.key);
    if (c != 0 || match == TMatch::HashKey) return c;
  }
  return CompareSigned(item.Data, key.data);
}

int32_t TBaseHash::Locate(const Bucket& bucket, const TSearchKey& key, TMatch match, bool& found) const {
  found = false;
  int32_t low = 0;
  int32_t high = int32_t(bucket.size()) - 1;
  while (low <= high) {
    const int32_t middle = int32_t((uint32_t(low) + uint32_t(high)) >> 1);
    const int32_t c = CompareItem(*bucket[size_t(middle)], key, match);
    if (c < 0) {
      low = middle + 1;
    } else {
      // Go on to the left of an equal item: the result is the first match.
      high = middle - 1;
      if (c == 0) found = true;
    }
  }
  return low;
}

THashItem* TBaseHash::InsertItem(const TSearchKey& key, TMatch match) {
  THashItem* item = free_items_;
  if (item != nullptr) {
    free_items_ = item->FreeNext;
    item->FreeNext = nullptr;
    --free_count_;
  } else {
    item = new THashItem();
  }
  ++count_;
  item->Hash = key.hash;
  item->Data = key.data;
  item->Key = String(key.key);

  Bucket& bucket = BucketOf(key.hash);
  bool found;
  const int32_t position = Locate(bucket, key, match, found);
  item->Next = position < int32_t(bucket.size()) ? bucket[size_t(position)] : nullptr;
  if (position > 0) bucket[size_t(position) - 1]->Next = item;
  bucket.insert(bucket.begin() + position, item);
  current_bucket_ = &bucket;
  current_index_ = position;
  return item;
}

THashItem* TBaseHash::Search(const TSearchKey& key, TMatch match) {
  Bucket& bucket = BucketOf(key.hash);
  bool found;
  const int32_t position = Locate(bucket, key, match, found);
  current_bucket_ = &bucket;
  current_index_ = position;
  return found ? bucket[size_t(position)] : nullptr;
}

void TBaseHash::RemoveAt(Bucket& bucket, int32_t index) {
  THashItem* item = bucket[size_t(index)];
  if (index > 0) bucket[size_t(index) - 1]->Next = item->Next;
  bucket.erase(bucket.begin() + index);
  // Recycled even when the handler raises: the item has left the table.
  try {
    OnDelete(this, item);
  } catch (...) {
    Recycle(item);
    throw;
  }
  Recycle(item);
}

void TBaseHash::Recycle(THashItem* item) {
  --count_;
  if (free_count_ >= kMaxFreeItems) {
    delete item;
    return;
  }
  item->Next = nullptr;
  item->Key.clear();
  item->FreeNext = free_items_;
  free_items_ = item;
  ++free_count_;
}

// ---- TPointerHash

THashItem* TPointerHash::FindItem(uintptr_t key) { return Search({key, 0, {}}, TMatch::Hash); }

THashItem* TPointerHash::FindItem(uintptr_t key, intptr_t data) { return Search({key, data, {}}, TMatch::HashData); }

bool TPointerHash::Find(uintptr_t key, intptr_t& data) {
  const THashItem* item = FindItem(key);
  data = item ? item->Data : 0;
  return item != nullptr;
}

bool TPointerHash::Find(uintptr_t key, intptr_t data, intptr_t& found_data) {
  const THashItem* item = FindItem(key, data);
  found_data = item ? item->Data : 0;
  return item != nullptr;
}

intptr_t TPointerHash::ValueOf(uintptr_t key) {
  const THashItem* item = FindItem(key);
  return item ? item->Data : 0;
}

bool TPointerHash::Remove(uintptr_t key) { return RemoveFound(FindItem(key)); }

bool TPointerHash::Remove(uintptr_t key, intptr_t data) { return RemoveFound(FindItem(key, data)); }

bool TPointerHash::RemoveFound(THashItem* item) {
  if (item == nullptr) return false;
  DeleteItem(item);
  return true;
}

// ---- TStringHash

uint32_t TStringHash::HashOf(StringView key) const {
  uint32_t hash = 0;
  for (const char16_t c : key) hash = std::rotl(hash, 2) ^ c;
  return hash;
}

THashItem* TStringHash::Add(StringView key, intptr_t value) {
  return InsertItem({HashOf(key), value, key}, TMatch::HashKeyData);
}

THashItem* TStringHash::FindItem(StringView key) { return Search({HashOf(key), 0, key}, TMatch::HashKey); }

THashItem* TStringHash::FindItem(StringView key, intptr_t value) {
  return Search({HashOf(key), value, key}, TMatch::HashKeyData);
}

bool TStringHash::Find(StringView key, intptr_t& value) {
  const THashItem* item = FindItem(key);
  value = item ? item->Data : 0;
  return item != nullptr;
}

bool TStringHash::Find(StringView key, intptr_t value, intptr_t& found_value) {
  const THashItem* item = FindItem(key, value);
  found_value = item ? item->Data : 0;
  return item != nullptr;
}

intptr_t TStringHash::ValueOf(StringView key, intptr_t fallback) {
  const THashItem* item = FindItem(key);
  return item ? item->Data : fallback;
}
