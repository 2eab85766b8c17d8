#include "rtl/classes.h"

#include <algorithm>

#include "rtl/filer.h"
#include "rtl/reader.h"
#include "rtl/sysutils.h"
#include "rtl/writer.h"

// ---- TPersistent

RD_DEFINE_CLASS(TPersistent)

void TPersistent::Assign(const TPersistent* source) {
  if (source) {
    source->AssignTo(this);
  } else {
    AssignError(nullptr);
  }
}

void TPersistent::AssignTo(TPersistent* dest) const { dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* source) const {
  const String source_name = source ? source->ClassName() : String(u"nil");
  throw EConvertError(Format(u"Cannot assign a %s to a %s", {source_name, ClassName()}));
}

String TPersistent::GetNamePath() const { return ClassName(); }

void TPersistent::DefineProperties(TFiler&) {}

// ---- TComponent

RD_DEFINE_CLASS(TComponent,
                Prop(u"Name", &TComponent::Name, &TComponent::SetName).Stored(false),
                Prop(u"Tag", &TComponent::Tag, &TComponent::SetTag).Default(0))

bool IsValidIdent(StringView ident) {
  auto alpha = [](char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_'; };
  if (ident.empty() || !alpha(ident[0])) return false;
  return std::all_of(ident.begin() + 1, ident.end(), [&](char16_t c) { return alpha(c) || (c >= u'0' && c <= u'9'); });
}

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  while (!free_notifies_.empty()) {
    TComponent* other = free_notifies_.back();
    free_notifies_.pop_back();
    std::erase(other->free_notifies_, this);
    other->Notification(this, opRemove);
  }
  ReleaseComponents(false);
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::BeforeDestruction() {
  for (auto it = components_.rbegin(); it != components_.rend(); ++it) (*it)->BeforeDestruction();
}

TComponent* TComponent::Components(int32_t index) const {
  if (index < 0 || index >= ComponentCount()) {
    throw EListError(Format(u"List index out of bounds (%d)", {index}));
  }
  return components_[static_cast<size_t>(index)];
}

int32_t TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  const auto& list = owner_->components_;
  return static_cast<int32_t>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TComponent::SetComponentIndex(int32_t index) {
  if (!owner_) return;
  auto& list = owner_->components_;
  const int32_t current = ComponentIndex();
  index = std::clamp<int32_t>(index, 0, static_cast<int32_t>(list.size()) - 1);
  if (index == current) return;
  list.erase(list.begin() + current);
  list.insert(list.begin() + index, this);
}

TComponent* TComponent::FindComponent(StringView name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_) {
    if (SameText(c->name_, name)) return c;
  }
  return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
  if (component->owner_ == this) return;
  ValidateRename(component, String(), component->name_);
  if (component->owner_) component->owner_->RemoveComponent(component);
  components_.push_back(component);
  component->owner_ = this;
  if (state_.Contains(csDesigning)) component->SetDesigning(true);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (component->owner_ != this) return;
  Notification(component, opRemove);
  std::erase(components_, component);
  component->owner_ = nullptr;
}

void TComponent::DestroyComponents() { ReleaseComponents(true); }

void TComponent::ReleaseComponents(bool ask) {
  while (!components_.empty()) {
    TComponent* last = components_.back();
    if (ask) last->BeforeDestruction();
    RemoveComponent(last);
    delete last;
  }
}

void TComponent::Destroying() {
  if (state_.Contains(csDestroying)) return;
  state_.Include(csDestroying);
  for (TComponent* c : components_) c->Destroying();
}

void TComponent::SetName(const String& name) {
  if (name == name_) return;
  if (!name.empty() && !IsValidIdent(name)) {
    throw EComponentError(Format(u"'%s' is not a valid component name", {name}));
  }
  if (owner_) {
    owner_->ValidateRename(this, name_, name);
  } else {
    ValidateRename(nullptr, name_, name);
  }
  ChangeName(name);
}

