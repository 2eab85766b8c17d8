#include "rtl/writer.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "rtl/collections.h"
#include "rtl/extended80.h"
#include "rtl/sysutils.h"

RD_DEFINE_CLASS(TWriter)

namespace {

template <class T>
void WriteLittleEndian(TWriter& w, T value) {
  uint8_t bytes[sizeof(T)];
  using U = std::make_unsigned_t<T>;
  const auto bits = static_cast<U>(value);
  for (size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
  w.Write(bytes, sizeof(T));
}

template <class F, class U>
void WriteFloatBits(TWriter& w, F value) {
  U bits;
  static_assert(sizeof bits == sizeof value);
  std::memcpy(&bits, &value, sizeof bits);
  WriteLittleEndian(w, bits);
}

bool IsAscii(StringView s) {
  for (char16_t c : s) {
    if (c >= 0x80) return false;
  }
  return true;
}

// UTF-8 loses unpaired surrogates; such text is written as UTF-16.
bool HasUnpairedSurrogate(StringView s) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] >= 0xD800 && s[i] <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      ++i;
    } else if (s[i] >= 0xD800 && s[i] <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

int32_t CheckedLength(size_t length) {
  if (length > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    throw EWriteError(u"Stream write error");
  }
  return static_cast<int32_t>(length);
}

}  // namespace

void TWriter::DefineProperty(const String& name, const TReaderProc&, const TWriterProc& write, bool has_data) {
  if (!has_data || !write) return;
  WritePropName(name);
  write(*this);
}

void TWriter::DefineBinaryProperty(const String& name, const TStreamProc&, const TStreamProc& write,
                                   bool has_data) {
  if (!has_data || !write) return;
  WritePropName(name);
  WriteBinary(write);
}

void TWriter::WriteDescendent(TComponent& root, TComponent* ancestor) {
  root_ancestor_ = ancestor;
  ancestor_ = ancestor;
  root_ = &root;
  lookup_root_ = &root;
  WriteSignature();
  WriteComponent(root);
}

void TWriter::WriteComponent(TComponent& component) {
  TPersistent* const saved_ancestor = ancestor_;
  if (&component != root_) {
    // The ancestor of a component of the root is the ancestor root's
    // component of the same name.
    ancestor_ = root_ancestor_ && component.Owner() == root_ ? root_ancestor_->FindComponent(component.Name())
                                                              : nullptr;
  }
  component.SetState(csWriting, true);
  try {
    component.WriteState(*this);
  } catch (...) {
    component.SetState(csWriting, false);
    ancestor_ = saved_ancestor;
    throw;
  }
  component.SetState(csWriting, false);
  ancestor_ = saved_ancestor;
}

void TWriter::WriteData(TComponent& instance) {
  TFilerFlags flags;
  if (ancestor_) flags.Include(ffInherited);
  if (instance.ComponentState().Contains(csInline)) flags.Include(ffInline);
  WritePrefix(flags, 0);
  WriteStr(instance.ClassName());
  WriteStr(instance.Name());
  const String saved_path = prop_path_;
  prop_path_.clear();
  WriteProperties(instance);
  prop_path_ = saved_path;
  WriteListEnd();
  if (!IgnoreChildren()) {
    instance.GetChildren([this](TComponent* child) { WriteComponent(*child); }, root_);
  }
  WriteListEnd();
}

void TWriter::WriteProperties(const TPersistent& instance) {
  for (const TPropInfo* prop : instance.ClassType()->Properties()) {
    if (prop->IsStored(instance)) WriteProperty(instance, *prop);
  }
  const_cast<TPersistent&>(instance).DefineProperties(*this);
}

