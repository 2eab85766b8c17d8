#include "rtl/reader.h"

#include <algorithm>
#include <cstring>

#include "rtl/collections.h"
#include "rtl/extended80.h"
#include "rtl/sysutils.h"

RD_DEFINE_CLASS(TReader)

namespace {

// Deeper nesting of lists, collections or components than this is taken
// for a damaged stream (and keeps malformed input from exhausting the stack).
constexpr int kMaxDepth = 200;

[[noreturn]] void InvalidStream() { throw EReadError(u"Invalid stream format"); }

template <class T>
T ReadLittleEndian(TReader& r) {
  uint8_t bytes[sizeof(T)];
  r.Read(bytes, sizeof(T));
  std::make_unsigned_t<T> bits = 0;
  for (size_t i = 0; i < sizeof(T); ++i) bits |= static_cast<std::make_unsigned_t<T>>(bytes[i]) << (8 * i);
  return static_cast<T>(bits);
}

template <class F, class U>
F ReadFloatBits(TReader& r) {
  const U bits = ReadLittleEndian<U>(r);
  F value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

String ReadLatin1(TReader& r, int32_t count) {
  std::string bytes(static_cast<size_t>(count), '\0');
  r.Read(bytes.data(), count);
  String s(bytes.size(), u'\0');
  std::transform(bytes.begin(), bytes.end(), s.begin(), [](char c) { return static_cast<uint8_t>(c); });
  return s;
}

class DepthGuard {
 public:
  explicit DepthGuard(int& depth) : depth_(depth) {
    if (++depth_ > kMaxDepth) {
      --depth_;
      InvalidStream();
    }
  }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  int& depth_;
};

}  // namespace

void TReader::DefineProperty(const String& name, const TReaderProc& read, const TWriterProc&, bool) {
  if (prop_name_.empty() || !read || !SameText(name, prop_name_)) return;
  read(*this);
  prop_name_.clear();
}

void TReader::DefineBinaryProperty(const String& name, const TStreamProc& read, const TStreamProc&, bool) {
  if (prop_name_.empty() || !read || !SameText(name, prop_name_)) return;
  CheckValue(vaBinary);
  const int32_t count = ReadLength();
  TMemoryStream data;
  data.SetSize(count);
  Read(data.Memory(), count);
  data.SetPosition(0);
  read(data);
  prop_name_.clear();
}

// ---- Components

void TReader::ReadRootComponent(TComponent& root) { ReadRootInto(root); }

std::unique_ptr<TComponent> TReader::ReadRootComponent() {
  const int64_t start = Stream().Position();
  ReadSignature();
  TFilerFlags flags;
  int32_t child_pos;
  ReadPrefix(flags, child_pos);
  const String class_name = ReadStr();
  TClass cls = FindClass(class_name);
  if (!cls->InheritsFrom(&TComponent::StaticClass()) || !cls->CanCreate()) InvalidStream();
  std::unique_ptr<TObject> object = cls->Create();
  std::unique_ptr<TComponent> root(static_cast<TComponent*>(object.release()));
  Stream().SetPosition(start);
  ReadRootInto(*root);
  return root;
}

void TReader::ReadRootInto(TComponent& root) {
  ReadSignature();
  TFilerFlags flags;
  int32_t child_pos;
  ReadPrefix(flags, child_pos);
  ReadStr();  // the class name: the caller chose the root
  const String name = ReadStr();
  root_ = &root;
  lookup_root_ = &root;
  owner_ = &root;
  parent_ = nullptr;
  loaded_.clear();
  created_.clear();
  fixups_.clear();
  root.SetState(csLoading, true);
  root.SetState(csReading, true);
  reading_root_ = true;
  try {
    root.SetName(name);
    TComponent* const saved_current = current_;
    current_ = &root;
    root.ReadState(*this);
    current_ = saved_current;
    root.SetState(csReading, false);
    loaded_.insert(loaded_.begin(), &root);
    ResolveFixups();
  } catch (...) {
    reading_root_ = false;
    DestroyCreatedFrom(0);
    fixups_.clear();
    loaded_.clear();
    root.SetState(csReading, false);
    root.SetState(csLoading, false);
    throw;
  }
  reading_root_ = false;
  FinishLoading();
}

void TReader::FinishLoading() {
  std::vector<TComponent*> loaded = std::move(loaded_);
  loaded_.clear();
  created_.clear();
  for (TComponent* c : loaded) c->Loaded();
}

TComponent* TReader::ReadComponent(TComponent* component) {
  // Called on its own (not inside a root or another component), it also
  // resolves references and calls Loaded at the end.
  const bool outermost = depth_ == 0 && !reading_root_;
  DepthGuard depth(depth_);
  TFilerFlags flags;
  int32_t child_pos;
  ReadPrefix(flags, child_pos);
  const String class_name = ReadStr();
  const String name = ReadStr();
  const size_t first_created = created_.size();
  TComponent* result = component;
  if (!result) {
    TComponent* owner = owner_ ? owner_ : root_;
    if (!owner) throw EInvalidOperation(u"A component is read without owner");
    if (flags.Contains(ffInherited)) {
      result = owner->FindComponent(name);
      if (!result) throw EReadError(Format(u"Ancestor for '%s' not found", {name}));
    } else {
      TClass cls = FindClass(class_name);
      if (!cls->InheritsFrom(&TComponent::StaticClass()) || !cls->CanCreate()) InvalidStream();
      result = CreateComponent(cls, *owner);
      created_.push_back(result);
    }
  }
  TComponent* const saved_current = current_;
  try {
    result->SetState(csLoading, true);
    result->SetState(csReading, true);
    if (!flags.Contains(ffInherited)) result->SetName(name);
    if (flags.Contains(ffInline)) result->SetState(csInline, true);
    if (parent_) {
      result->SetParentComponent(parent_);
      if (flags.Contains(ffChildPos)) parent_->SetChildOrder(result, child_pos);
    }
    current_ = result;
    result->ReadState(*this);
    current_ = saved_current;
    result->SetState(csReading, false);
    if (std::find(loaded_.begin(), loaded_.end(), result) == loaded_.end()) loaded_.push_back(result);
    if (outermost) ResolveFixups();
  } catch (...) {
    current_ = saved_current;
    result->SetState(csReading, false);
    if (outermost) result->SetState(csLoading, false);
    DestroyCreatedFrom(first_created);
    if (outermost) {
      fixups_.clear();
      loaded_.clear();
    }
    throw;
  }
  if (outermost) FinishLoading();
  return result;
}

void TReader::DestroyCreatedFrom(size_t first) {
  // Last created first: a component is never owned by one created after it.
  while (created_.size() > first) {
    TComponent* c = created_.back();
    created_.pop_back();
    std::erase(loaded_, c);
    std::erase_if(fixups_, [c](const Fixup& f) { return f.component == c; });
    delete c;
  }
}

void TReader::ReadData(TComponent& instance) {
  while (!EndOfList()) ReadProperty(instance);
  ReadListEnd();
  TComponent* const saved_owner = owner_;
  TComponent* const saved_parent = parent_;
  if (TComponent* child_owner = instance.GetChildOwner()) owner_ = child_owner;
  parent_ = instance.GetChildParent();
  try {
    while (!EndOfList()) ReadComponent(nullptr);
    ReadListEnd();
  } catch (...) {
    owner_ = saved_owner;
    parent_ = saved_parent;
    throw;
  }
  owner_ = saved_owner;
  parent_ = saved_parent;
}

void TReader::ResolveFixups() {
  if (!root_) {
    fixups_.clear();
    return;
  }
  for (const Fixup& f : fixups_) {
    TComponent* target = nullptr;
    StringView ref = f.reference;
    if (SameText(ref, u"Owner")) {
      target = root_;
    } else if (ref.find(u'.') == StringView::npos) {
      target = root_->FindComponent(ref);
      if (!target && SameText(ref, root_->Name())) target = root_;
    } else {
      // "Form.Component": a component of this root named with the root's name.
      const size_t dot = ref.find(u'.');
      if (SameText(ref.substr(0, dot), root_->Name())) target = root_->FindComponent(ref.substr(dot + 1));
    }
    // References to components outside this image stay unset.
    if (target) SetObjectProp(*f.instance, *f.prop, target);
  }
  fixups_.clear();
}

// ---- Properties

void TReader::ReadProperty(TPersistent& instance) {
  if (property_depth_ == 0) error_wrapped_ = false;
  DepthGuard depth(property_depth_);
  const String path = ReadStr();
  try {
    TPersistent* target = &instance;
    size_t start = 0;
    for (;;) {
      const size_t dot = path.find(u'.', start);
      prop_name_ = path.substr(start, dot == String::npos ? String::npos : dot - start);
      const TPropInfo* prop = target->ClassType()->FindProperty(prop_name_);
      if (dot == String::npos) {
        if (prop) {
          ReadPropValue(*target, *prop);
        } else {
          // Not published: maybe one of the object's defined properties.
          target->DefineProperties(*this);
          if (!prop_name_.empty()) PropertyError(prop_name_);
        }
        break;
      }
      auto* next = prop && prop->Kind() == tkClass ? ObjectAs<TPersistent>(GetObjectProp(*target, *prop)) : nullptr;
      if (!next) {
        PropertyError(prop_name_);
        break;
      }
      target = next;
      start = dot + 1;
    }
  } catch (Exception& e) {
    if (!error_wrapped_) {
      error_wrapped_ = true;
      const auto* component = ObjectAs<TComponent>(&instance);
      const String owner_name = component ? component->Name() : instance.ClassName();
      e.SetMessage(Format(u"Error reading %s%s%s: %s", {owner_name, u".", path, e.Message()}));
    }
    throw;
  }
}

void TReader::PropertyError(const String& name) {
  SkipValue();
  const String message = Format(u"Property %s does not exist", {name});
  if (!Error(message)) throw EReadError(message);
}

bool TReader::Error(const String& message) {
  bool handled = false;
  if (OnError) OnError(*this, message, handled);
  return handled;
}

void TReader::PropValueError() { throw EReadError(u"Invalid property value"); }

void TReader::ReadPropValue(TPersistent& instance, const TPropInfo& prop) {
  if (!prop.HasSetter()) {
    auto* sub = prop.Kind() == tkClass ? ObjectAs<TComponent>(GetObjectProp(instance, prop)) : nullptr;
    if (!sub || !sub->ComponentStyle().Contains(csSubComponent)) throw EReadError(u"Property is read-only");
  }
  const TTypeInfo& type = prop.PropType();
  switch (prop.Kind()) {
    case tkInteger:
      if (NextValue() == vaIdent) {
        const String ident = ReadIdent();
        int32_t value;
        const TIdentToInt to_int = FindIdentToInt(type);
        if (!to_int || !to_int(ident, value)) PropValueError();
        SetOrdProp(instance, prop, value);
      } else {
        SetOrdProp(instance, prop, ReadInteger());
      }
      return;
    case tkChar:
    case tkWChar:
      SetOrdProp(instance, prop, ReadChar());
      return;
    case tkEnumeration: {
      const int32_t value = GetEnumValue(type, ReadIdent());
      if (value < 0) PropValueError();
      SetOrdProp(instance, prop, value);
      return;
    }
    case tkSet:
      SetOrdProp(instance, prop, ReadSet(type));
      return;
    case tkFloat:
      SetFloatProp(instance, prop, ReadFloat());
      return;
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString:
      SetStrProp(instance, prop, ReadString());
      return;
    case tkInt64:
      SetInt64Prop(instance, prop, ReadInt64());
      return;
    case tkMethod:
      ReadMethodValue(instance, prop);
      return;
    case tkClass:
      ReadObjectValue(instance, prop);
      return;
    default:
      SkipValue();
      PropValueError();
  }
}

void TReader::ReadMethodValue(TPersistent& instance, const TPropInfo& prop) {
  if (NextValue() == vaNil) {
    ReadValue();
    SetMethodProp(instance, prop, {});
    return;
  }
  const String name = ReadIdent();
  const TMethodInfo* method = root_ ? root_->ClassType()->FindMethod(name) : nullptr;
  if (!method) throw EMethodNotFound(Format(u"Method %s not found", {name}));
  if (method->Signature != prop.PropType().MethodSignature()) PropValueError();
  SetMethodProp(instance, prop, {method->Code, root_});
}

void TReader::ReadObjectValue(TPersistent& instance, const TPropInfo& prop) {
  switch (NextValue()) {
    case vaNil:
      ReadValue();
      SetObjectProp(instance, prop, nullptr);
      return;
    case vaCollection: {
      ReadValue();
      auto* collection = ObjectAs<TCollection>(GetObjectProp(instance, prop));
      if (!collection) PropValueError();
      ReadCollection(*collection);
      return;
    }
    case vaIdent: {
      String reference = ReadIdent();
      // Resolved once the whole image is read (the component may come later).
      if (root_) fixups_.push_back({current_, &instance, &prop, std::move(reference)});
      return;
    }
    default:
      PropValueError();
  }
}

void TReader::ReadCollection(TCollection& collection) {
  DepthGuard depth(depth_);
  collection.BeginUpdate();
  try {
    if (!EndOfList()) collection.Clear();
    while (!EndOfList()) {
      const TValueType next = NextValue();
      if (next == vaInt8 || next == vaInt16 || next == vaInt32) ReadInteger();  // stored order, not used
      TCollectionItem* item = collection.Add();
      ReadListBegin();
      while (!EndOfList()) ReadProperty(*item);
      ReadListEnd();
    }
    ReadListEnd();
  } catch (...) {
    collection.EndUpdate();
    throw;
  }
  collection.EndUpdate();
}

// ---- Values

void TReader::ReadSignature() {
  char signature[4];
  Read(signature, 4);
  if (std::memcmp(signature, "TPF0", 4) != 0) InvalidStream();
}

void TReader::ReadPrefix(TFilerFlags& flags, int32_t& child_pos) {
  flags = {};
  child_pos = 0;
  const int64_t at = Stream().Position();
  uint8_t prefix;
  Read(&prefix, 1);
  if ((prefix & 0xF0) != 0xF0) {
    Stream().SetPosition(at);
    return;
  }
  flags = TFilerFlags::FromBits(prefix & 0x07);
  if (flags.Contains(ffChildPos)) child_pos = ReadInteger();
}

TValueType TReader::ReadValue() {
  uint8_t type;
  Read(&type, 1);
  if (type > kLastValueType) PropValueError();
  return static_cast<TValueType>(type);
}

TValueType TReader::NextValue() {
  // Not checked: a component prefix (0xF0 and up) may follow a list.
  uint8_t type;
  Read(&type, 1);
  Stream().Seek(-1, soCurrent);
  return static_cast<TValueType>(type);
}

void TReader::CheckValue(TValueType type) {
  if (ReadValue() != type) {
    Stream().Seek(-1, soCurrent);
    SkipValue();
    PropValueError();
  }
}

int32_t TReader::ReadLength() {
  const int32_t count = ReadLittleEndian<int32_t>(*this);
  // A length past the end of the stream is a damaged stream, not a reason to
  // allocate whatever it says.
  if (count < 0 || count > Stream().Size() - Stream().Position()) throw EReadError(u"Stream read error");
  return count;
}

void TReader::SkipValue() {
  DepthGuard depth(depth_);
  auto skip = [this](int64_t count) { Stream().Seek(count, soCurrent); if (Stream().Position() > Stream().Size()) throw EReadError(u"Stream read error"); };
  switch (ReadValue()) {
    case vaNull: case vaFalse: case vaTrue: case vaNil:
      return;
    case vaList:
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      return;
    case vaInt8: skip(1); return;
    case vaInt16: skip(2); return;
    case vaInt32: case vaSingle: skip(4); return;
    case vaInt64: case vaDouble: case vaDate: case vaCurrency: skip(8); return;
    case vaExtended: skip(10); return;
    case vaString: case vaIdent: ReadStr(); return;
    case vaLString: case vaUTF8String: case vaBinary: skip(ReadLength()); return;
    case vaWString: {
      const int32_t count = ReadLength();
      skip(int64_t{count} * 2);
      return;
    }
    case vaSet:
      while (!ReadStr().empty()) {}
      return;
    case vaCollection:
      while (!EndOfList()) {
        const TValueType next = NextValue();
        if (next == vaInt8 || next == vaInt16 || next == vaInt32) SkipValue();
        ReadListBegin();
        while (!EndOfList()) {
          ReadStr();
          SkipValue();
        }
        ReadListEnd();
      }
      ReadListEnd();
      return;
  }
}

int32_t TReader::ReadInteger() {
  switch (ReadValue()) {
    case vaInt8: return ReadLittleEndian<int8_t>(*this);
    case vaInt16: return ReadLittleEndian<int16_t>(*this);
    case vaInt32: return ReadLittleEndian<int32_t>(*this);
    default:
      Stream().Seek(-1, soCurrent);
      SkipValue();
      PropValueError();
  }
}

int64_t TReader::ReadInt64() {
  if (NextValue() == vaInt64) {
    ReadValue();
    return ReadLittleEndian<int64_t>(*this);
  }
  return ReadInteger();
}

bool TReader::ReadBoolean() {
  const TValueType type = ReadValue();
  if (type != vaTrue && type != vaFalse) {
    Stream().Seek(-1, soCurrent);
    SkipValue();
    PropValueError();
  }
  return type == vaTrue;
}

char16_t TReader::ReadChar() {
  const String s = ReadString();
  if (s.size() != 1) PropValueError();
  return s[0];
}

double TReader::ReadFloat() {
  switch (NextValue()) {
    case vaExtended: {
      ReadValue();
      uint8_t bytes[10];
      Read(bytes, 10);
      return Extended80ToDouble(bytes);
    }
    case vaSingle: ReadValue(); return ReadFloatBits<float, uint32_t>(*this);
    case vaDouble: case vaDate: ReadValue(); return ReadFloatBits<double, uint64_t>(*this);
    case vaCurrency: ReadValue(); return static_cast<double>(ReadLittleEndian<int64_t>(*this)) / 10000.0;
    default: return static_cast<double>(ReadInt64());
  }
}

String TReader::ReadString() {
  switch (ReadValue()) {
    case vaString: {
      uint8_t length;
      Read(&length, 1);
      return ReadLatin1(*this, length);
    }
    case vaLString:
      return ReadLatin1(*this, ReadLength());
    case vaUTF8String: {
      const int32_t count = ReadLength();
      std::string bytes(static_cast<size_t>(count), '\0');
      Read(bytes.data(), count);
      return Utf8ToString(bytes);
    }
    case vaWString: {
      const int32_t count = ReadLength();
      if (count > (Stream().Size() - Stream().Position()) / 2) throw EReadError(u"Stream read error");
      String s(static_cast<size_t>(count), u'\0');
      for (char16_t& c : s) c = static_cast<char16_t>(ReadLittleEndian<uint16_t>(*this));
      return s;
    }
    default:
      Stream().Seek(-1, soCurrent);
      SkipValue();
      PropValueError();
  }
}

String TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent: return ReadStr();
    case vaFalse: return u"False";
    case vaTrue: return u"True";
    case vaNil: return u"nil";
    case vaNull: return u"Null";
    default:
      Stream().Seek(-1, soCurrent);
      SkipValue();
      PropValueError();
  }
}

uint32_t TReader::ReadSet(const TTypeInfo& set_type) {
  CheckValue(vaSet);
  uint32_t bits = 0;
  for (;;) {
    const String name = ReadStr();
    if (name.empty()) return bits;
    const int32_t value = GetEnumValue(*set_type.CompType(), name);
    if (value < 0 || value >= 32) {
      while (!ReadStr().empty()) {}
      PropValueError();
    }
    bits |= 1u << value;
  }
}

String TReader::ReadStr() {
  uint8_t length;
  Read(&length, 1);
  std::string bytes(length, '\0');
  Read(bytes.data(), length);
  return Utf8ToString(bytes);
}
