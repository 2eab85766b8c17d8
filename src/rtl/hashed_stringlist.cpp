#include "rtl/hashed_stringlist.h"

#include "rtl/rtti.h"
#include "rtl/textutils.h"

RD_DEFINE_CLASS(THashedStringList)

void TStringIndexHash::Add(StringView key, int32_t index) { map_.emplace(String(key), index); }

bool TStringIndexHash::Remove(StringView key, int32_t index) {
  auto [first, last] = map_.equal_range(String(key));
  for (auto it = first; it != last; ++it) {
    if (it->second == index) {
      map_.erase(it);
      return true;
    }
  }
  return false;
}

int32_t TStringIndexHash::ValueOf(StringView key) const {
  auto [first, last] = map_.equal_range(String(key));
  int32_t smallest = -1;
  for (auto it = first; it != last; ++it) {
    if (smallest < 0 || it->second < smallest) smallest = it->second;
  }
  return smallest;
}

String THashedStringList::HashKey(StringView s) const {
  return CaseSensitive() ? String(s) : AnsiUpperCase(s);
}

void THashedStringList::UpdateValueHash() const {
  if (value_hash_valid_) return;
  value_hash_.Clear();
  const int32_t count = GetCount();
  for (int32_t i = 0; i < count; ++i) value_hash_.Add(HashKey(Get(i)), i);
  value_hash_valid_ = true;
}

void THashedStringList::UpdateNameHash() const {
  if (name_hash_valid_) return;
  name_hash_.Clear();
  const int32_t count = GetCount();
  for (int32_t i = 0; i < count; ++i) {
    const String line = Get(i);
    const size_t p = SeparatorPos(line);
    if (p != StringView::npos) name_hash_.Add(HashKey(StringView(line).substr(0, p)), i);
  }
  name_hash_valid_ = true;
}

int32_t THashedStringList::IndexOf(StringView s) const {
  UpdateValueHash();
  return value_hash_.ValueOf(HashKey(s));
}

int32_t THashedStringList::IndexOfName(StringView name) const {
  UpdateNameHash();
  return name_hash_.ValueOf(HashKey(name));
}

void THashedStringList::Changed() {
  TStringList::Changed();
  value_hash_valid_ = false;
  name_hash_valid_ = false;
}
