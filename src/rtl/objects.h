#pragma once
// The framework's object model: TObject, the root of every framework class,
// and TClassInfo, the run-time description of a class (name, parent class,
// factory, published properties and methods). `TClass` is a pointer to the
// description, as the framework's class references are.
//
// Every framework class names itself with RD_CLASS(Name, Parent) in its body
// and describes itself with RD_DEFINE_CLASS(Name, members...) in its source
// (see rtti.h). The class registry maps names to classes for the readers.

#include <initializer_list>
#include <memory>
#include <mutex>
#include <span>
#include <utility>
#include <vector>

#include "rtl/ustring.h"

class TObject;
class TComponent;
class TClassInfo;
class TPropInfo;
struct TMethodInfo;
struct TClassMembers;
using TClass = const TClassInfo*;

// A method pointer with its signature erased: the code of a handler (its
// thunk) and the object it runs on. TEventOf<...> (classes.h) is the typed form.
using TMethodCode = void (*)();
struct TMethod {
  TMethodCode Code = nullptr;
  TObject* Data = nullptr;
  friend bool operator==(const TMethod&, const TMethod&) = default;
};

class TClassInfo {
 public:
  // Creates an instance. `owner` is null or of the class's owner type (a
  // component's owner, a collection item's collection), which then owns it.
  using Factory = TObject* (*)(TObject* owner);
  using Describe = std::unique_ptr<TClassMembers> (*)();

  TClassInfo(const char16_t* name, TClass parent, Factory factory, Describe describe);
  ~TClassInfo();
  TClassInfo(const TClassInfo&) = delete;
  TClassInfo& operator=(const TClassInfo&) = delete;

  const String& ClassName() const { return name_; }
  TClass ClassParent() const { return parent_; }
  // True for this class and every class derived from `ancestor`.
  bool InheritsFrom(TClass ancestor) const;
  // Compares names along the parent chain, so that a description from another
  // module instance with the same class name matches too.
  bool InheritsFromName(StringView ancestor_name) const;
  bool CanCreate() const { return factory_ != nullptr; }

  // A new instance without owner; EInvalidOperation for an abstract class.
  std::unique_ptr<TObject> Create() const;

  // Published properties, base class first, each class's in declaration order.
  std::span<const TPropInfo* const> Properties() const;
  // Published property by name, ignoring ASCII case; nullptr when none.
  const TPropInfo* FindProperty(StringView name) const;
  // Published method by name (ignoring case) along the parent chain.
  const TMethodInfo* FindMethod(StringView name) const;
  // Name of the published method whose code is `code`; empty when none.
  String MethodName(TMethodCode code) const;

 private:
  friend TComponent* CreateComponent(TClass, TComponent&);
  friend class TCollection;
  const TClassMembers& Members() const;

  String name_;
  TClass parent_;
  Factory factory_;
  Describe describe_;
  mutable std::once_flag once_;
  mutable std::unique_ptr<TClassMembers> members_;
  mutable std::vector<const TPropInfo*> all_properties_;
};

// Declares the class description of `Name` (derived from `Parent`) inside the
// class body; leaves the access at public. RD_DEFINE_CLASS defines it.
#define RD_CLASS(Name, Parent)                             \
 public:                                                  \
  using inherited = Parent;                               \
  static const TClassInfo& StaticClass();                 \
  TClass ClassType() const override { return &StaticClass(); }

class TObject {
 public:
  TObject() = default;
  virtual ~TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;

  static const TClassInfo& StaticClass();
  virtual TClass ClassType() const { return &StaticClass(); }
  const String& ClassName() const { return ClassType()->ClassName(); }
  bool InheritsFrom(TClass ancestor) const { return ClassType()->InheritsFrom(ancestor); }
  // The framework's `is`: true when this object's class is T or derives from it.
  template <class T>
  bool Is() const {
    return InheritsFrom(&T::StaticClass());
  }

  // Lifetime hooks around the constructor and destructor, where C++ cannot
  // dispatch to derived classes or refuse. AfterConstruction runs once the
  // object is complete (CreateObject, the class factories); BeforeDestruction
  // runs in Free before anything is torn down and may raise to refuse: the
  // object then stays alive and usable.
  virtual void AfterConstruction() {}
  virtual void BeforeDestruction() {}
};

// The framework's construction: a new T, completed by AfterConstruction
// (deleted again when that raises).
template <class T, class... Args>
T* CreateObject(Args&&... args) {
  std::unique_ptr<T> object(new T(std::forward<Args>(args)...));
  object->AfterConstruction();
  return object.release();
}

// The framework's release of an object it created with new: BeforeDestruction
// (which may raise and so refuse), then delete. Nothing for null. Owners free
// their components through it too.
void Free(TObject* object);

// Deleter for a std::unique_ptr that releases through Free.
struct TFreeObject {
  void operator()(TObject* object) const { Free(object); }
};

// The framework's `as` for pointers: the object as T, or nullptr when it is
// not one (or is null).
template <class T>
T* ObjectAs(TObject* object) {
  return object && object->Is<T>() ? static_cast<T*>(object) : nullptr;
}
template <class T>
const T* ObjectAs(const TObject* object) {
  return object && object->Is<T>() ? static_cast<const T*>(object) : nullptr;
}

// The class registry. Registering a second, different class under a name
// already taken raises EFilerError "A class named %s already exists";
// registering the same class again does nothing. Names compare ignoring case.
void RegisterClass(TClass cls);
void RegisterClasses(std::initializer_list<TClass> classes);
void UnRegisterClass(TClass cls);
// nullptr when not registered.
TClass GetClass(StringView name);
// EClassNotFound "Class %s not found" when not registered.
TClass FindClass(StringView name);
