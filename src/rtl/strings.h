#pragma once
// TStrings: the framework's abstract list of strings, each with an optional
// object. Derived classes supply the storage (Get, GetCount, Insert, Delete,
// Clear and, when they keep objects, GetObject/PutObject); everything else -
// name=value access, text, delimited text, searching, loading and saving in
// an encoding - is built here on those operations and on CompareStrings, the
// one virtual every search and sort compares with.
//
// Lines of the form name=value: the separator is NameValueSeparator ("=" by
// default); the name is the text before its first occurrence. A line without
// the separator has no name and no value.

#include <cstdint>

#include "rtl/classes.h"
#include "rtl/encoding.h"
#include "rtl/ustring.h"

class TStream;

class TStrings : public TPersistent {
  RD_CLASS(TStrings, TPersistent)

 public:
  ~TStrings() override = default;

  // ---- storage (the derived class's part)
  virtual String Get(int32_t index) const = 0;
  virtual int32_t GetCount() const = 0;
  virtual TObject* GetObject(int32_t index) const;  // nullptr unless overridden
  // Default: keeps the object, deletes the line and inserts `s` with it.
  virtual void Put(int32_t index, const String& s);
  virtual void PutObject(int32_t index, TObject* object);  // ignored unless overridden
  virtual void Insert(int32_t index, const String& s) = 0;
  virtual void InsertObject(int32_t index, const String& s, TObject* object);
  virtual void Delete(int32_t index) = 0;
  virtual void Clear() = 0;

  // ---- adding, searching, moving
  // Returns the index of the new line (or, in a sorted list that ignores a
  // duplicate, of the existing one).
  virtual int32_t Add(const String& s);
  virtual int32_t AddObject(const String& s, TObject* object);
  void AddStrings(const TStrings& strings);
  // From another TStrings: replaces the content with its lines and object
  // pointers (the objects are shared, not copied) and takes its separator,
  // delimiter, quote, line break and default encoding. Other sources go to
  // TPersistent's rule.
  void Assign(const TPersistent* source) override;
  // Streams the lines as the defined property "Strings", a list of strings,
  // written when there are lines (or, against an ancestor, when they differ).
  void DefineProperties(TFiler& filer) override;
  virtual int32_t IndexOf(StringView s) const;
  virtual int32_t IndexOfName(StringView name) const;
  int32_t IndexOfObject(const TObject* object) const;
  virtual void Exchange(int32_t index1, int32_t index2);
  virtual void Move(int32_t current_index, int32_t new_index);
  // Same count and the same lines in order (ordinal, objects not compared).
  bool Equals(const TStrings& other) const;

  int32_t Count() const { return GetCount(); }
  String Strings(int32_t index) const { return Get(index); }
  TObject* Objects(int32_t index) const { return GetObject(index); }

  // ---- name=value
  char16_t NameValueSeparator() const { return name_value_separator_; }
  void SetNameValueSeparator(char16_t separator) { name_value_separator_ = separator; }
  // Name part of a line; empty when the line has no separator.
  String Names(int32_t index) const;
  // Value part of a line; empty when the line has no separator.
  String ValueFromIndex(int32_t index) const;
  // Makes line `index` Names(index) + separator + value; an empty value
  // deletes the line.
  void SetValueFromIndex(int32_t index, StringView value);
  // The value of the first line named `name`; empty when there is none.
  String Values(StringView name) const;
  // Sets the value of the line named `name`, adding the line when missing;
  // an empty value deletes the line.
  void SetValue(StringView name, StringView value);

  // ---- text
  // Every line followed by LineBreak (CR LF by default).
  String Text() const { return GetTextStr(); }
  // Splits at CR LF, CR or LF; a break at the very end adds no empty line.
  void SetText(StringView text) { SetTextStr(text); }
  const String& LineBreak() const { return line_break_; }
  void SetLineBreak(StringView line_break) { line_break_ = String(line_break); }

