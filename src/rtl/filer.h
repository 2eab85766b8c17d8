#pragma once
// TFiler: what the form reader and writer share. The binary form format:
//
//   image      = "TPF0" component
//   component  = [prefix] class-name object-name property* vaNull component* vaNull
//   prefix     = byte 0xF0 | flags, then an integer value when ffChildPos is set
//   property   = name value                      (names are length-prefixed UTF-8)
//   value      = value-type byte + data          (TValueType below; integers and
//                floats little-endian, extended as 10-byte x87 format)
//
// Published properties are found through the RTTI; an object's other data
// travels as defined properties (DefineProperty / DefineBinaryProperty),
// which a TPersistent declares in DefineProperties for both directions.

#include <cstdint>
#include <functional>

#include "rtl/classes.h"
#include "rtl/streams.h"

enum TValueType : uint8_t {
  vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse, vaTrue, vaBinary,
  vaSet, vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate, vaWString, vaInt64, vaUTF8String,
  vaDouble
};
constexpr TValueType kLastValueType = vaDouble;

RD_ENUM(TFilerFlag, ffInherited, ffChildPos, ffInline)
using TFilerFlags = TSet<TFilerFlag>;

using TReaderProc = std::function<void(TReader& reader)>;
using TWriterProc = std::function<void(TWriter& writer)>;
using TStreamProc = std::function<void(TStream& stream)>;

class TFiler : public TObject {
  RD_CLASS(TFiler, TObject)
  explicit TFiler(TStream& stream) : stream_(&stream) {}

  TStream& Stream() const { return *stream_; }
  // The component being read or written as a whole (a form).
  TComponent* Root() const { return root_; }
  void SetRoot(TComponent* root) { root_ = root; }
  // The component whose owned components references are resolved against.
  TComponent* LookupRoot() const { return lookup_root_; }
  // The object being written is compared with this one (inherited forms):
  // only what differs is written. nullptr when there is none.
  TPersistent* Ancestor() const { return ancestor_; }
  void SetAncestor(TPersistent* ancestor) { ancestor_ = ancestor; }
  bool IgnoreChildren() const { return ignore_children_; }
  void SetIgnoreChildren(bool value) { ignore_children_ = value; }

  // A property with its own reader and writer. Writing: written (name, then
  // what `write` writes) only when `has_data`. Reading: `read` is called when
  // `name` is the property being read (ignoring case).
  virtual void DefineProperty(const String& name, const TReaderProc& read, const TWriterProc& write,
                              bool has_data) = 0;
  // A property whose value is raw bytes (vaBinary): `write` writes them to a
  // stream, `read` gets a stream over exactly the stored bytes.
  virtual void DefineBinaryProperty(const String& name, const TStreamProc& read, const TStreamProc& write,
                                    bool has_data) = 0;

 protected:
  TComponent* root_ = nullptr;
  TComponent* lookup_root_ = nullptr;
  TPersistent* ancestor_ = nullptr;

 private:
  TStream* stream_;
  bool ignore_children_ = false;
};
