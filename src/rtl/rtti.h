#pragma once
// Published properties and methods: the run-time type information the form
// readers and writers, the skin text and the designers work from.
//
// A class describes its published members in its source file, in
// declaration order:
//
//   RD_DEFINE_CLASS(TRdTimer,
//     Prop(u"Interval", &TRdTimer::Interval, &TRdTimer::SetInterval).Default(1000),
//     Prop(u"Enabled", &TRdTimer::Enabled, &TRdTimer::SetEnabled).Default(true),
//     Prop(u"OnTimer", &TRdTimer::OnTimer, &TRdTimer::SetOnTimer));
//
// A getter is a const member function, a data member or any callable taking
// `const C&`; a setter is a member function, a data member, a callable taking
// `(C&, V)`, or omitted (read-only). The value type selects the kind:
// integers, bool and RD_ENUM enumerations, TSet<E>, char/char16_t, float and
// double, int64_t, String, pointers to TObject classes and TEventOf events.
// `.Type(info)` gives an integer property a named type such as a colour with
// its identifier map; `.Stored(...)` takes false, true or a `bool () const`
// member; `.Default(v)` applies to ordinal kinds (integers, enumerations,
// sets, characters), which are not written when they hold their default.
// Published methods are listed as Method<&TForm1::Button1Click>(u"Button1Click").

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <initializer_list>
#include <memory>
#include <type_traits>
#include <vector>

#include "rtl/events.h"
#include "rtl/exceptions.h"
#include "rtl/objects.h"

enum TTypeKind {
  tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass, tkMethod, tkWChar,
  tkLString, tkWString, tkVariant, tkArray, tkRecord, tkInterface, tkInt64, tkDynArray, tkUString
};
enum TOrdType { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };
enum TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };

// A set of enumeration values of E (at most 32 elements), bit n for value n.
template <class E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> elements) {
    for (E e : elements) Include(e);
  }
  static constexpr TSet FromBits(uint32_t bits) {
    TSet s;
    s.bits_ = bits;
    return s;
  }
  constexpr uint32_t Bits() const { return bits_; }
  constexpr bool Contains(E e) const { return (bits_ >> static_cast<unsigned>(e)) & 1u; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TSet& Include(E e) {
    bits_ |= 1u << static_cast<unsigned>(e);
    return *this;
  }
  constexpr TSet& Exclude(E e) {
    bits_ &= ~(1u << static_cast<unsigned>(e));
    return *this;
  }
  friend constexpr TSet operator+(TSet a, TSet b) { return FromBits(a.bits_ | b.bits_); }
  friend constexpr TSet operator-(TSet a, TSet b) { return FromBits(a.bits_ & ~b.bits_); }
  friend constexpr TSet operator*(TSet a, TSet b) { return FromBits(a.bits_ & b.bits_); }
  friend constexpr bool operator==(TSet a, TSet b) = default;

 private:
  uint32_t bits_ = 0;
};

// Identifier maps of integer types (colour names, cursor names).
using TIdentToInt = bool (*)(StringView ident, int32_t& value);
using TIntToIdent = bool (*)(int32_t value, String& ident);

// The description of a property's type.
class TTypeInfo {
 public:
  static TTypeInfo Integer(const char16_t* name, TOrdType ord_type, int64_t min_value, int64_t max_value);
  static TTypeInfo Character(const char16_t* name, TTypeKind kind);  // tkChar or tkWChar
  // `names` lists the value names separated by commas (white space ignored).
  static TTypeInfo Enumeration(const char16_t* name, StringView names);
  static TTypeInfo Set(String name, const TTypeInfo& element);
  static TTypeInfo Float(const char16_t* name, TFloatType float_type);
  static TTypeInfo Int64(const char16_t* name);
  static TTypeInfo UString(const char16_t* name);
  static TTypeInfo Class(TClass cls);
  static TTypeInfo Method(const char16_t* name, const void* signature);

  TTypeKind Kind() const { return kind_; }
  const String& Name() const { return name_; }
  TOrdType OrdType() const { return ord_type_; }
  int64_t MinValue() const { return min_value_; }
  int64_t MaxValue() const { return max_value_; }
  // Enumeration value names (kind tkEnumeration).
  const std::vector<String>& EnumNames() const { return names_; }
  // Element type of a set.
  const TTypeInfo* CompType() const { return comp_type_; }
  TFloatType FloatType() const { return float_type_; }
  TClass ClassType() const { return class_type_; }
  const void* MethodSignature() const { return signature_; }
  bool IsOrdinal() const;

