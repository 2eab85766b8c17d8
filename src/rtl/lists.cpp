#include "rtl/lists.h"

#include <algorithm>

#include "rtl/exceptions.h"
#include "rtl/format.h"
#include "rtl/rtti.h"

RD_DEFINE_CLASS(TList)

TList::~TList() { TList::Clear(); }

void TList::Error(const char16_t* format, int32_t data) {
  throw EListError(Format(format, {data}));
}

void TList::CheckIndex(int32_t index) const {
  if (index < 0 || index >= Count()) Error(u"List index out of bounds (%d)", index);
}

void TList::SetCount(int32_t count) {
  if (count < 0) Error(u"List count out of bounds (%d)", count);
  if (count > Count()) {
    items_.resize(size_t(count), nullptr);
  } else {
    for (int32_t i = Count() - 1; i >= count; --i) Delete(i);
  }
}

void TList::SetCapacity(int32_t capacity) {
  if (capacity < Count()) Error(u"List capacity out of bounds (%d)", capacity);
  if (size_t(capacity) > items_.capacity()) {
    items_.reserve(size_t(capacity));
  } else {
    std::vector<void*> fitted;
    fitted.reserve(size_t(capacity));
    fitted.assign(items_.begin(), items_.end());
    items_.swap(fitted);
  }
}

void* TList::Get(int32_t index) const {
  CheckIndex(index);
  return items_[size_t(index)];
}

void TList::Put(int32_t index, void* item) {
  CheckIndex(index);
  void* old = items_[size_t(index)];
  if (old == item) return;
  items_[size_t(index)] = item;
  if (old) Notify(old, lnDeleted);
  if (item) Notify(item, lnAdded);
}

int32_t TList::Add(void* item) {
  const int32_t index = Count();
  Insert(index, item);
  return index;
}

void TList::Insert(int32_t index, void* item) {
  if (index < 0 || index > Count()) Error(u"List index out of bounds (%d)", index);
  items_.insert(items_.begin() + index, item);
  if (item) Notify(item, lnAdded);
}

void TList::Delete(int32_t index) {
  CheckIndex(index);
  void* item = items_[size_t(index)];
  items_.erase(items_.begin() + index);
  if (item) Notify(item, lnDeleted);
}

int32_t TList::Remove(void* item) {
  const int32_t index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

void* TList::Extract(void* item) {
  const int32_t index = IndexOf(item);
  if (index < 0) return nullptr;
  items_.erase(items_.begin() + index);
  if (item) Notify(item, lnExtracted);
  return item;
}

void TList::Clear() {
  SetCount(0);
  SetCapacity(0);
}

int32_t TList::IndexOf(const void* item) const {
  const auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : int32_t(it - items_.begin());
}

void TList::Exchange(int32_t index1, int32_t index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  std::swap(items_[size_t(index1)], items_[size_t(index2)]);
}

void TList::Move(int32_t current_index, int32_t new_index) {
  if (current_index == new_index) return;
  CheckIndex(current_index);
  CheckIndex(new_index);
  void* item = items_[size_t(current_index)];
  items_.erase(items_.begin() + current_index);
  items_.insert(items_.begin() + new_index, item);
}

void TList::Pack() { std::erase(items_, nullptr); }

void TList::Sort(TListSortCompare compare) {
  std::stable_sort(items_.begin(), items_.end(),
                   [compare](void* a, void* b) { return compare(a, b) < 0; });
}

void TList::Notify(void*, TListNotification) {}
