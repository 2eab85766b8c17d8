#pragma once
// TWriter: writes components, their published and defined properties and
// single values in the binary form format (filer.h).

#include "rtl/filer.h"

class TCollection;

class TWriter : public TFiler {
  RD_CLASS(TWriter, TFiler)
  explicit TWriter(TStream& stream) : TFiler(stream) {}

  void DefineProperty(const String& name, const TReaderProc& read, const TWriterProc& write, bool has_data) override;
  void DefineBinaryProperty(const String& name, const TStreamProc& read, const TStreamProc& write,
                            bool has_data) override;

  // "TPF0" and `root` with its children; against `ancestor` only what differs
  // from the ancestor (and its components of the same names) is written.
  void WriteRootComponent(TComponent& root) { WriteDescendent(root, nullptr); }
  void WriteDescendent(TComponent& root, TComponent* ancestor);
  // One component and its children (through its WriteState).
  void WriteComponent(TComponent& component);
  // Header, properties and children of `instance` (what WriteState does).
  void WriteData(TComponent& instance);
  // The stored published properties of `instance` that differ from their
  // default (or from the ancestor), then its defined properties.
  void WriteProperties(const TPersistent& instance);
  void WriteProperty(const TPersistent& instance, const TPropInfo& prop);
  void WriteCollection(const TCollection& collection);

  void WriteSignature();
  void WritePrefix(TFilerFlags flags, int32_t child_pos);
  void WriteValue(TValueType type);
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  // The smallest of vaInt8, vaInt16, vaInt32 (and vaInt64) that holds the value.
  void WriteInteger(int32_t value);
  void WriteInteger(int64_t value);
  void WriteBoolean(bool value) { WriteValue(value ? vaTrue : vaFalse); }
  void WriteChar(char16_t value) { WriteString(StringView(&value, 1)); }
  void WriteFloat(double value);     // vaExtended
  void WriteSingle(float value);     // vaSingle
  void WriteDouble(double value);    // vaDouble
  void WriteCurrency(double value);  // vaCurrency: value * 10000 as a 64-bit integer
  void WriteDate(double value);      // vaDate
  // Shortest form: ASCII as vaString (up to 255) or vaLString, other text as
  // vaUTF8String when that is shorter than vaWString, else vaWString.
  void WriteString(StringView value);
  void WriteWideString(StringView value);
  void WriteUTF8String(StringView value);
  // "False", "True", "nil" and "Null" (any case) become vaFalse, vaTrue,
  // vaNil, vaNull; anything else vaIdent.
  void WriteIdent(StringView ident);
  // vaSet, the names of the elements present, an empty name.
  void WriteSet(const TTypeInfo& set_type, uint32_t value);
  // vaBinary with the bytes `write` puts into a stream.
  void WriteBinary(const TStreamProc& write);
  // A length byte and up to 255 bytes of UTF-8 (cut at a character boundary).
  void WriteStr(StringView value);
  void Write(const void* buffer, int32_t count) { Stream().WriteBuffer(buffer, count); }

  // The dotted prefix of the property being written ("Font." inside Font).
  const String& PropPath() const { return prop_path_; }
  TComponent* RootAncestor() const { return root_ancestor_; }

 private:
  void WritePropName(const String& name) { WriteStr(prop_path_ + name); }
  void WriteObjectProperty(const TPersistent& instance, const TPropInfo& prop, const TPersistent* ancestor);
  bool CollectionsEqual(const TCollection& a, const TCollection* b);
  // The name a reference to `component` is written as, seen from `lookup_root`.
  static String ComponentReference(const TComponent* component, const TComponent* lookup_root);

  String prop_path_;
  TComponent* root_ancestor_ = nullptr;
};
