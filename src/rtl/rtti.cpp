#include "rtl/rtti.h"

#include <limits>
#include <map>
#include <mutex>

#include "rtl/sysutils.h"

TTypeInfo TTypeInfo::Integer(const char16_t* name, TOrdType ord_type, int64_t min_value, int64_t max_value) {
  TTypeInfo t;
  t.kind_ = tkInteger;
  t.name_ = name;
  t.ord_type_ = ord_type;
  t.min_value_ = min_value;
  t.max_value_ = max_value;
  return t;
}

TTypeInfo TTypeInfo::Character(const char16_t* name, TTypeKind kind) {
  TTypeInfo t = Integer(name, kind == tkChar ? otUByte : otUWord, 0, kind == tkChar ? 0xFF : 0xFFFF);
  t.kind_ = kind;
  return t;
}

TTypeInfo TTypeInfo::Enumeration(const char16_t* name, StringView names) {
  TTypeInfo t;
  t.kind_ = tkEnumeration;
  t.name_ = name;
  t.ord_type_ = otUByte;
  size_t start = 0;
  while (start <= names.size()) {
    size_t comma = names.find(u',', start);
    if (comma == StringView::npos) comma = names.size();
    String element = Trim(names.substr(start, comma - start));
    if (!element.empty()) t.names_.push_back(std::move(element));
    start = comma + 1;
  }
  t.max_value_ = static_cast<int64_t>(t.names_.size()) - 1;
  return t;
}

TTypeInfo TTypeInfo::Set(String name, const TTypeInfo& element) {
  TTypeInfo t;
  t.kind_ = tkSet;
  t.name_ = std::move(name);
  t.ord_type_ = otULong;
  t.comp_type_ = &element;
  return t;
}

TTypeInfo TTypeInfo::Float(const char16_t* name, TFloatType float_type) {
  TTypeInfo t;
  t.kind_ = tkFloat;
  t.name_ = name;
  t.float_type_ = float_type;
  return t;
}

TTypeInfo TTypeInfo::Int64(const char16_t* name) {
  TTypeInfo t = Integer(name, otSLong, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max());
  t.kind_ = tkInt64;
  return t;
}

TTypeInfo TTypeInfo::UString(const char16_t* name) {
  TTypeInfo t;
  t.kind_ = tkUString;
  t.name_ = name;
  return t;
}

TTypeInfo TTypeInfo::Class(TClass cls) {
  TTypeInfo t;
  t.kind_ = tkClass;
  t.name_ = cls->ClassName();
  t.class_type_ = cls;
  return t;
}

TTypeInfo TTypeInfo::Method(const char16_t* name, const void* signature) {
  TTypeInfo t;
  t.kind_ = tkMethod;
  t.name_ = name;
  t.signature_ = signature;
  return t;
}

bool TTypeInfo::IsOrdinal() const {
  return kind_ == tkInteger || kind_ == tkChar || kind_ == tkEnumeration || kind_ == tkSet || kind_ == tkWChar;
}

// ---- Identifier maps

namespace {

struct IdentMaps {
  std::mutex lock;
  std::map<const TTypeInfo*, std::pair<TIdentToInt, TIntToIdent>> maps;
};

IdentMaps& TheIdentMaps() {
  static IdentMaps maps;
  return maps;
}

}  // namespace

void RegisterIntegerConsts(const TTypeInfo& type, TIdentToInt ident_to_int, TIntToIdent int_to_ident) {
  IdentMaps& m = TheIdentMaps();
  std::lock_guard guard(m.lock);
  m.maps[&type] = {ident_to_int, int_to_ident};
}

TIdentToInt FindIdentToInt(const TTypeInfo& type) {
  IdentMaps& m = TheIdentMaps();
  std::lock_guard guard(m.lock);
  auto it = m.maps.find(&type);
  return it == m.maps.end() ? nullptr : it->second.first;
}

TIntToIdent FindIntToIdent(const TTypeInfo& type) {
  IdentMaps& m = TheIdentMaps();
  std::lock_guard guard(m.lock);
  auto it = m.maps.find(&type);
  return it == m.maps.end() ? nullptr : it->second.second;
}

// ---- Built-in types

