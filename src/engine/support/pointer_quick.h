#pragma once
// TPointerQuick: an ordered list of pointer-sized keys (with an optional
// 32-bit second key) kept in records the list owns and recycles (at most 16
// wait for reuse). The order is a replaceable compare function with a
// context pointer; the default compares Key, then - only when a second key is
// searched for - Key2, both as signed integers of their width.
//
// While Sorted (the default), Add inserts at the sorted place and searches
// bisect to the first matching item; Duplicates decides what a second add of
// an equal key does: dupIgnore returns the existing index, dupAccept inserts
// before the equal items, dupError raises EListError "List does not allow
// duplicates ($0<key in hexadecimal>)". Unsorted, Add appends and searches
// scan from the start.
//
// Every record leaving the list through the inherited Delete, Clear or
// destruction is announced through OnDelete and then recycled.

#include <cstdint>
#include <optional>

#include "rtl/events.h"
#include "rtl/lists.h"
#include "rtl/stringlist.h"
#include "rtl/ustring.h"

// One entry of a TPointerQuick, owned by the list. Name is for derived lists.
struct TBaseQuickListItem {
  intptr_t Key = 0;
  int32_t Key2 = 0;  // 0 when added without a second key
  String Name;
  TBaseQuickListItem* FreeNext = nullptr;  // link in the free list
};

class TPointerQuick : public TList {
  RD_CLASS(TPointerQuick, TList)

 public:
  // Negative when `item` sorts before `key`, zero when it matches, positive
  // after; `with_key2` tells whether key.Key2 takes part.
  using TCompareFunc = int32_t (*)(void* context, const TBaseQuickListItem& item, const TBaseQuickListItem& key,
                                   bool with_key2);
  using TDeleteEvent = TEventOf<TPointerQuick*, TBaseQuickListItem*>;

  TPointerQuick();
  ~TPointerQuick() override;

  // The index of the new item, or of the existing one (dupIgnore).
  int32_t Add(intptr_t key) { return AddKey(key, std::nullopt); }
  int32_t Add(intptr_t key, int32_t key2) { return AddKey(key, key2); }
  // The index of the first matching item, or -1.
  int32_t IndexOf(intptr_t key) const { return IndexOfKey(key, std::nullopt); }
  int32_t IndexOf(intptr_t key, int32_t key2) const { return IndexOfKey(key, key2); }
  // Deletes the first matching item; returns its former index, or -1.
  int32_t Remove(intptr_t key) { return RemoveKey(key, std::nullopt); }
  int32_t Remove(intptr_t key, int32_t key2) { return RemoveKey(key, key2); }

  // The Key of the item at `index`; EListError for a bad index.
  intptr_t Items(int32_t index) const { return Item(index)->Key; }
  TBaseQuickListItem* Item(int32_t index) const { return static_cast<TBaseQuickListItem*>(Get(index)); }

  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }
  // Switching Sorted on does not reorder the items: do it while the list is
  // empty or in order.
  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted) { sorted_ = sorted; }
  // nullptr selects the list's own (virtual) Compare; Context is then unused.
  TCompareFunc CompareFunc() const { return compare_func_; }
  void SetCompareFunc(TCompareFunc compare) { compare_func_ = compare; }
  // Passed to CompareFunc as its first argument; initially the list.
  void* Context() const { return context_; }
  void SetContext(void* context) { context_ = context; }
  // Records waiting for reuse (at most 16).
  int32_t FreeCount() const { return free_count_; }

  TDeleteEvent OnDelete;

 protected:
  // The default order: Key, then Key2 when `with_key2`, as signed values.
  virtual int32_t Compare(const TBaseQuickListItem& item, const TBaseQuickListItem& key, bool with_key2) const;
  // A record for a new item: recycled or new, with Key and Key2 (0 without).
  virtual TBaseQuickListItem* NewItem(intptr_t key, std::optional<int32_t> key2);
  virtual int32_t AddKey(intptr_t key, std::optional<int32_t> key2);

  void Notify(void* item, TListNotification action) override;

 private:
  static constexpr int32_t kMaxFreeItems = 16;

  // Sorted: bisection to the first match or the insertion place. Unsorted:
  // the first match, or Count.
  bool Search(intptr_t key, std::optional<int32_t> key2, int32_t& index) const;
  int32_t IndexOfKey(intptr_t key, std::optional<int32_t> key2) const;
  int32_t RemoveKey(intptr_t key, std::optional<int32_t> key2);
  void Recycle(TBaseQuickListItem* item);

  TBaseQuickListItem* free_items_ = nullptr;
  int32_t free_count_ = 0;
  TDuplicates duplicates_ = dupIgnore;
  TCompareFunc compare_func_ = nullptr;
  void* context_ = this;
  bool sorted_ = true;
};
