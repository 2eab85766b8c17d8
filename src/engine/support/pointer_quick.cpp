#include "engine/support/pointer_quick.h"

#include "rtl/exceptions.h"
#include "rtl/format.h"
#include "rtl/rtti.h"

RD_DEFINE_CLASS(TPointerQuick)

namespace {

template <class T>
int32_t CompareSigned(T a, T b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

}  // namespace

TPointerQuick::TPointerQuick() = default;

TPointerQuick::~TPointerQuick() {
  // An OnDelete handler that raises still leaves one record fewer, so
  // retrying ends; every record is announced and nothing leaks.
  while (Count() > 0) {
    try {
      Clear();
    } catch (...) {
    }
  }
  while (free_items_ != nullptr) {
    TBaseQuickListItem* item = free_items_;
    free_items_ = item->FreeNext;
    delete item;
  }
}

int32_t TPointerQuick::Compare(const TBaseQuickListItem& item, const TBaseQuickListItem& key, bool with_key2) const {
  const int32_t c = CompareSigned(item.Key, key.Key);
  if (c != 0 || !with_key2) return c;
  return CompareSigned(item.Key2, key.Key2);
}

TBaseQuickListItem* TPointerQuick::NewItem(intptr_t key, std::optional<int32_t> key2) {
  TBaseQuickListItem* item = free_items_;
  if (item != nullptr) {
    free_items_ = item->FreeNext;
    item->FreeNext = nullptr;
    --free_count_;
  } else {
    item = new TBaseQuickListItem();
  }
  item->Key = key;
  item->Key2 = key2.value_or(0);
  return item;
}

int32_t TPointerQuick::AddKey(intptr_t key, std::optional<int32_t> key2) {
  int32_t index = Count();
  if (sorted_ && Search(key, key2, index)) {
    if (duplicates_ == dupIgnore) return index;
    if (duplicates_ == dupError) throw EListError(Format(u"List does not allow duplicates ($0%x)", {key}));
  }
  TBaseQuickListItem* item = NewItem(key, key2);
  try {
    Insert(index, item);
  } catch (...) {
    Recycle(item);
    throw;
  }
  return index;
}

bool TPointerQuick::Search(intptr_t key, std::optional<int32_t> key2, int32_t& index) const {
  TBaseQuickListItem wanted;
  wanted.Key = key;
  wanted.Key2 = key2.value_or(0);
  const bool with_key2 = key2.has_value();
  const auto compare = [&](int32_t i) {
    const TBaseQuickListItem& item = *Item(i);
    return compare_func_ ? compare_func_(context_, item, wanted, with_key2) : Compare(item, wanted, with_key2);
  };
  if (!sorted_) {
    for (index = 0; index < Count(); ++index) {
      if (compare(index) == 0) return true;
    }
    return false;
  }
  bool found = false;
  int32_t low = 0;
  int32_t high = Count() - 1;
  while (low <= high) {
    const int32_t middle = int32_t((uint32_t(low) + uint32_t(high)) >> 1);
    const int32_t c = compare(middle);
    if (c < 0) {
      low = middle + 1;
    } else {
      // Go on to the left of an equal item: the result is the first match.
      high = middle - 1;
      if (c == 0) found = true;
    }
  }
  index = low;
  return found;
}

int32_t TPointerQuick::IndexOfKey(intptr_t key, std::optional<int32_t> key2) const {
  int32_t index;
  return Search(key, key2, index) ? index : -1;
}

int32_t TPointerQuick::RemoveKey(intptr_t key, std::optional<int32_t> key2) {
  const int32_t index = IndexOfKey(key, key2);
  if (index >= 0) Delete(index);
  return index;
}

void TPointerQuick::Notify(void* item, TListNotification action) {
  if (action != lnDeleted) return;
  auto* record = static_cast<TBaseQuickListItem*>(item);
  // Recycled even when the handler raises: the record has left the list.
  try {
    OnDelete(this, record);
  } catch (...) {
    Recycle(record);
    throw;
  }
  Recycle(record);
}

void TPointerQuick::Recycle(TBaseQuickListItem* item) {
  if (free_count_ >= kMaxFreeItems) {
    delete item;
    return;
  }
  item->Name.clear();
  item->FreeNext = free_items_;
  free_items_ = item;
  ++free_count_;
}
