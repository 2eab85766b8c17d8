#pragma once
// TList: the framework's list of untyped pointers. Indexes are int32_t; a bad
// index raises EListError "List index out of bounds (%d)".
//
// Every item that enters or leaves the list (nil items excepted) passes
// through the virtual Notify, so derived lists can own or count their items.
// C++ runs a destructor after the derived part is gone: a derived class whose
// Notify must see the items removed at destruction calls Clear() in its own
// destructor.

#include <cstdint>
#include <vector>

#include "rtl/objects.h"

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

// Negative when a sorts before b, zero when equal, positive after.
using TListSortCompare = int32_t (*)(void* a, void* b);

class TList : public TObject {
  RD_CLASS(TList, TObject)

 public:
  TList() = default;
  ~TList() override;

  int32_t Count() const { return int32_t(items_.size()); }
  // Growing adds nil items; shrinking deletes the items past the new count.
  void SetCount(int32_t count);
  int32_t Capacity() const { return int32_t(items_.capacity()); }
  // Below Count raises EListError "List capacity out of bounds (%d)".
  void SetCapacity(int32_t capacity);

  void* Get(int32_t index) const;
  void Put(int32_t index, void* item);
  void* First() const { return Get(0); }
  void* Last() const { return Get(Count() - 1); }
  void* const* List() const { return items_.data(); }

  int32_t Add(void* item);
  // 0 <= index <= Count.
  void Insert(int32_t index, void* item);
  void Delete(int32_t index);
  // Deletes the first occurrence; returns its former index or -1.
  int32_t Remove(void* item);
  // Removes the first occurrence without deleting it (Notify lnExtracted);
  // returns the item, or nullptr when absent.
  void* Extract(void* item);
  virtual void Clear();
  int32_t IndexOf(const void* item) const;
  void Exchange(int32_t index1, int32_t index2);
  void Move(int32_t current_index, int32_t new_index);
  // Removes every nil item.
  void Pack();
  // Stable sort by `compare`.
  void Sort(TListSortCompare compare);

 protected:
  virtual void Notify(void* item, TListNotification action);
  // Raises EListError with `format` (holding one %d) and `data`.
  [[noreturn]] static void Error(const char16_t* format, int32_t data);

 private:
  void CheckIndex(int32_t index) const;
  std::vector<void*> items_;
};
