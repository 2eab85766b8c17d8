#pragma once
// THashedStringList: a string list whose IndexOf and IndexOfName look up a
// hash instead of scanning. It keeps two hashes, each with a valid flag: the
// value hash (whole lines) and the name hash (the name part of name=value
// lines). Every change marks both invalid; a lookup rebuilds an invalid hash
// first. Keys follow CaseSensitive: when the list ignores case they are
// folded with AnsiUpperCase. With several equal lines (or names) the lookup
// returns the smallest index, as a scan would.
//
// Derived lists that know how a change moved the lines may update the hashes
// themselves and mark them valid again (see the protected part).

#include <cstdint>
#include <memory>
#include <unordered_map>

#include "rtl/stringlist.h"

// Maps strings to line indexes; one key may hold several indexes.
class TStringIndexHash {
 public:
  void Add(StringView key, int32_t index);
  // Removes the pair (key, index); returns whether it was there.
  bool Remove(StringView key, int32_t index);
  // The smallest index stored under `key`, or -1.
  int32_t ValueOf(StringView key) const;
  void Clear() { map_.clear(); }
  size_t Size() const { return map_.size(); }

 private:
  std::unordered_multimap<String, int32_t> map_;
};

class THashedStringList : public TStringList {
  RD_CLASS(THashedStringList, TStringList)

 public:
  THashedStringList() = default;

  int32_t IndexOf(StringView s) const override;
  int32_t IndexOfName(StringView name) const override;

 protected:
  void Changed() override;

  // The key under which `s` is hashed: `s`, or AnsiUpperCase(s) when the
  // list ignores case.
  String HashKey(StringView s) const;
  // Rebuild the hash when invalid; both leave it valid.
  void UpdateValueHash() const;
  void UpdateNameHash() const;

  mutable TStringIndexHash value_hash_;
  mutable TStringIndexHash name_hash_;
  mutable bool value_hash_valid_ = false;
  mutable bool name_hash_valid_ = false;
};