void TComponent::ValidateRename(TComponent* component, const String&, const String& new_name) {
  // The name being taken must be free among this component's components
  // (a rename that changes only the case finds the component itself).
  if (!component) return;
  TComponent* existing = FindComponent(new_name);
  if (existing && existing != component) {
    throw EComponentError(Format(u"A component named %s already exists", {new_name}));
  }
}

void TComponent::SetSubComponent(bool value) {
  if (value) {
    style_.Include(csSubComponent);
  } else {
    style_.Exclude(csSubComponent);
  }
}

void TComponent::SetDesigning(bool value, bool include_owned) {
  SetState(csDesigning, value);
  if (include_owned) {
    for (TComponent* c : components_) c->SetDesigning(value, true);
  }
}

void TComponent::SetState(TComponentStateFlag flag, bool on) {
  if (on) {
    state_.Include(flag);
  } else {
    state_.Exclude(flag);
  }
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (!owner_ || component->owner_ != owner_) {
    if (std::find(free_notifies_.begin(), free_notifies_.end(), component) == free_notifies_.end()) {
      free_notifies_.push_back(component);
      component->FreeNotification(this);
    }
  }
  state_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  std::erase(free_notifies_, component);
  std::erase(component->free_notifies_, this);
}

void TComponent::Loaded() { state_.Exclude(csLoading); }

void TComponent::GetChildren(const TGetChildProc&, TComponent*) {}

TComponent* TComponent::GetChildOwner() { return nullptr; }

TComponent* TComponent::GetChildParent() { return this; }

void TComponent::SetParentComponent(TComponent*) {}

void TComponent::SetChildOrder(TComponent*, int32_t) {}

void TComponent::ReadState(TReader& reader) { reader.ReadData(*this); }

void TComponent::WriteState(TWriter& writer) { writer.WriteData(*this); }

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component) RemoveFreeNotification(component);
  // A notified component may remove others: walk by index, re-checked.
  for (size_t i = components_.size(); i-- > 0;) {
    if (i >= components_.size()) {
      i = components_.size();
      continue;
    }
    components_[i]->Notification(component, operation);
  }
}

void TComponent::Updating() { state_.Include(csUpdating); }

void TComponent::Updated() { state_.Exclude(csUpdating); }

namespace {

// The designer position: Left in the low word, Top in the high word.
int16_t DesignLeft(int32_t info) { return static_cast<int16_t>(info & 0xFFFF); }
int16_t DesignTop(int32_t info) { return static_cast<int16_t>((static_cast<uint32_t>(info) >> 16) & 0xFFFF); }
int32_t DesignInfoOf(int32_t left, int32_t top) {
  return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint16_t>(top)) << 16) |
                              static_cast<uint16_t>(left));
}

}  // namespace

void TComponent::DefineProperties(TFiler& filer) {
  const auto* ancestor = ObjectAs<TComponent>(filer.Ancestor());
  const int32_t ancestor_info = ancestor ? ancestor->design_info_ : 0;
  filer.DefineProperty(
      u"Left", [this](TReader& r) { design_info_ = DesignInfoOf(r.ReadInteger(), DesignTop(design_info_)); },
      [this](TWriter& w) { w.WriteInteger(int32_t{DesignLeft(design_info_)}); },
      DesignLeft(design_info_) != DesignLeft(ancestor_info));
  filer.DefineProperty(
      u"Top", [this](TReader& r) { design_info_ = DesignInfoOf(DesignLeft(design_info_), r.ReadInteger()); },
      [this](TWriter& w) { w.WriteInteger(int32_t{DesignTop(design_info_)}); },
      DesignTop(design_info_) != DesignTop(ancestor_info));
}

TComponent* CreateComponent(TClass cls, TComponent& owner) {
  if (!cls->InheritsFrom(&TComponent::StaticClass())) {
    throw EInvalidOperation(Format(u"%s is not a component class", {cls->ClassName()}));
  }
  if (!cls->factory_) throw EInvalidOperation(Format(u"Cannot create an instance of abstract class %s", {cls->ClassName()}));
  return static_cast<TComponent*>(cls->factory_(&owner));
}