 private:
  TTypeInfo() = default;
  TTypeKind kind_ = tkUnknown;
  String name_;
  TOrdType ord_type_ = otSLong;
  int64_t min_value_ = 0, max_value_ = 0;
  std::vector<String> names_;
  const TTypeInfo* comp_type_ = nullptr;
  TFloatType float_type_ = ftDouble;
  TClass class_type_ = nullptr;
  const void* signature_ = nullptr;
};

// Registers the identifier map of an integer type (RegisterIntegerConsts);
// the look-ups return nullptr for a type without one.
void RegisterIntegerConsts(const TTypeInfo& type, TIdentToInt ident_to_int, TIntToIdent int_to_ident);
TIdentToInt FindIdentToInt(const TTypeInfo& type);
TIntToIdent FindIntToIdent(const TTypeInfo& type);

// ---- Type information of the value types

const TTypeInfo& TypeInfoOf(std::type_identity<bool>);
const TTypeInfo& TypeInfoOf(std::type_identity<int8_t>);
const TTypeInfo& TypeInfoOf(std::type_identity<uint8_t>);
const TTypeInfo& TypeInfoOf(std::type_identity<int16_t>);
const TTypeInfo& TypeInfoOf(std::type_identity<uint16_t>);
const TTypeInfo& TypeInfoOf(std::type_identity<int32_t>);
const TTypeInfo& TypeInfoOf(std::type_identity<uint32_t>);
const TTypeInfo& TypeInfoOf(std::type_identity<int64_t>);
const TTypeInfo& TypeInfoOf(std::type_identity<char>);
const TTypeInfo& TypeInfoOf(std::type_identity<char16_t>);
const TTypeInfo& TypeInfoOf(std::type_identity<float>);
const TTypeInfo& TypeInfoOf(std::type_identity<double>);
const TTypeInfo& TypeInfoOf(std::type_identity<String>);
// Float types that share `double` in memory but stream differently.
const TTypeInfo& DateTimeTypeInfo();   // written as a date value
const TTypeInfo& CurrencyTypeInfo();   // written as a currency value (scaled by 10000)

template <class T>
  requires std::is_base_of_v<TObject, T>
const TTypeInfo& TypeInfoOf(std::type_identity<T*>) {
  static const TTypeInfo info = TTypeInfo::Class(&T::StaticClass());
  return info;
}

template <class... Args>
const TTypeInfo& TypeInfoOf(std::type_identity<TEventOf<Args...>>) {
  static const TTypeInfo info = TTypeInfo::Method(u"TMethod", TEventOf<Args...>::Signature());
  return info;
}

template <class E>
const TTypeInfo& TypeInfoOf(std::type_identity<TSet<E>>);

