#include "engine/support/ini_hashed_stringlist.h"

#include "rtl/rtti.h"

RD_DEFINE_CLASS(TIniHashedStringList)

int32_t TIniHashedStringList::AddObject(const String& s, TObject* object) {
  const bool value_valid = value_hash_valid_;
  const bool name_valid = name_hash_valid_;
  const int32_t index = THashedStringList::AddObject(s, object);  // invalidates both
  if (Sorted()) return index;

  const String key = HashKey(s);
  if (value_valid) {
    value_hash_.Add(key, index);
    value_hash_valid_ = true;
  }
  if (name_valid) {
    // A line without a name has no place in the name hash (a rebuild would
    // skip it too), so the hash stays right either way.
    const size_t separator = SeparatorPos(key);
    if (separator != String::npos) name_hash_.Add(StringView(key).substr(0, separator), index);
    name_hash_valid_ = true;
  }
  return index;
}

void TIniHashedStringList::Put(int32_t index, const String& s) {
  const bool value_valid = value_hash_valid_;
  const bool name_valid = name_hash_valid_;
  const String old_key = HashKey(Get(index));
  THashedStringList::Put(index, s);  // invalidates both; raises on a sorted list

  const String new_key = HashKey(s);
  if (value_valid) {
    if (new_key != old_key) {
      value_hash_.Remove(old_key, index);
      value_hash_.Add(new_key, index);
    }
    value_hash_valid_ = true;
  }
  if (name_valid) {
    const size_t old_separator = SeparatorPos(old_key);
    const size_t new_separator = SeparatorPos(new_key);
    if (old_separator != String::npos) name_hash_.Remove(StringView(old_key).substr(0, old_separator), index);
    if (new_separator != String::npos) name_hash_.Add(StringView(new_key).substr(0, new_separator), index);
    name_hash_valid_ = true;
  }
}