void TWriter::WriteProperty(const TPersistent& instance, const TPropInfo& prop) {
  // The ancestor counts only when it has this very property.
  const TPersistent* ancestor =
      ancestor_ && ancestor_->ClassType()->FindProperty(prop.Name()) == &prop ? ancestor_ : nullptr;
  const TTypeInfo& type = prop.PropType();
  if (prop.Kind() == tkClass) {
    WriteObjectProperty(instance, prop, ancestor);
    return;
  }
  if (!prop.HasSetter()) return;
  switch (prop.Kind()) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkEnumeration:
    case tkSet: {
      const int64_t value = GetOrdProp(instance, prop);
      if (ancestor ? value == GetOrdProp(*ancestor, prop) : prop.HasDefault() && value == prop.Default()) return;
      WritePropName(prop.Name());
      if (prop.Kind() == tkInteger) {
        String ident;
        const TIntToIdent to_ident = FindIntToIdent(type);
        if (to_ident && to_ident(static_cast<int32_t>(value), ident)) {
          WriteIdent(ident);
        } else {
          WriteInteger(static_cast<int32_t>(value));
        }
      } else if (prop.Kind() == tkEnumeration) {
        WriteIdent(GetEnumName(type, value));
      } else if (prop.Kind() == tkSet) {
        WriteSet(type, static_cast<uint32_t>(value));
      } else {
        WriteChar(static_cast<char16_t>(value));
      }
      return;
    }
    case tkInt64: {
      const int64_t value = GetInt64Prop(instance, prop);
      if (ancestor ? value == GetInt64Prop(*ancestor, prop) : value == (prop.HasDefault() ? prop.Default() : 0)) {
        return;
      }
      WritePropName(prop.Name());
      WriteInteger(value);
      return;
    }
    case tkFloat: {
      const double value = GetFloatProp(instance, prop);
      if (ancestor ? value == GetFloatProp(*ancestor, prop) : value == 0) return;
      WritePropName(prop.Name());
      if (type.FloatType() == ftSingle) {
        WriteSingle(static_cast<float>(value));
      } else if (type.FloatType() == ftCurr) {
        WriteCurrency(value);
      } else if (&type == &DateTimeTypeInfo()) {
        WriteDate(value);
      } else {
        WriteFloat(value);
      }
      return;
    }
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString: {
      const String value = GetStrProp(instance, prop);
      if (ancestor ? value == GetStrProp(*ancestor, prop) : value.empty()) return;
      WritePropName(prop.Name());
      WriteString(value);
      return;
    }
    case tkMethod: {
      const TMethod value = GetMethodProp(instance, prop);
      const String name = value.Code && value.Data == lookup_root_ && lookup_root_
                              ? lookup_root_->ClassType()->MethodName(value.Code)
                              : String();
      if (value.Code && name.empty()) return;  // not a published method of the root: cannot be streamed
      if (ancestor) {
        const TMethod old = GetMethodProp(*ancestor, prop);
        const String old_name = old.Code && old.Data ? old.Data->ClassType()->MethodName(old.Code) : String();
        if (SameText(old_name, name) && (old.Code == nullptr) == (value.Code == nullptr)) return;
      } else if (!value.Code) {
        return;
      }
      WritePropName(prop.Name());
      if (value.Code) {
        WriteIdent(name);
      } else {
        WriteValue(vaNil);
      }
      return;
    }
    default:
      return;  // kinds the form format does not carry
  }
}

