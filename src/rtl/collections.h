#pragma once
// TCollection: an ordered list of items of one TCollectionItem class,
// streamed as one property (vaCollection, an item list of property lists).
// The collection owns its items: deleting the collection deletes them, and
// deleting an item removes it from its collection.

#include <vector>

#include "rtl/classes.h"

class TCollection;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
  RD_CLASS(TCollectionItem, TPersistent)
  using OwnerType = TCollection;  // the class factory passes the collection

  // Joins `collection` (which then owns this item) when it is not null.
  explicit TCollectionItem(TCollection* collection);
  ~TCollectionItem() override;

  TCollection* Collection() const { return collection_; }
  // Moves the item to another collection (nullptr: the caller owns it).
  void SetCollection(TCollection* collection);
  // Position in the collection (-1 without one); SetIndex moves the item.
  int32_t Index() const;
  virtual void SetIndex(int32_t index);
  // A number unique in the collection, given when the item joins it.
  int32_t ID() const { return id_; }
  virtual String GetDisplayName() const { return ClassName(); }
  TPersistent* GetOwner() const override;
  String GetNamePath() const override;

 protected:
  // Tells the collection that this item (or, with all_items, every item) changed.
  void Changed(bool all_items);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int32_t id_ = 0;
};

class TCollection : public TPersistent {
  RD_CLASS(TCollection, TPersistent)
  // `item_class` must derive from TCollectionItem (else EInvalidOperation).
  explicit TCollection(TClass item_class);
  ~TCollection() override;

  TClass ItemClass() const { return item_class_; }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // EListError "List index out of bounds (%d)" for a bad index.
  TCollectionItem* Items(int32_t index) const;
  // A new item of the item class at the end (Add) or at `index` (Insert).
  TCollectionItem* Add();
  TCollectionItem* Insert(int32_t index);
  void Delete(int32_t index);
  void Clear();
  TCollectionItem* FindItemID(int32_t id) const;

  // Change notifications (Update) are held back until the last EndUpdate.
  void BeginUpdate() { ++update_count_; }
  void EndUpdate();
  int32_t UpdateCount() const { return update_count_; }

  // From another collection: the same number of items, each assigned.
  void Assign(const TPersistent* source) override;
  String GetNamePath() const override;

 protected:
  // An item changed (nullptr: the collection as a whole).
  virtual void Update(TCollectionItem* item);
  virtual void Notify(TCollectionItem* item, TCollectionNotification action);
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);
  TCollectionItem* NewItem();

  TClass item_class_;
  std::vector<TCollectionItem*> items_;  // owned
  int32_t next_id_ = 0;
  int32_t update_count_ = 0;
};

// A collection with an owner for naming and the designers (GetOwner).
class TOwnedCollection : public TCollection {
  RD_CLASS(TOwnedCollection, TCollection)
  TOwnedCollection(TPersistent* owner, TClass item_class) : TCollection(item_class), owner_(owner) {}
  TPersistent* GetOwner() const override { return owner_; }

 private:
  TPersistent* owner_;
};