#define RD_INTEGER_TYPE(T, Name, Ord)                                                                    \
  const TTypeInfo& TypeInfoOf(std::type_identity<T>) {                                                   \
    static const TTypeInfo info =                                                                        \
        TTypeInfo::Integer(Name, Ord, std::numeric_limits<T>::min(), std::numeric_limits<T>::max());     \
    return info;                                                                                         \
  }
RD_INTEGER_TYPE(int8_t, u"ShortInt", otSByte)
RD_INTEGER_TYPE(uint8_t, u"Byte", otUByte)
RD_INTEGER_TYPE(int16_t, u"SmallInt", otSWord)
RD_INTEGER_TYPE(uint16_t, u"Word", otUWord)
RD_INTEGER_TYPE(int32_t, u"Integer", otSLong)
RD_INTEGER_TYPE(uint32_t, u"Cardinal", otULong)
#undef RD_INTEGER_TYPE

const TTypeInfo& TypeInfoOf(std::type_identity<bool>) {
  static const TTypeInfo info = TTypeInfo::Enumeration(u"Boolean", u"False, True");
  return info;
}
const TTypeInfo& TypeInfoOf(std::type_identity<int64_t>) {
  static const TTypeInfo info = TTypeInfo::Int64(u"Int64");
  return info;
}
const TTypeInfo& TypeInfoOf(std::type_identity<char>) {
  static const TTypeInfo info = TTypeInfo::Character(u"AnsiChar", tkChar);
  return info;
}
const TTypeInfo& TypeInfoOf(std::type_identity<char16_t>) {
  static const TTypeInfo info = TTypeInfo::Character(u"Char", tkWChar);
  return info;
}
const TTypeInfo& TypeInfoOf(std::type_identity<float>) {
  static const TTypeInfo info = TTypeInfo::Float(u"Single", ftSingle);
  return info;
}
const TTypeInfo& TypeInfoOf(std::type_identity<double>) {
  static const TTypeInfo info = TTypeInfo::Float(u"Double", ftDouble);
  return info;
}
const TTypeInfo& TypeInfoOf(std::type_identity<String>) {
  static const TTypeInfo info = TTypeInfo::UString(u"string");
  return info;
}
const TTypeInfo& DateTimeTypeInfo() {
  static const TTypeInfo info = TTypeInfo::Float(u"TDateTime", ftDouble);
  return info;
}
const TTypeInfo& CurrencyTypeInfo() {
  static const TTypeInfo info = TTypeInfo::Float(u"Currency", ftCurr);
  return info;
}

// ---- Enumeration and set text

String GetEnumName(const TTypeInfo& type, int64_t value) {
  const auto& names = type.EnumNames();
  if (value < 0 || value >= static_cast<int64_t>(names.size())) return {};
  return names[static_cast<size_t>(value)];
}

int32_t GetEnumValue(const TTypeInfo& type, StringView name) {
  const auto& names = type.EnumNames();
  for (size_t i = 0; i < names.size(); ++i) {
    if (SameText(names[i], name)) return static_cast<int32_t>(i);
  }
  return -1;
}

String SetToString(const TTypeInfo& set_type, uint32_t value, bool brackets) {
  String text;
  const auto& names = set_type.CompType()->EnumNames();
  for (size_t i = 0; i < names.size() && i < 32; ++i) {
    if (!((value >> i) & 1u)) continue;
    if (!text.empty()) text += u',';
    text += names[i];
  }
  return brackets ? u"[" + text + u"]" : text;
}

uint32_t StringToSet(const TTypeInfo& set_type, StringView text) {
  String body = Trim(text);
  StringView rest = body;
  if (!rest.empty() && rest.front() == u'[') rest.remove_prefix(1);
  if (!rest.empty() && rest.back() == u']') rest.remove_suffix(1);
  uint32_t bits = 0;
  while (!rest.empty()) {
    size_t comma = rest.find(u',');
    const String element = Trim(rest.substr(0, comma));
    rest = comma == StringView::npos ? StringView() : rest.substr(comma + 1);
    if (element.empty() && rest.empty() && comma == StringView::npos) break;
    const int32_t value = GetEnumValue(*set_type.CompType(), element);
    if (value < 0 || value >= 32) {
      throw EPropertyConvertError(Format(u"Invalid property element: %s", {element}));
    }
    bits |= 1u << value;
  }
  return bits;
}

// ---- Properties

namespace {

[[noreturn]] void RaiseWrongKind() { throw EPropertyError(u"Invalid property type"); }

}  // namespace

