#include "rtl/collections.h"

#include <algorithm>

#include "rtl/sysutils.h"

RD_DEFINE_CLASS(TCollectionItem)
RD_DEFINE_CLASS(TCollection)
RD_DEFINE_CLASS(TOwnedCollection)

// ---- TCollectionItem

TCollectionItem::TCollectionItem(TCollection* collection) { SetCollection(collection); }

TCollectionItem::~TCollectionItem() {
  if (collection_) collection_->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* collection) {
  if (collection == collection_) return;
  if (collection_) collection_->RemoveItem(this);
  if (collection) collection->InsertItem(this);
}

int32_t TCollectionItem::Index() const {
  if (!collection_) return -1;
  const auto& items = collection_->items_;
  return static_cast<int32_t>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int32_t index) {
  const int32_t current = Index();
  if (current < 0 || index < 0 || index == current) return;
  auto& items = collection_->items_;
  index = std::min<int32_t>(index, static_cast<int32_t>(items.size()) - 1);
  items.erase(items.begin() + current);
  items.insert(items.begin() + index, this);
  Changed(true);
}

TPersistent* TCollectionItem::GetOwner() const { return collection_; }

String TCollectionItem::GetNamePath() const {
  if (!collection_) return ClassName();
  return collection_->GetNamePath() + u"[" + IntToStr(Index()) + u"]";
}

void TCollectionItem::Changed(bool all_items) {
  if (collection_ && collection_->update_count_ == 0) collection_->Update(all_items ? nullptr : this);
}

// ---- TCollection

TCollection::TCollection(TClass item_class) : item_class_(item_class) {
  if (!item_class || !item_class->InheritsFrom(&TCollectionItem::StaticClass())) {
    throw EInvalidOperation(u"A collection needs a collection item class");
  }
}

TCollection::~TCollection() {
  update_count_ = 1;  // no change notifications while going away
  Clear();
}

TCollectionItem* TCollection::Items(int32_t index) const {
  if (index < 0 || index >= Count()) throw EListError(Format(u"List index out of bounds (%d)", {index}));
  return items_[static_cast<size_t>(index)];
}

TCollectionItem* TCollection::NewItem() {
  if (!item_class_->CanCreate()) {
    throw EInvalidOperation(Format(u"Cannot create an instance of abstract class %s", {item_class_->ClassName()}));
  }
  // The item joins this collection in its constructor.
  return static_cast<TCollectionItem*>(item_class_->factory_(this));
}

TCollectionItem* TCollection::Add() { return NewItem(); }

TCollectionItem* TCollection::Insert(int32_t index) {
  if (index < 0 || index > Count()) throw EListError(Format(u"List index out of bounds (%d)", {index}));
  TCollectionItem* item = NewItem();
  item->SetIndex(index);
  return item;
}

void TCollection::Delete(int32_t index) {
  TCollectionItem* item = Items(index);
  Notify(item, cnDeleting);
  delete item;
}

void TCollection::Clear() {
  if (items_.empty()) return;
  BeginUpdate();
  while (!items_.empty()) {
    TCollectionItem* item = items_.back();
    Notify(item, cnDeleting);
    delete item;
  }
  EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int32_t id) const {
  for (TCollectionItem* item : items_) {
    if (item->id_ == id) return item;
  }
  return nullptr;
}

void TCollection::EndUpdate() {
  if (update_count_ > 0 && --update_count_ == 0) Changed();
}

void TCollection::Assign(const TPersistent* source) {
  const auto* other = ObjectAs<TCollection>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  BeginUpdate();
  try {
    Clear();
    for (TCollectionItem* item : other->items_) Add()->Assign(item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

String TCollection::GetNamePath() const {
  const TPersistent* owner = GetOwner();
  return owner ? owner->GetNamePath() + u"." + ClassName() : ClassName();
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::Changed() {
  if (update_count_ == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item) {
  items_.push_back(item);
  item->collection_ = this;
  item->id_ = next_id_++;
  Notify(item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
  Notify(item, cnExtracting);
  std::erase(items_, item);
  item->collection_ = nullptr;
  Changed();
}
