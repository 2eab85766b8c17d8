#include "rtl/stringlist.h"

#include <algorithm>
#include <numeric>

#include "rtl/rtti.h"
#include "rtl/textutils.h"

RD_DEFINE_CLASS(TStringList)

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  if (owns_objects_) {
    for (Item& item : items_) delete item.object;
  }
}

void TStringList::CheckIndex(int32_t index) const {
  if (index < 0 || index >= GetCount()) Error(u"List index out of bounds (%d)", index);
}

void TStringList::CheckNotSorted() const {
  if (sorted_) throw EStringListError(u"Operation not allowed on sorted list");
}

String TStringList::Get(int32_t index) const {
  CheckIndex(index);
  return items_[size_t(index)].text;
}

TObject* TStringList::GetObject(int32_t index) const {
  CheckIndex(index);
  return items_[size_t(index)].object;
}

void TStringList::Put(int32_t index, const String& s) {
  CheckNotSorted();
  CheckIndex(index);
  Changing();
  items_[size_t(index)].text = s;
  Changed();
}

void TStringList::PutObject(int32_t index, TObject* object) {
  CheckIndex(index);
  Changing();
  items_[size_t(index)].object = object;
  Changed();
}

void TStringList::Insert(int32_t index, const String& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int32_t index, const String& s, TObject* object) {
  CheckNotSorted();
  if (index < 0 || index > GetCount()) Error(u"List index out of bounds (%d)", index);
  InsertItem(index, s, object);
}

void TStringList::InsertItem(int32_t index, const String& s, TObject* object) {
  Changing();
  items_.insert(items_.begin() + index, Item{s, object});
  Changed();
}

void TStringList::Delete(int32_t index) {
  CheckIndex(index);
  Changing();
  TObject* object = items_[size_t(index)].object;
  items_.erase(items_.begin() + index);
  if (owns_objects_) delete object;
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  std::vector<Item> old;
  old.swap(items_);
  if (owns_objects_) {
    for (Item& item : old) delete item.object;
  }
  Changed();
}

int32_t TStringList::Add(const String& s) { return AddObject(s, nullptr); }

int32_t TStringList::AddObject(const String& s, TObject* object) {
  int32_t index = GetCount();
  if (sorted_ && Find(s, index)) {
    if (duplicates_ == dupIgnore) return index;
    if (duplicates_ == dupError) {
      throw EStringListError(u"String list does not allow duplicates");
    }
  }
  InsertItem(index, s, object);
  return index;
}

bool TStringList::Find(StringView s, int32_t& index) const {
  bool found = false;
  int32_t low = 0, high = GetCount() - 1;
  while (low <= high) {
    const int32_t middle = int32_t((uint32_t(low) + uint32_t(high)) >> 1);
    const int32_t c = CompareStrings(items_[size_t(middle)].text, s);
    if (c < 0) {
      low = middle + 1;
    } else {
      high = middle - 1;
      if (c == 0) {
        found = true;
        if (duplicates_ != dupAccept) low = middle;
      }
    }
  }
  index = low;
  return found;
}

int32_t TStringList::IndexOf(StringView s) const {
  if (!sorted_) return TStrings::IndexOf(s);
  int32_t index;
  return Find(s, index) ? index : -1;
}

void TStringList::Exchange(int32_t index1, int32_t index2) {
  CheckNotSorted();
  CheckIndex(index1);
  CheckIndex(index2);
  Changing();
  std::swap(items_[size_t(index1)], items_[size_t(index2)]);
  Changed();
}

void TStringList::Move(int32_t current_index, int32_t new_index) {
  CheckNotSorted();
  if (current_index == new_index) return;
  CheckIndex(current_index);
  CheckIndex(new_index);
  Changing();
  Item item = std::move(items_[size_t(current_index)]);
  items_.erase(items_.begin() + current_index);
  items_.insert(items_.begin() + new_index, std::move(item));
  Changed();
}

void TStringList::SortItems() {
  if (items_.size() < 2) return;
  Changing();
  std::stable_sort(items_.begin(), items_.end(), [this](const Item& a, const Item& b) {
    return CompareStrings(a.text, b.text) < 0;
  });
  Changed();
}

void TStringList::Sort() {
  if (!sorted_) SortItems();
}

void TStringList::CustomSort(TStringListSortCompare compare) {
  if (sorted_ || items_.size() < 2) return;
  Changing();
  // The compare sees the lines at their original places while the order of
  // indexes is sorted; the lines are rearranged once at the end.
  std::vector<int32_t> order(items_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](int32_t a, int32_t b) { return compare(*this, a, b) < 0; });
  std::vector<Item> sorted;
  sorted.reserve(items_.size());
  for (int32_t i : order) sorted.push_back(std::move(items_[size_t(i)]));
  items_.swap(sorted);
  Changed();
}

void TStringList::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  if (sorted) SortItems();
  sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool case_sensitive) {
  if (case_sensitive == case_sensitive_) return;
  case_sensitive_ = case_sensitive;
  if (sorted_ && items_.size() > 1) {
    SortItems();
  } else {
    // Searches now compare differently: lists that index their lines must know.
    Changing();
    Changed();
  }
}

int32_t TStringList::CompareStrings(StringView a, StringView b) const {
  return case_sensitive_ ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

void TStringList::SetUpdateState(bool updating) {
  if (updating) {
    Changing();
  } else {
    Changed();
  }
}

void TStringList::Changing() {
  if (UpdateCount() == 0) OnChanging(this);
}

void TStringList::Changed() {
  if (UpdateCount() == 0) OnChange(this);
}
