#pragma once
// TIniHashedStringList: the hashed string list of the safe INI file's
// sections and entries. Appending a line or replacing one moves no other
// line, so instead of dropping both hashes (and rebuilding them on the next
// lookup, as THashedStringList does after every change) it updates the
// valid hashes in place. A run of n writes then costs n hash updates, not n
// rebuilds. Every other change (insert, delete, move, sort, clear) still
// invalidates both hashes; a sorted list never updates in place, as an add
// there shifts the lines after it.

#include <cstdint>

#include "rtl/hashed_stringlist.h"

class TIniHashedStringList : public THashedStringList {
  RD_CLASS(TIniHashedStringList, THashedStringList)

 public:
  TIniHashedStringList() = default;

  void Put(int32_t index, const String& s) override;
  int32_t AddObject(const String& s, TObject* object) override;
};