void TWriter::WriteObjectProperty(const TPersistent& instance, const TPropInfo& prop, const TPersistent* ancestor) {
  TObject* value = GetObjectProp(instance, prop);
  TObject* ancestor_value = ancestor ? GetObjectProp(*ancestor, prop) : nullptr;
  auto* component = ObjectAs<TComponent>(value);
  const bool sub_component = component && component->ComponentStyle().Contains(csSubComponent);
  if (!prop.HasSetter() && !sub_component) return;

  if (component && !sub_component) {  // a reference to another component, by name
    const String reference = ComponentReference(component, lookup_root_);
    if (reference.empty()) return;
    if (ancestor && ancestor_value &&
        SameText(ComponentReference(ObjectAs<TComponent>(ancestor_value), root_ancestor_), reference)) {
      return;
    }
    WritePropName(prop.Name());
    WriteIdent(reference);
    return;
  }
  if (!value) {
    if (!ancestor_value) return;
    WritePropName(prop.Name());
    WriteValue(vaNil);
    return;
  }
  if (auto* collection = ObjectAs<TCollection>(value)) {
    const auto* ancestor_collection = ObjectAs<TCollection>(ancestor_value);
    if (ancestor && CollectionsEqual(*collection, ancestor_collection)) return;
    WritePropName(prop.Name());
    TPersistent* const saved_ancestor = ancestor_;
    ancestor_ = const_cast<TCollection*>(ancestor_collection);
    try {
      WriteCollection(*collection);
    } catch (...) {
      ancestor_ = saved_ancestor;
      throw;
    }
    ancestor_ = saved_ancestor;
    return;
  }
  if (auto* nested = ObjectAs<TPersistent>(value)) {  // nested properties, "Font.Name"
    const String saved_path = prop_path_;
    TPersistent* const saved_ancestor = ancestor_;
    prop_path_ += prop.Name() + u".";
    ancestor_ = ObjectAs<TPersistent>(ancestor_value);
    try {
      WriteProperties(*nested);
    } catch (...) {
      prop_path_ = saved_path;
      ancestor_ = saved_ancestor;
      throw;
    }
    prop_path_ = saved_path;
    ancestor_ = saved_ancestor;
  }
}

void TWriter::WriteCollection(const TCollection& collection) {
  const auto* ancestor = ObjectAs<TCollection>(ancestor_);
  TPersistent* const saved_ancestor = ancestor_;
  const String saved_path = prop_path_;
  prop_path_.clear();
  WriteValue(vaCollection);
  try {
    for (int32_t i = 0; i < collection.Count(); ++i) {
      ancestor_ = ancestor && i < ancestor->Count() ? ancestor->Items(i) : nullptr;
      WriteListBegin();
      WriteProperties(*collection.Items(i));
      WriteListEnd();
    }
  } catch (...) {
    ancestor_ = saved_ancestor;
    prop_path_ = saved_path;
    throw;
  }
  ancestor_ = saved_ancestor;
  prop_path_ = saved_path;
  WriteListEnd();
}

bool TWriter::CollectionsEqual(const TCollection& a, const TCollection* b) {
  if (!b || a.Count() != b->Count() || a.ClassType() != b->ClassType()) return false;
  auto image = [this](const TCollection& c) {
    TMemoryStream stream;
    TWriter writer(stream);
    writer.root_ = root_;
    writer.lookup_root_ = lookup_root_;
    writer.WriteCollection(c);
    return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
  };
  return image(a) == image(*b);
}

String TWriter::ComponentReference(const TComponent* component, const TComponent* lookup_root) {
  if (!component) return {};
  if (component->Owner() == lookup_root) return component->Name();
  if (component == lookup_root) return u"Owner";
  if (component->Owner() && !component->Owner()->Name().empty() && !component->Name().empty()) {
    return component->Owner()->Name() + u"." + component->Name();
  }
  if (!component->Name().empty()) return component->Name() + u".Owner";
  return {};
}

void TWriter::WriteSignature() { Write("TPF0", 4); }

void TWriter::WritePrefix(TFilerFlags flags, int32_t child_pos) {
  if (flags.Empty()) return;
  const uint8_t prefix = static_cast<uint8_t>(0xF0 | flags.Bits());
  Write(&prefix, 1);
  if (flags.Contains(ffChildPos)) WriteInteger(child_pos);
}

void TWriter::WriteValue(TValueType type) {
  const uint8_t byte = type;
  Write(&byte, 1);
}

void TWriter::WriteInteger(int32_t value) {
  if (value >= -128 && value <= 127) {
    WriteValue(vaInt8);
    WriteLittleEndian(*this, static_cast<int8_t>(value));
  } else if (value >= -32768 && value <= 32767) {
    WriteValue(vaInt16);
    WriteLittleEndian(*this, static_cast<int16_t>(value));
  } else {
    WriteValue(vaInt32);
    WriteLittleEndian(*this, value);
  }
}

void TWriter::WriteInteger(int64_t value) {
  if (value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max()) {
    WriteInteger(static_cast<int32_t>(value));
    return;
  }
  WriteValue(vaInt64);
  WriteLittleEndian(*this, value);
}