int64_t TPropAccessor::GetOrd(const TObject&) const { RaiseWrongKind(); }
void TPropAccessor::SetOrd(TObject&, int64_t) const { RaiseWrongKind(); }
double TPropAccessor::GetFloat(const TObject&) const { RaiseWrongKind(); }
void TPropAccessor::SetFloat(TObject&, double) const { RaiseWrongKind(); }
String TPropAccessor::GetStr(const TObject&) const { RaiseWrongKind(); }
void TPropAccessor::SetStr(TObject&, const String&) const { RaiseWrongKind(); }
TObject* TPropAccessor::GetObject(const TObject&) const { RaiseWrongKind(); }
void TPropAccessor::SetObject(TObject&, TObject*) const { RaiseWrongKind(); }
TMethod TPropAccessor::GetMethod(const TObject&) const { RaiseWrongKind(); }
void TPropAccessor::SetMethod(TObject&, const TMethod&) const { RaiseWrongKind(); }

void rtl_detail::RaiseReadOnly() { throw EPropertyError(u"Property is read-only"); }
void rtl_detail::RaiseInvalidValue() { throw EPropertyConvertError(u"Invalid property value"); }

TPropInfo::TPropInfo(String name, const TTypeInfo& type, std::unique_ptr<TPropAccessor> access, bool has_setter,
                     bool has_default, int64_t default_value, StoredFn stored, bool stored_constant)
    : name_(std::move(name)),
      type_(&type),
      access_(std::move(access)),
      has_setter_(has_setter),
      has_default_(has_default),
      default_(default_value),
      stored_(std::move(stored)),
      stored_constant_(stored_constant) {}

const TPropInfo* GetPropInfo(const TObject& instance, StringView name) {
  return instance.ClassType()->FindProperty(name);
}

int64_t GetOrdProp(const TObject& instance, const TPropInfo& prop) { return prop.Access().GetOrd(instance); }
void SetOrdProp(TObject& instance, const TPropInfo& prop, int64_t value) { prop.Access().SetOrd(instance, value); }

String GetEnumProp(const TObject& instance, const TPropInfo& prop) {
  return GetEnumName(prop.PropType(), GetOrdProp(instance, prop));
}

void SetEnumProp(TObject& instance, const TPropInfo& prop, StringView name) {
  const int32_t value = GetEnumValue(prop.PropType(), name);
  if (value < 0) rtl_detail::RaiseInvalidValue();
  SetOrdProp(instance, prop, value);
}

String GetSetProp(const TObject& instance, const TPropInfo& prop, bool brackets) {
  return SetToString(prop.PropType(), static_cast<uint32_t>(GetOrdProp(instance, prop)), brackets);
}

void SetSetProp(TObject& instance, const TPropInfo& prop, StringView text) {
  SetOrdProp(instance, prop, StringToSet(prop.PropType(), text));
}

double GetFloatProp(const TObject& instance, const TPropInfo& prop) { return prop.Access().GetFloat(instance); }
void SetFloatProp(TObject& instance, const TPropInfo& prop, double value) { prop.Access().SetFloat(instance, value); }
String GetStrProp(const TObject& instance, const TPropInfo& prop) { return prop.Access().GetStr(instance); }
void SetStrProp(TObject& instance, const TPropInfo& prop, const String& value) {
  prop.Access().SetStr(instance, value);
}
int64_t GetInt64Prop(const TObject& instance, const TPropInfo& prop) { return prop.Access().GetOrd(instance); }
void SetInt64Prop(TObject& instance, const TPropInfo& prop, int64_t value) { prop.Access().SetOrd(instance, value); }
TObject* GetObjectProp(const TObject& instance, const TPropInfo& prop) { return prop.Access().GetObject(instance); }
void SetObjectProp(TObject& instance, const TPropInfo& prop, TObject* value) {
  prop.Access().SetObject(instance, value);
}
TMethod GetMethodProp(const TObject& instance, const TPropInfo& prop) { return prop.Access().GetMethod(instance); }
void SetMethodProp(TObject& instance, const TPropInfo& prop, const TMethod& value) {
  prop.Access().SetMethod(instance, value);
}
bool IsStoredProp(const TObject& instance, const TPropInfo& prop) { return prop.IsStored(instance); }
