#pragma once
// TStringList: the framework's string list with storage, sorting, duplicate
// rules, owned objects and change events.
//
// - Sorted: lines are kept in CompareStrings order; Add and AddObject insert
//   at the sorted place, Find and IndexOf search by bisection. Insert, Put
//   and moving lines raise EStringListError "Operation not allowed on sorted
//   list" while Sorted.
// - Duplicates (sorted lists only): dupIgnore keeps the existing line (Add
//   returns its index), dupAccept adds another, dupError raises
//   EStringListError "String list does not allow duplicates".
// - CaseSensitive chooses CompareStrings' rule; changing it re-sorts.
// - OwnsObjects: the list deletes the objects of lines it deletes or clears
//   and at its destruction (not when an object is replaced by PutObject).
// - OnChanging / OnChange fire around every change, except inside a
//   BeginUpdate/EndUpdate bracket, which fires them once at its ends.

#include <cstdint>
#include <vector>

#include "rtl/events.h"
#include "rtl/strings.h"

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList : public TStrings {
  RD_CLASS(TStringList, TStrings)

 public:
  TStringList() = default;
  explicit TStringList(bool owns_objects) : owns_objects_(owns_objects) {}
  ~TStringList() override;

  String Get(int32_t index) const override;
  int32_t GetCount() const override { return int32_t(items_.size()); }
  TObject* GetObject(int32_t index) const override;
  void Put(int32_t index, const String& s) override;
  void PutObject(int32_t index, TObject* object) override;
  void Insert(int32_t index, const String& s) override;
  void InsertObject(int32_t index, const String& s, TObject* object) override;
  void Delete(int32_t index) override;
  void Clear() override;
  int32_t Add(const String& s) override;
  int32_t AddObject(const String& s, TObject* object) override;
  int32_t IndexOf(StringView s) const override;
  void Exchange(int32_t index1, int32_t index2) override;
  void Move(int32_t current_index, int32_t new_index) override;

  // Bisection over a sorted list: true when a line equal to `s` (by
  // CompareStrings) exists; `index` is then its position (the first equal
  // line with dupAccept), else the position where `s` would be inserted.
  virtual bool Find(StringView s, int32_t& index) const;
  // Sorts by CompareStrings (a stable sort); does nothing while Sorted, as a
  // sorted list is in order already.
  virtual void Sort();
  // Sorts with `compare` (negative, zero, positive for lines i and j).
  using TStringListSortCompare = int32_t (*)(TStringList& list, int32_t index1, int32_t index2);
  virtual void CustomSort(TStringListSortCompare compare);

  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }
  bool CaseSensitive() const { return case_sensitive_; }
  void SetCaseSensitive(bool case_sensitive);
  bool OwnsObjects() const { return owns_objects_; }
  void SetOwnsObjects(bool owns_objects) { owns_objects_ = owns_objects; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  // Ordinal compare; ignoring case with AnsiCompareText's folding unless
  // CaseSensitive.
  int32_t CompareStrings(StringView a, StringView b) const override;
  void SetUpdateState(bool updating) override;
  // Announce a change: every modification calls Changing before and Changed
  // after it. The events fire only outside update brackets; overrides (for
  // example to invalidate an index) see every change.
  virtual void Changing();
  virtual void Changed();
  // Inserts without any sorted or duplicate test.
  void InsertItem(int32_t index, const String& s, TObject* object);
  // For lists that are sorted from construction: sets the flag without
  // sorting (the list must be empty or in order).
  void SetSortedFlag(bool sorted) { sorted_ = sorted; }

 private:
  struct Item {
    String text;
    TObject* object = nullptr;
  };
  void CheckIndex(int32_t index) const;
  void CheckNotSorted() const;
  void SortItems();

  std::vector<Item> items_;
  TDuplicates duplicates_ = dupIgnore;
  bool sorted_ = false;
  bool case_sensitive_ = false;
  bool owns_objects_ = false;
};