void TWriter::WriteFloat(double value) {
  WriteValue(vaExtended);
  uint8_t bytes[10];
  DoubleToExtended80(value, bytes);
  Write(bytes, 10);
}

void TWriter::WriteSingle(float value) {
  WriteValue(vaSingle);
  WriteFloatBits<float, uint32_t>(*this, value);
}

void TWriter::WriteDouble(double value) {
  WriteValue(vaDouble);
  WriteFloatBits<double, uint64_t>(*this, value);
}

void TWriter::WriteCurrency(double value) {
  const double scaled = std::nearbyint(value * 10000.0);
  // Currency holds a 64-bit integer of ten-thousandths; out-of-range values are refused.
  if (!(scaled >= -9.2233720368547758e18 && scaled < 9.2233720368547758e18)) {
    throw EWriteError(u"Currency value out of range");
  }
  WriteValue(vaCurrency);
  WriteLittleEndian(*this, static_cast<int64_t>(scaled));
}

void TWriter::WriteDate(double value) {
  WriteValue(vaDate);
  WriteFloatBits<double, uint64_t>(*this, value);
}

void TWriter::WriteString(StringView value) {
  if (IsAscii(value)) {
    if (value.size() <= 255) {
      WriteValue(vaString);
      const auto length = static_cast<uint8_t>(value.size());
      Write(&length, 1);
    } else {
      WriteValue(vaLString);
      WriteLittleEndian(*this, CheckedLength(value.size()));
    }
    std::string bytes(value.begin(), value.end());
    Write(bytes.data(), static_cast<int32_t>(bytes.size()));
    return;
  }
  if (!HasUnpairedSurrogate(value) && StringToUtf8(value).size() < value.size() * 2) {
    WriteUTF8String(value);
  } else {
    WriteWideString(value);
  }
}

void TWriter::WriteWideString(StringView value) {
  WriteValue(vaWString);
  WriteLittleEndian(*this, CheckedLength(value.size()));
  for (char16_t c : value) WriteLittleEndian(*this, static_cast<uint16_t>(c));
}

void TWriter::WriteUTF8String(StringView value) {
  const std::string utf8 = StringToUtf8(value);
  WriteValue(vaUTF8String);
  WriteLittleEndian(*this, CheckedLength(utf8.size()));
  Write(utf8.data(), static_cast<int32_t>(utf8.size()));
}

void TWriter::WriteIdent(StringView ident) {
  if (SameText(ident, u"False")) {
    WriteValue(vaFalse);
  } else if (SameText(ident, u"True")) {
    WriteValue(vaTrue);
  } else if (SameText(ident, u"Null")) {
    WriteValue(vaNull);
  } else if (SameText(ident, u"nil")) {
    WriteValue(vaNil);
  } else {
    WriteValue(vaIdent);
    WriteStr(ident);
  }
}

void TWriter::WriteSet(const TTypeInfo& set_type, uint32_t value) {
  WriteValue(vaSet);
  const auto& names = set_type.CompType()->EnumNames();
  for (size_t i = 0; i < names.size() && i < 32; ++i) {
    if ((value >> i) & 1u) WriteStr(names[i]);
  }
  WriteStr(u"");
}

void TWriter::WriteBinary(const TStreamProc& write) {
  TMemoryStream data;
  write(data);
  WriteValue(vaBinary);
  WriteLittleEndian(*this, CheckedLength(static_cast<size_t>(data.Size())));
  data.SaveToStream(Stream());
}

void TWriter::WriteStr(StringView value) {
  std::string utf8 = StringToUtf8(value);
  if (utf8.size() > 255) {
    size_t cut = 255;
    while (cut > 0 && (static_cast<uint8_t>(utf8[cut]) & 0xC0) == 0x80) --cut;  // keep whole characters
    utf8.resize(cut);
  }
  const auto length = static_cast<uint8_t>(utf8.size());
  Write(&length, 1);
  Write(utf8.data(), length);
}