  // Lines joined by Delimiter; a line holding the quote character, the
  // delimiter or (unless StrictDelimiter) characters of code 32 or less is
  // quoted with QuoteChar, inner quotes doubled. Reading splits at the
  // delimiter and (unless StrictDelimiter) at blanks, and unquotes.
  String DelimitedText() const;
  void SetDelimitedText(StringView text);
  char16_t Delimiter() const { return delimiter_; }
  void SetDelimiter(char16_t delimiter) { delimiter_ = delimiter; }
  char16_t QuoteChar() const { return quote_char_; }
  void SetQuoteChar(char16_t quote) { quote_char_ = quote; }
  bool StrictDelimiter() const { return strict_delimiter_; }
  void SetStrictDelimiter(bool strict) { strict_delimiter_ = strict; }
  // Delimited text with "," and '"', not strict, whatever the properties say.
  String CommaText() const;
  void SetCommaText(StringView text);

  // ---- change bracketing
  // While the count is above 0, derived lists hold back their change events.
  void BeginUpdate();
  void EndUpdate();
  int32_t UpdateCount() const { return update_count_; }

  // ---- loading and saving
  // Reads from the stream's position to its end. With `encoding` null the
  // byte-order mark decides, DefaultEncoding() serving without one; the
  // encoding used is remembered in Encoding().
  virtual void LoadFromStream(TStream& stream, const TEncoding* encoding = nullptr);
  // Writes Text in `encoding`, or else in Encoding(), or else in
  // DefaultEncoding(); the byte-order mark first when WriteBOM() is set.
  virtual void SaveToStream(TStream& stream, const TEncoding* encoding = nullptr) const;
  void LoadFromFile(const String& file_name, const TEncoding* encoding = nullptr);
  void SaveToFile(const String& file_name, const TEncoding* encoding = nullptr) const;
  const TEncoding* Encoding() const { return encoding_; }
  const TEncoding& DefaultEncoding() const { return *default_encoding_; }
  void SetDefaultEncoding(const TEncoding& encoding) { default_encoding_ = &encoding; }
  bool WriteBOM() const { return write_bom_; }
  void SetWriteBOM(bool write_bom) { write_bom_ = write_bom; }

 protected:
  TStrings() = default;

  // Ordinal compare with AnsiCompareText's case folding; string lists that
  // know their case rule override it.
  virtual int32_t CompareStrings(StringView a, StringView b) const;
  // Called with true when the first BeginUpdate opens a bracket and with
  // false when the last EndUpdate closes it.
  virtual void SetUpdateState(bool updating);
  virtual String GetTextStr() const;
  virtual void SetTextStr(StringView text);
  // Raises EStringListError with `format` (holding one %d) and `data`.
  [[noreturn]] static void Error(const char16_t* format, int32_t data);
  // Position of the first NameValueSeparator in `line`, or npos.
  size_t SeparatorPos(StringView line) const { return line.find(name_value_separator_); }

 private:
  String DelimitedTextWith(char16_t delimiter, char16_t quote, bool strict) const;
  void SetDelimitedTextWith(StringView text, char16_t delimiter, char16_t quote, bool strict);

  int32_t update_count_ = 0;
  char16_t name_value_separator_ = u'=';
  char16_t delimiter_ = u',';
  char16_t quote_char_ = u'"';
  bool strict_delimiter_ = false;
  bool write_bom_ = true;
  String line_break_ = u"\r\n";
  const TEncoding* encoding_ = nullptr;
  const TEncoding* default_encoding_ = &TEncoding::Default();
};

// Holds a BeginUpdate/EndUpdate bracket for a scope, so that an error inside
// still closes it.
class [[nodiscard]] TStringsUpdate {
 public:
  explicit TStringsUpdate(TStrings& strings) : strings_(strings) { strings_.BeginUpdate(); }
  ~TStringsUpdate() { strings_.EndUpdate(); }
  TStringsUpdate(const TStringsUpdate&) = delete;
  TStringsUpdate& operator=(const TStringsUpdate&) = delete;

 private:
  TStrings& strings_;
};
