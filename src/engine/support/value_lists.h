#pragma once
// String lists with the engine's own comparison rules:
//
// - TStringListEx compares ordinally by UTF-16 code units, ignoring the case
//   of "a".."z" only unless CaseSensitive; never by the user's locale, so a
//   sorted list orders the same everywhere.
// - TStringValueList is a sorted list of name=value lines ordered and found
//   by their name: a bare name finds its name=value line, and adding a line
//   whose name exists follows the duplicate rule (dupIgnore by default keeps
//   the existing line).
// - TRdValueStrings finds lines by name through a hash index built on the
//   first lookup after a change, and can copy itself together with a chain of
//   fallback lists whose names it does not have itself.

#include <cstdint>
#include <memory>

#include "engine/support/hash_tables.h"
#include "rtl/stringlist.h"

class TStringListEx : public TStringList {
  RD_CLASS(TStringListEx, TStringList)

 public:
  using TStringList::TStringList;

 protected:
  int32_t CompareStrings(StringView a, StringView b) const override;
};

class TStringValueList : public TStringListEx {
  RD_CLASS(TStringValueList, TStringListEx)

 public:
  // Sorted from the start.
  TStringValueList();

  // Replaces line `index` by `s` (keeping its object) and moves it to the
  // sorted place of its name. EStringListError "List index out of bounds
  // (%d)" for a bad index. When another line already has the new name, the
  // list stays as it was (dupError raises, dupIgnore does not), so that
  // nothing is lost.
  void Put(int32_t index, const String& s) override;
  // The line named `name` (or the bare line `name`), by bisection; -1 when none.
  int32_t IndexOfName(StringView name) const override;

 protected:
  // Compares the name parts: the first max(name length of a, of b) code
  // units, a string's end reading as code 0 (so "abc=1" sorts before
  // "abcd=2" and "abc" equals "abc=1").
  int32_t CompareStrings(StringView a, StringView b) const override;
};

class TRdValueStrings : public TStringListEx {
  RD_CLASS(TRdValueStrings, TStringListEx)

 public:
  using TStringListEx::TStringListEx;
  ~TRdValueStrings() override;

  // A list that owns its objects takes only lines without objects (sharing an
  // object would free it twice): EAssertionFailed "not support strings
  // contain object!!!" for the first line of `source` that has one.
  void Assign(const TPersistent* source) override;
  // The first line whose name is `s`'s name part (the text before its first
  // separator, or all of `s`).
  int32_t IndexOf(StringView s) const override;
  // The first line named `name`, a line without separator counting as its
  // own name; case ignored for "a".."z" unless CaseSensitive. -1 when none.
  int32_t IndexOfName(StringView name) const override;

  // Copies this list into a string list `dest`, then each fallback list in
  // chain order: into a sorted TStringList all its lines (dest's duplicate
  // rule decides); into any other list, ahead of everything and in the
  // fallback's order, its lines whose names `dest` does not have yet. A
  // list met twice in the chain (a cycle) ends it. Other destinations go to
  // TPersistent's rule. Public: the engine's users copy a list with its
  // fallbacks by calling it directly.
  void AssignTo(TPersistent* dest) const override;

  // The next list of the fallback chain (not owned), or nullptr.
  TRdValueStrings* Fallback() const { return fallback_; }
  void SetFallback(TRdValueStrings* fallback) { fallback_ = fallback; }

 protected:
  void Changed() override;

 private:
  // The text before the first separator of `line`, or all of it.
  StringView NamePart(StringView line) const;
  // `name` upper-cased ("a".."z") unless CaseSensitive.
  String IndexKey(StringView name) const;
  void BuildNameIndex() const;

  mutable std::unique_ptr<TStringHash> name_index_;
  mutable bool index_valid_ = false;
  mutable char16_t index_separator_ = 0;  // the separator the index was built with
  TRdValueStrings* fallback_ = nullptr;
};
