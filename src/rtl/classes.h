#pragma once
// TPersistent, the base of every streamable object, and TComponent, the
// named, owned and owning object that forms are built from.

#include <functional>
#include <vector>

#include "rtl/events.h"
#include "rtl/objects.h"
#include "rtl/rtti.h"

class TFiler;
class TReader;
class TWriter;

class TPersistent : public TObject {
  RD_CLASS(TPersistent, TObject)
  TPersistent() = default;

  // Copies `source` into this object. The default asks the source
  // (AssignTo); when neither side knows the other it raises EConvertError
  // "Cannot assign a <source class> to a <this class>" ("nil" for none).
  virtual void Assign(const TPersistent* source);
  // The object that owns this one for naming (GetNamePath), or nullptr.
  virtual TPersistent* GetOwner() const { return nullptr; }
  // Dotted name used in messages and designers; the class name by default.
  virtual String GetNamePath() const;
  // Defines properties streamed besides the published ones (TFiler::DefineProperty).
  virtual void DefineProperties(TFiler& filer);

 protected:
  // Copies this object into `dest`; the default raises the assign error.
  virtual void AssignTo(TPersistent* dest) const;
  [[noreturn]] void AssignError(const TPersistent* source) const;
};

RD_ENUM(TComponentStateFlag, csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating,
        csFixups, csFreeNotification, csInline, csDesignInstance)
using TComponentState = TSet<TComponentStateFlag>;
RD_ENUM(TComponentStyleFlag, csInheritable, csCheckPropAvail, csSubComponent, csTransient)
using TComponentStyle = TSet<TComponentStyleFlag>;

enum TOperation { opInsert, opRemove };

using TGetChildProc = std::function<void(TComponent* child)>;

// A component belongs to its owner: the owner deletes its components when it
// is destroyed, and deleting a component removes it from its owner first.
// So a component created with an owner is held by raw pointer, one created
// without owner by std::unique_ptr.
class TComponent : public TPersistent {
  RD_CLASS(TComponent, TPersistent)
  using OwnerType = TComponent;  // the class factory passes the owner

  explicit TComponent(TComponent* owner);
  // Marks this component and its components destroying, tells the components
  // that asked for a free notification, deletes the owned components (last
  // first, each removal announced to the remaining ones) and leaves the owner.
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }
  int32_t ComponentCount() const { return static_cast<int32_t>(components_.size()); }
  // EListError "List index out of bounds (%d)" for a bad index.
  TComponent* Components(int32_t index) const;
  // Index in the owner's list (-1 without owner).
  int32_t ComponentIndex() const;
  void SetComponentIndex(int32_t index);
  // Owned component by name, ignoring case; nullptr for none or an empty name.
  TComponent* FindComponent(StringView name) const;
  // Takes ownership of `component` (taken from its previous owner); raises
  // EComponentError when its name is already used here.
  void InsertComponent(TComponent* component);
  // Gives up ownership: the caller owns `component` afterwards.
  void RemoveComponent(TComponent* component);
  // Frees the owned components, last first, each through Free (a component
  // that refuses stays, and its error propagates).
  void DestroyComponents();
  // Marks this component and its owned ones csDestroying.
  void Destroying();

  const String& Name() const { return name_; }
  // Empty or a valid identifier (else EComponentError "'%s' is not a valid
  // component name"), unique among the owner's components ignoring case (else
  // EComponentError "A component named %s already exists").
  virtual void SetName(const String& name);
  intptr_t Tag() const { return tag_; }
  void SetTag(intptr_t tag) { tag_ = tag; }

  TComponentState ComponentState() const { return state_; }
  TComponentStyle ComponentStyle() const { return style_; }
  // A sub-component is owned by a property of its owner and streamed as
  // that property's nested values.
  void SetSubComponent(bool value);
  void SetDesigning(bool value, bool include_owned = true);

  // `component` is told (Notification opRemove) when this one is destroyed,
  // and this one when `component` is; nothing to do for two components of
  // the same owner, which learn it through the owner.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // Asks the owned components (last first) before this one goes, so that a
  // refusal anywhere below leaves the whole tree alive.
  void BeforeDestruction() override;

  // Called by the reader once everything was read; clears csLoading.
  virtual void Loaded();
  // Calls `proc` for each child to be streamed with this component.
  virtual void GetChildren(const TGetChildProc& proc, TComponent* root);
  // Owner and parent the reader gives the children read inside this component
  // (nullptr: unchanged owner / this component).
  virtual TComponent* GetChildOwner();
  virtual TComponent* GetChildParent();
  // Parent-component hooks (the visual parent of a control).
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent* parent);
  virtual void SetChildOrder(TComponent* child, int32_t order);
  virtual void ReadState(TReader& reader);
  virtual void WriteState(TWriter& writer);
  // Told when a component is inserted into or removed from the owner (passed
  // on to all owned components) or a free-notified component goes away.
  virtual void Notification(TComponent* component, TOperation operation);
  // csUpdating on and off, around a designer's bulk changes.
  virtual void Updating();
  virtual void Updated();

  TPersistent* GetOwner() const override { return owner_; }
  String GetNamePath() const override { return name_; }
  // Non-visual components stream their designer position as "Left" and "Top".
  void DefineProperties(TFiler& filer) override;
  int32_t DesignInfo() const { return design_info_; }
  void SetDesignInfo(int32_t value) { design_info_ = value; }

 protected:
  virtual void ValidateRename(TComponent* component, const String& current_name, const String& new_name);
  // Lets the reader mark components it reads.
  void SetState(TComponentStateFlag flag, bool on);
  friend class TReader;
  friend class TWriter;

 private:
  void ChangeName(const String& name) { name_ = name; }
  // Deletes the owned components, last first; `ask` runs BeforeDestruction
  // first (the destructor's path has asked already, through Free).
  void ReleaseComponents(bool ask);

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;  // owned
  std::vector<TComponent*> free_notifies_;
  String name_;
  intptr_t tag_ = 0;
  int32_t design_info_ = 0;  // Left in the low word, Top in the high word
  TComponentState state_;
  TComponentStyle style_{csInheritable};
};

// True for a valid component name or identifier: a letter or "_", then
// letters, digits and "_" (ASCII).
bool IsValidIdent(StringView ident);

// A new instance of `cls` (a TComponent class) owned by `owner`. Raises
// EInvalidOperation for an abstract class or one that is not a component.
TComponent* CreateComponent(TClass cls, TComponent& owner);
