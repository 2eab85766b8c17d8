#include "rtl/objects.h"

#include <algorithm>
#include <map>

#include "rtl/rtti.h"
#include "rtl/sysutils.h"

TClassInfo::TClassInfo(const char16_t* name, TClass parent, Factory factory, Describe describe)
    : name_(name), parent_(parent), factory_(factory), describe_(describe) {}

TClassInfo::~TClassInfo() = default;

bool TClassInfo::InheritsFrom(TClass ancestor) const {
  for (TClass c = this; c; c = c->parent_) {
    if (c == ancestor) return true;
  }
  return false;
}

bool TClassInfo::InheritsFromName(StringView ancestor_name) const {
  for (TClass c = this; c; c = c->parent_) {
    if (c->name_ == ancestor_name) return true;
  }
  return false;
}

void Free(TObject* object) {
  if (!object) return;
  object->BeforeDestruction();
  delete object;
}

std::unique_ptr<TObject> TClassInfo::Create() const {
  if (!factory_) throw EInvalidOperation(Format(u"Cannot create an instance of abstract class %s", {name_}));
  return std::unique_ptr<TObject>(factory_(nullptr));
}

const TClassMembers& TClassInfo::Members() const {
  std::call_once(once_, [this] {
    members_ = describe_ ? describe_() : std::make_unique<TClassMembers>();
    if (parent_) {
      const auto inherited = parent_->Properties();
      all_properties_.assign(inherited.begin(), inherited.end());
    }
    // A property published again by a derived class (to give it another
    // default or stored condition) takes the inherited one's place.
    for (const auto& p : members_->properties) {
      auto same = std::find_if(all_properties_.begin(), all_properties_.end(),
                               [&](const TPropInfo* q) { return SameText(q->Name(), p->Name()); });
      if (same != all_properties_.end()) *same = p.get();
      else all_properties_.push_back(p.get());
    }
  });
  return *members_;
}

std::span<const TPropInfo* const> TClassInfo::Properties() const {
  Members();
  return all_properties_;
}

const TPropInfo* TClassInfo::FindProperty(StringView name) const {
  for (const TPropInfo* p : Properties()) {
    if (SameText(p->Name(), name)) return p;
  }
  return nullptr;
}

const TMethodInfo* TClassInfo::FindMethod(StringView name) const {
  for (TClass c = this; c; c = c->parent_) {
    for (const TMethodInfo& m : c->Members().methods) {
      if (SameText(m.Name, name)) return &m;
    }
  }
  return nullptr;
}

String TClassInfo::MethodName(TMethodCode code) const {
  if (!code) return {};
  for (TClass c = this; c; c = c->parent_) {
    for (const TMethodInfo& m : c->Members().methods) {
      if (m.Code == code) return m.Name;
    }
  }
  return {};
}

const TClassInfo& TObject::StaticClass() {
  static const TClassInfo info(u"TObject", nullptr, rtl_detail::FactoryFor<TObject>(), nullptr);
  return info;
}

// ---- Class registry

namespace {

struct Registry {
  std::mutex lock;
  std::map<String, TClass> classes;  // by upper-cased name
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterClass(TClass cls) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.lock);
  auto [it, inserted] = r.classes.emplace(UpperCase(cls->ClassName()), cls);
  if (!inserted && it->second != cls) {
    throw EFilerError(Format(u"A class named %s already exists", {cls->ClassName()}));
  }
}

void RegisterClasses(std::initializer_list<TClass> classes) {
  for (TClass c : classes) RegisterClass(c);
}

void UnRegisterClass(TClass cls) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.lock);
  auto it = r.classes.find(UpperCase(cls->ClassName()));
  if (it != r.classes.end() && it->second == cls) r.classes.erase(it);
}

TClass GetClass(StringView name) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.lock);
  auto it = r.classes.find(UpperCase(name));
  return it == r.classes.end() ? nullptr : it->second;
}

TClass FindClass(StringView name) {
  TClass cls = GetClass(name);
  if (!cls) throw EClassNotFound(Format(u"Class %s not found", {name}));
  return cls;
}
