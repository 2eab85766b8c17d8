#include "engine/support/value_lists.h"

#include <algorithm>
#include <vector>

#include "rtl/exceptions.h"
#include "rtl/rtti.h"
#include "rtl/textutils.h"

RD_DEFINE_CLASS(TStringListEx)
RD_DEFINE_CLASS(TStringValueList)
RD_DEFINE_CLASS(TRdValueStrings)

// ---- TStringListEx

int32_t TStringListEx::CompareStrings(StringView a, StringView b) const {
  return CaseSensitive() ? CompareStr(a, b) : CompareText(a, b);
}

// ---- TStringValueList

TStringValueList::TStringValueList() { SetSortedFlag(true); }

int32_t TStringValueList::CompareStrings(StringView a, StringView b) const {
  const auto name_length = [this](StringView s) {
    const size_t separator = SeparatorPos(s);
    return separator == StringView::npos ? s.size() : separator;
  };
  const size_t n = std::max(name_length(a), name_length(b));
  const bool fold = !CaseSensitive();
  for (size_t i = 0; i < n; ++i) {
    char16_t ca = i < a.size() ? a[i] : u'\0';
    char16_t cb = i < b.size() ? b[i] : u'\0';
    if (fold) {
      ca = UpCaseAscii(ca);
      cb = UpCaseAscii(cb);
    }
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == u'\0') break;
  }
  return 0;
}

int32_t TStringValueList::IndexOfName(StringView name) const { return IndexOf(name); }

void TStringValueList::Put(int32_t index, const String& s) {
  if (index < 0 || index >= Count()) Error(u"List index out of bounds (%d)", index);
  Changing();
  const String old_line = Get(index);
  TObject* object = GetObject(index);
  // The line moves to its new place with its object, which must survive the
  // delete even when the list owns its objects.
  const bool owns = OwnsObjects();
  SetOwnsObjects(false);
  Delete(index);
  SetOwnsObjects(owns);
  // When another line already has the new name, dupError raises and
  // dupIgnore adds nothing: either way line `index` goes back where it was,
  // so that nothing is lost.
  const int32_t count = Count();
  try {
    AddObject(s, object);
  } catch (...) {
    InsertItem(index, old_line, object);
    throw;
  }
  if (Count() == count) InsertItem(index, old_line, object);
  Changed();
}

// ---- TRdValueStrings

TRdValueStrings::~TRdValueStrings() = default;

StringView TRdValueStrings::NamePart(StringView line) const {
  const size_t separator = SeparatorPos(line);
  return separator == StringView::npos ? line : line.substr(0, separator);
}

String TRdValueStrings::IndexKey(StringView name) const {
  return CaseSensitive() ? String(name) : UpperCase(name);
}

void TRdValueStrings::Changed() {
  // Invalid before the change event runs, so that its handlers already
  // look up the new content.
  index_valid_ = false;
  TStringListEx::Changed();
}

void TRdValueStrings::BuildNameIndex() const {
  if (name_index_) {
    name_index_->Clear();
  } else {
    name_index_ = std::make_unique<TStringHash>(256);
  }
  const int32_t count = Count();
  for (int32_t i = 0; i < count; ++i) name_index_->Add(IndexKey(NamePart(Get(i))), i);
  index_separator_ = NameValueSeparator();
  index_valid_ = true;
}

int32_t TRdValueStrings::IndexOfName(StringView name) const {
  // The separator can change without a change of the lines.
  if (!index_valid_ || index_separator_ != NameValueSeparator()) BuildNameIndex();
  return int32_t(name_index_->ValueOf(IndexKey(name), -1));
}

int32_t TRdValueStrings::IndexOf(StringView s) const { return IndexOfName(NamePart(s)); }

void TRdValueStrings::Assign(const TPersistent* source) {
  const TStrings* strings = ObjectAs<TStrings>(source);
  if (strings != nullptr && strings != this && OwnsObjects()) {
    const int32_t count = strings->Count();
    for (int32_t i = 0; i < count; ++i) {
      if (strings->Objects(i) != nullptr) throw EAssertionFailed(u"not support strings contain object!!!");
    }
  }
  TStringListEx::Assign(source);
}

void TRdValueStrings::AssignTo(TPersistent* dest) const {
  TStrings* target = ObjectAs<TStrings>(dest);
  if (target == nullptr) {
    TStringListEx::AssignTo(dest);
    return;
  }
  target->Assign(this);
  const TStringList* target_list = ObjectAs<TStringList>(target);
  const bool sorted_target = target_list != nullptr && target_list->Sorted();
  std::vector<const TObject*> seen{this, target};
  for (const TRdValueStrings* list = fallback_; list != nullptr; list = list->fallback_) {
    if (std::find(seen.begin(), seen.end(), list) != seen.end()) break;
    seen.push_back(list);
    if (sorted_target) {
      target->AddStrings(*list);
      continue;
    }
    const TStringsUpdate update(*target);
    for (int32_t i = list->Count() - 1; i >= 0; --i) {
      const String line = list->Get(i);
      if (target->IndexOfName(list->NamePart(line)) < 0) target->InsertObject(0, line, list->Objects(i));
    }
  }
}