// Declares an enumeration with its type information: RD_ENUM(TAlign, alNone, alTop, ...).
// Values run from 0 in order; no explicit values.
#define RD_ENUM(Name, ...)                                                                  \
  enum Name : uint8_t { __VA_ARGS__ };                                                       \
  inline const TTypeInfo& TypeInfoOf(std::type_identity<Name>) {                             \
    static const TTypeInfo info = TTypeInfo::Enumeration(u## #Name, u"" #__VA_ARGS__);       \
    return info;                                                                            \
  }

template <class E>
const TTypeInfo& TypeInfoOf(std::type_identity<TSet<E>>) {
  static const TTypeInfo info = TTypeInfo::Set(u"set of " + TypeInfoOf(std::type_identity<E>()).Name(),
                                               TypeInfoOf(std::type_identity<E>()));
  return info;
}

// ---- Enumeration and set text

// The name of an enumeration value ("" out of range); for Boolean "False"/"True".
String GetEnumName(const TTypeInfo& type, int64_t value);
// The value of a name (ignoring case), -1 when the type has no such name.
int32_t GetEnumValue(const TTypeInfo& type, StringView name);
// "fsBold,fsItalic", with brackets "[fsBold,fsItalic]".
String SetToString(const TTypeInfo& set_type, uint32_t value, bool brackets = false);
// Names separated by commas, brackets optional, white space ignored. An
// unknown name raises EPropertyConvertError "Invalid property element: %s".
uint32_t StringToSet(const TTypeInfo& set_type, StringView text);

// ---- Properties

// Reads and writes one property of an object; made by Prop(). Each value
// kind uses one pair: ordinal kinds and tkInt64 the Ord pair, tkFloat the
// Float pair, strings the Str pair, tkClass the Object pair, tkMethod the
// Method pair. The others raise EPropertyError.
class TPropAccessor {
 public:
  virtual ~TPropAccessor() = default;
  virtual int64_t GetOrd(const TObject& instance) const;
  virtual void SetOrd(TObject& instance, int64_t value) const;
  virtual double GetFloat(const TObject& instance) const;
  virtual void SetFloat(TObject& instance, double value) const;
  virtual String GetStr(const TObject& instance) const;
  virtual void SetStr(TObject& instance, const String& value) const;
  virtual TObject* GetObject(const TObject& instance) const;
  virtual void SetObject(TObject& instance, TObject* value) const;
  virtual TMethod GetMethod(const TObject& instance) const;
  virtual void SetMethod(TObject& instance, const TMethod& value) const;
};

class TPropInfo {
 public:
  using StoredFn = std::function<bool(const TObject&)>;
  TPropInfo(String name, const TTypeInfo& type, std::unique_ptr<TPropAccessor> access, bool has_setter,
            bool has_default, int64_t default_value, StoredFn stored, bool stored_constant);

  const String& Name() const { return name_; }
  const TTypeInfo& PropType() const { return *type_; }
  TTypeKind Kind() const { return type_->Kind(); }
  bool HasSetter() const { return has_setter_; }
  // The default of an ordinal property ("nodefault" when HasDefault is false).
  bool HasDefault() const { return has_default_; }
  int64_t Default() const { return default_; }
  bool IsStored(const TObject& instance) const { return stored_ ? stored_(instance) : stored_constant_; }
  const TPropAccessor& Access() const { return *access_; }

 private:
  String name_;
  const TTypeInfo* type_;
  std::unique_ptr<TPropAccessor> access_;
  bool has_setter_;
  bool has_default_;
  int64_t default_;
  StoredFn stored_;
  bool stored_constant_;
};

struct TMethodInfo {
  String Name;
  TMethodCode Code;
  const void* Signature;  // TEventOf<...>::Signature() of the handler's type
};

// What RD_DEFINE_CLASS records for one class (its own members only).
struct TClassMembers {
  std::vector<std::unique_ptr<TPropInfo>> properties;
  std::vector<TMethodInfo> methods;
};

// TypInfo-style access. The property must belong to the object's class; a
// value of the wrong kind raises EPropertyError, a setter-less property
// EPropertyError "Property is read-only", an enumeration value out of range
// or an object of the wrong class EPropertyConvertError "Invalid property value".
const TPropInfo* GetPropInfo(const TObject& instance, StringView name);
int64_t GetOrdProp(const TObject& instance, const TPropInfo& prop);
void SetOrdProp(TObject& instance, const TPropInfo& prop, int64_t value);
String GetEnumProp(const TObject& instance, const TPropInfo& prop);
// An unknown name raises EPropertyConvertError "Invalid property value".
void SetEnumProp(TObject& instance, const TPropInfo& prop, StringView name);
String GetSetProp(const TObject& instance, const TPropInfo& prop, bool brackets = false);
void SetSetProp(TObject& instance, const TPropInfo& prop, StringView text);
double GetFloatProp(const TObject& instance, const TPropInfo& prop);
void SetFloatProp(TObject& instance, const TPropInfo& prop, double value);
String GetStrProp(const TObject& instance, const TPropInfo& prop);
void SetStrProp(TObject& instance, const TPropInfo& prop, const String& value);
int64_t GetInt64Prop(const TObject& instance, const TPropInfo& prop);
void SetInt64Prop(TObject& instance, const TPropInfo& prop, int64_t value);
TObject* GetObjectProp(const TObject& instance, const TPropInfo& prop);
void SetObjectProp(TObject& instance, const TPropInfo& prop, TObject* value);
TMethod GetMethodProp(const TObject& instance, const TPropInfo& prop);
void SetMethodProp(TObject& instance, const TPropInfo& prop, const TMethod& value);
bool IsStoredProp(const TObject& instance, const TPropInfo& prop);

// ---- Declarative registration (the templates behind RD_DEFINE_CLASS)

namespace rtl_detail {

template <class V>
struct IsEvent : std::false_type {};
template <class... A>
struct IsEvent<TEventOf<A...>> : std::true_type {};
template <class V>
struct IsSet : std::false_type {};
template <class E>
struct IsSet<TSet<E>> : std::true_type {};

template <class V>
constexpr bool kIsOrdinal = std::is_integral_v<V> || std::is_enum_v<V> || IsSet<V>::value;

[[noreturn]] void RaiseReadOnly();
[[noreturn]] void RaiseInvalidValue();

template <class V>
int64_t OrdinalOf(V value) {
  if constexpr (IsSet<V>::value) {
    return value.Bits();
  } else {
    return static_cast<int64_t>(value);
  }
}

template <class V>
V OrdinalTo(int64_t value, const TTypeInfo& type) {
  if constexpr (IsSet<V>::value) {
    const auto count = type.CompType()->EnumNames().size();
    const uint32_t mask = count >= 32 ? 0xFFFFFFFFu : (1u << count) - 1;
    return V::FromBits(static_cast<uint32_t>(value) & mask);
  } else if constexpr (std::is_same_v<V, bool>) {
    return value != 0;
  } else if constexpr (std::is_enum_v<V>) {
    if (value < 0 || value >= static_cast<int64_t>(type.EnumNames().size())) RaiseInvalidValue();
    return static_cast<V>(value);
  } else {
    return static_cast<V>(value);  // integers wrap to the property's width, as the framework's do
  }
}

template <class C, class V, class G, class S>
class PropAccessor final : public TPropAccessor {
 public:
  PropAccessor(G get, S set, const TTypeInfo& type) : get_(get), set_(set), type_(&type) {}

  int64_t GetOrd(const TObject& o) const override {
    if constexpr (kIsOrdinal<V>) return OrdinalOf<V>(Get(o));
    else return TPropAccessor::GetOrd(o);
  }
  void SetOrd(TObject& o, int64_t value) const override {
    if constexpr (kIsOrdinal<V>) Set(o, OrdinalTo<V>(value, *type_));
    else TPropAccessor::SetOrd(o, value);
  }
  double GetFloat(const TObject& o) const override {
    if constexpr (std::is_floating_point_v<V>) return static_cast<double>(Get(o));
    else return TPropAccessor::GetFloat(o);
  }
  void SetFloat(TObject& o, double value) const override {
    if constexpr (std::is_floating_point_v<V>) {
      // Out of a single's range is its infinity (a plain cast would be undefined).
      if (std::fabs(value) > std::numeric_limits<V>::max() && std::isfinite(value)) {
        value = std::copysign(std::numeric_limits<double>::infinity(), value);
      }
      Set(o, static_cast<V>(value));
    } else {
      TPropAccessor::SetFloat(o, value);
    }
  }
  String GetStr(const TObject& o) const override {
    if constexpr (std::is_same_v<V, String>) return Get(o);
    else return TPropAccessor::GetStr(o);
  }
  void SetStr(TObject& o, const String& value) const override {
    if constexpr (std::is_same_v<V, String>) Set(o, value);
    else TPropAccessor::SetStr(o, value);
  }
  TObject* GetObject(const TObject& o) const override {
    if constexpr (std::is_pointer_v<V>) return Get(o);
    else return TPropAccessor::GetObject(o);
  }
  void SetObject(TObject& o, TObject* value) const override {
    if constexpr (std::is_pointer_v<V>) {
      using T = std::remove_cv_t<std::remove_pointer_t<V>>;
      if (value && !value->template Is<T>()) RaiseInvalidValue();
      Set(o, static_cast<V>(value));
    } else {
      TPropAccessor::SetObject(o, value);
    }
  }
  TMethod GetMethod(const TObject& o) const override {
    if constexpr (IsEvent<V>::value) return Get(o).Method();
    else return TPropAccessor::GetMethod(o);
  }
  void SetMethod(TObject& o, const TMethod& value) const override {
    if constexpr (IsEvent<V>::value) Set(o, V::FromMethod(value));
    else TPropAccessor::SetMethod(o, value);
  }

 private:
  V Get(const TObject& o) const { return std::invoke(get_, static_cast<const C&>(o)); }
  void Set(TObject& o, V value) const {
    if constexpr (std::is_same_v<S, std::nullptr_t>) {
      RaiseReadOnly();
    } else if constexpr (std::is_member_object_pointer_v<S>) {
      static_cast<C&>(o).*set_ = std::move(value);
    } else {
      std::invoke(set_, static_cast<C&>(o), std::move(value));
    }
  }
  G get_;
  S set_;
  const TTypeInfo* type_;
};

template <class G, class S, class St>
struct PropSpec {
  const char16_t* name;
  G get;
  S set;
  St stored;
  const TTypeInfo* type = nullptr;
  bool has_default = false;
  int64_t default_value = 0;

  template <class D>
  PropSpec Default(D value) && {
    has_default = true;
    default_value = OrdinalOf(value);
    return std::move(*this);
  }
  template <class F>
  PropSpec<G, S, F> Stored(F condition) && {
    return {name, get, set, condition, type, has_default, default_value};
  }
  PropSpec Type(const TTypeInfo& info) && {
    type = &info;
    return std::move(*this);
  }
};

struct MethodSpec {
  const char16_t* name;
  TMethodCode code;
  const void* signature;
};

template <class C, class G, class S, class St>
void AddMember(TClassMembers& members, PropSpec<G, S, St>&& decl) {
  using V = std::remove_cvref_t<std::invoke_result_t<G, const C&>>;
  const TTypeInfo& type = decl.type ? *decl.type : TypeInfoOf(std::type_identity<V>());
  TPropInfo::StoredFn stored;
  bool stored_constant = true;
  if constexpr (std::is_same_v<St, bool>) {
    stored_constant = decl.stored;
  } else if constexpr (!std::is_same_v<St, std::nullptr_t>) {
    stored = [fn = decl.stored](const TObject& o) { return std::invoke(fn, static_cast<const C&>(o)); };
  }
  members.properties.push_back(std::make_unique<TPropInfo>(
      decl.name, type, std::make_unique<PropAccessor<C, V, G, S>>(decl.get, decl.set, type),
      !std::is_same_v<S, std::nullptr_t>, decl.has_default, decl.default_value, std::move(stored),
      stored_constant));
}

template <class C>
void AddMember(TClassMembers& members, MethodSpec&& decl) {
  members.methods.push_back({decl.name, decl.code, decl.signature});
}

template <class C, class... Specs>
std::unique_ptr<TClassMembers> MakeMembers(Specs&&... specs) {
  auto members = std::make_unique<TClassMembers>();
  (AddMember<C>(*members, std::move(specs)), ...);
  return members;
}

template <class T>
TClassInfo::Factory FactoryFor() {
  if constexpr (std::is_abstract_v<T>) {
    return nullptr;
  } else if constexpr (requires { typename T::OwnerType; }) {
    if constexpr (std::is_constructible_v<T, typename T::OwnerType*>) {
      return [](TObject* owner) -> TObject* {
        return CreateObject<T>(static_cast<typename T::OwnerType*>(owner));
      };
    } else {
      return nullptr;
    }
  } else if constexpr (std::is_default_constructible_v<T>) {
    return [](TObject*) -> TObject* { return CreateObject<T>(); };
  } else {
    return nullptr;
  }
}

}  // namespace rtl_detail

// A published property (see the top of this file).
template <class G, class S = std::nullptr_t>
rtl_detail::PropSpec<G, S, std::nullptr_t> Prop(const char16_t* name, G getter, S setter = nullptr) {
  return {name, getter, setter, nullptr};
}

// A published method, by which events are streamed.
template <auto Handler>
rtl_detail::MethodSpec Method(const char16_t* name) {
  using Traits = rtl_detail::HandlerTraits<decltype(Handler)>;
  using Event = typename Traits::Event;
  return {name, reinterpret_cast<TMethodCode>(&Event::template Invoke<Handler, typename Traits::Class>),
          Event::Signature()};
}

// Defines the class description declared by RD_CLASS(Name, Parent), with the
// class's published members (Prop(...), Method<...>(...)) in order.
#define RD_DEFINE_CLASS(Name, ...)                                                                     \
  const TClassInfo& Name::StaticClass() {                                                              \
    static const TClassInfo info(u## #Name, &Name::inherited::StaticClass(),                           \
                                 rtl_detail::FactoryFor<Name>(),                                       \
                                 [] { return rtl_detail::MakeMembers<Name>(__VA_ARGS__); });           \
    return info;                                                                                       \
  }
