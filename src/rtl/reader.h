#pragma once
// TReader: reads components, properties and single values of the binary
// form format (filer.h). Malformed input raises EReadError ("Invalid stream
// format", "Invalid property value", "Stream read error", ...), EClassNotFound
// or the errors of the objects being set; a failed read destroys every
// component it created.

#include <functional>
#include <memory>
#include <vector>

#include "rtl/filer.h"

class TCollection;

class TReader : public TFiler {
  RD_CLASS(TReader, TFiler)
  explicit TReader(TStream& stream) : TFiler(stream) {}

  void DefineProperty(const String& name, const TReaderProc& read, const TWriterProc& write, bool has_data) override;
  void DefineBinaryProperty(const String& name, const TStreamProc& read, const TStreamProc& write,
                            bool has_data) override;

  // Reads a whole image into `root` (its class name in the stream is not
  // checked) or into a new instance of the registered class it names. The
  // components read are owned by the root; references between them are
  // resolved and every component read gets Loaded at the end.
  void ReadRootComponent(TComponent& root);
  std::unique_ptr<TComponent> ReadRootComponent();
  // Reads one component: into `component`, or a new one owned by Owner()
  // (or, with ffInherited, the Owner()'s existing component of that name).
  // Called on its own, it resolves references against Root() and calls
  // Loaded on what it read.
  TComponent* ReadComponent(TComponent* component);
  // Properties and children of `instance` (what ReadState does).
  void ReadData(TComponent& instance);
  // One "name value" pair; the name may be a dotted path through
  // object-valued properties. Errors get the message
  // "Error reading <component>.<property>: <message>".
  void ReadProperty(TPersistent& instance);
  // The value that follows, set into `prop` of `instance`.
  virtual void ReadPropValue(TPersistent& instance, const TPropInfo& prop);
  void ReadCollection(TCollection& collection);

  void ReadSignature();
  void ReadPrefix(TFilerFlags& flags, int32_t& child_pos);
  // The next value type; ReadValue raises "Invalid property value" for an
  // unknown one, NextValue only looks at the byte.
  TValueType ReadValue();
  TValueType NextValue();
  void CheckValue(TValueType type);
  void SkipValue();
  bool EndOfList() { return NextValue() == vaNull; }
  void ReadListBegin() { CheckValue(vaList); }
  void ReadListEnd() { CheckValue(vaNull); }
  // vaInt8/16/32 (ReadInteger), also vaInt64 (ReadInt64).
  int32_t ReadInteger();
  int64_t ReadInt64();
  bool ReadBoolean();
  // A one-character string.
  char16_t ReadChar();
  // Any float value or integer, as a double.
  double ReadFloat();
  double ReadSingle() { return ReadFloat(); }
  double ReadDouble() { return ReadFloat(); }
  double ReadDate() { return ReadFloat(); }
  // A currency value as a number of units (also accepts other floats).
  double ReadCurrency() { return ReadFloat(); }
  // Any string kind (vaString and vaLString bytes as Latin-1).
  String ReadString();
  String ReadWideString() { return ReadString(); }
  // vaIdent, or "False", "True", "nil", "Null" for their special values.
  String ReadIdent();
  // A set value; an unknown element name raises "Invalid property value".
  uint32_t ReadSet(const TTypeInfo& set_type);
  // A length byte and that many bytes of UTF-8.
  String ReadStr();
  void Read(void* buffer, int32_t count) { Stream().ReadBuffer(buffer, count); }

  // The name of the property being read; DefineProperty compares with it
  // and clears it once a defined property consumed the value.
  const String& PropName() const { return prop_name_; }
  void SetPropName(String name) { prop_name_ = std::move(name); }
  TComponent* Owner() const { return owner_; }
  void SetOwner(TComponent* owner) { owner_ = owner; }
  TComponent* Parent() const { return parent_; }
  void SetParent(TComponent* parent) { parent_ = parent; }

  // Asked before an unknown property raises "Property %s does not exist":
  // setting `handled` skips the value and goes on.
  std::function<void(TReader& reader, const String& message, bool& handled)> OnError;

 protected:
  // True when the error is handled (OnError) and reading may go on.
  virtual bool Error(const String& message);
  [[noreturn]] void PropValueError();

 private:
  struct Fixup {
    TComponent* component;  // the component being read, owner of `instance`
    TPersistent* instance;
    const TPropInfo* prop;
    String reference;
  };
  void ReadRootInto(TComponent& root);
  void PropertyError(const String& name);
  void ReadObjectValue(TPersistent& instance, const TPropInfo& prop);
  void ReadMethodValue(TPersistent& instance, const TPropInfo& prop);
  int32_t ReadLength();
  void ResolveFixups();
  void FinishLoading();
  void DestroyCreatedFrom(size_t first);

  String prop_name_;
  TComponent* owner_ = nullptr;
  TComponent* parent_ = nullptr;
  TComponent* current_ = nullptr;  // component whose properties are being read
  std::vector<TComponent*> loaded_;
  std::vector<TComponent*> created_;
  std::vector<Fixup> fixups_;
  int depth_ = 0;
  int property_depth_ = 0;
  bool error_wrapped_ = false;
  bool reading_root_ = false;
};
