#include "rtl/strings.h"

#include <limits>

#include "rtl/exceptions.h"
#include "rtl/filer.h"
#include "rtl/format.h"
#include "rtl/reader.h"
#include "rtl/rtti.h"
#include "rtl/streams.h"
#include "rtl/textutils.h"
#include "rtl/writer.h"

RD_DEFINE_CLASS(TStrings)

void TStrings::Error(const char16_t* format, int32_t data) {
  throw EStringListError(Format(format, {data}));
}

TObject* TStrings::GetObject(int32_t) const { return nullptr; }

void TStrings::Put(int32_t index, const String& s) {
  TObject* object = GetObject(index);
  const TStringsUpdate update(*this);
  Delete(index);
  InsertObject(index, s, object);
}

void TStrings::PutObject(int32_t, TObject*) {}

void TStrings::InsertObject(int32_t index, const String& s, TObject* object) {
  Insert(index, s);
  PutObject(index, object);
}

int32_t TStrings::Add(const String& s) {
  const int32_t index = GetCount();
  Insert(index, s);
  return index;
}

int32_t TStrings::AddObject(const String& s, TObject* object) {
  const int32_t index = Add(s);
  PutObject(index, object);
  return index;
}

void TStrings::AddStrings(const TStrings& strings) {
  const TStringsUpdate update(*this);
  // Counting first makes adding a list to itself terminate.
  const int32_t count = strings.GetCount();
  for (int32_t i = 0; i < count; ++i) AddObject(strings.Get(i), strings.GetObject(i));
}

void TStrings::Assign(const TPersistent* source) {
  const TStrings* strings = ObjectAs<TStrings>(source);
  if (strings == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (strings == this) return;
  const TStringsUpdate update(*this);
  Clear();
  name_value_separator_ = strings->name_value_separator_;
  delimiter_ = strings->delimiter_;
  quote_char_ = strings->quote_char_;
  strict_delimiter_ = strings->strict_delimiter_;
  line_break_ = strings->line_break_;
  default_encoding_ = strings->default_encoding_;
  AddStrings(*strings);
}

void TStrings::DefineProperties(TFiler& filer) {
  bool has_data = GetCount() > 0;
  if (filer.Ancestor() != nullptr) {
    const TStrings* ancestor = ObjectAs<TStrings>(filer.Ancestor());
    has_data = ancestor == nullptr || !Equals(*ancestor);
  }
  filer.DefineProperty(
      u"Strings",
      [this](TReader& reader) {
        reader.ReadListBegin();
        const TStringsUpdate update(*this);
        Clear();
        while (!reader.EndOfList()) Add(reader.ReadString());
        reader.ReadListEnd();
      },
      [this](TWriter& writer) {
        writer.WriteListBegin();
        const int32_t count = GetCount();
        for (int32_t i = 0; i < count; ++i) writer.WriteString(Get(i));
        writer.WriteListEnd();
      },
      has_data);
}

int32_t TStrings::IndexOf(StringView s) const {
  const int32_t count = GetCount();
  for (int32_t i = 0; i < count; ++i) {
    if (CompareStrings(Get(i), s) == 0) return i;
  }
  return -1;
}

int32_t TStrings::IndexOfName(StringView name) const {
  const int32_t count = GetCount();
  for (int32_t i = 0; i < count; ++i) {
    const String line = Get(i);
    const size_t p = SeparatorPos(line);
    if (p != StringView::npos && CompareStrings(StringView(line).substr(0, p), name) == 0) return i;
  }
  return -1;
}

int32_t TStrings::IndexOfObject(const TObject* object) const {
  const int32_t count = GetCount();
  for (int32_t i = 0; i < count; ++i) {
    if (GetObject(i) == object) return i;
  }
  return -1;
}

void TStrings::Exchange(int32_t index1, int32_t index2) {
  const TStringsUpdate update(*this);
  const String s1 = Get(index1);
  TObject* o1 = GetObject(index1);
  Put(index1, Get(index2));
  PutObject(index1, GetObject(index2));
  Put(index2, s1);
  PutObject(index2, o1);
}

void TStrings::Move(int32_t current_index, int32_t new_index) {
  if (current_index == new_index) return;
  const TStringsUpdate update(*this);
  const String s = Get(current_index);
  TObject* object = GetObject(current_index);
  // Nothing owned is freed: the object is cleared from the line first.
  PutObject(current_index, nullptr);
  Delete(current_index);
  InsertObject(new_index, s, object);
}

bool TStrings::Equals(const TStrings& other) const {
  const int32_t count = GetCount();
  if (count != other.GetCount()) return false;
  for (int32_t i = 0; i < count; ++i) {
    if (Get(i) != other.Get(i)) return false;
  }
  return true;
}

String TStrings::Names(int32_t index) const {
  const String line = Get(index);
  const size_t p = SeparatorPos(line);
  return p == StringView::npos ? String() : line.substr(0, p);
}

String TStrings::ValueFromIndex(int32_t index) const {
  const String line = Get(index);
  const size_t p = SeparatorPos(line);
  return p == StringView::npos ? String() : line.substr(p + 1);
}

void TStrings::SetValueFromIndex(int32_t index, StringView value) {
  if (value.empty()) {
    Delete(index);
    return;
  }
  Put(index, Names(index) + name_value_separator_ + String(value));
}

String TStrings::Values(StringView name) const {
  const int32_t index = IndexOfName(name);
  return index < 0 ? String() : ValueFromIndex(index);
}

void TStrings::SetValue(StringView name, StringView value) {
  int32_t index = IndexOfName(name);
  if (value.empty()) {
    if (index >= 0) Delete(index);
    return;
  }
  const String line = String(name) + name_value_separator_ + String(value);
  if (index < 0) {
    Add(line);
  } else {
    Put(index, line);
  }
}

String TStrings::GetTextStr() const {
  String text;
  const int32_t count = GetCount();
  for (int32_t i = 0; i < count; ++i) {
    text += Get(i);
    text += line_break_;
  }
  return text;
}

void TStrings::SetTextStr(StringView text) {
  const TStringsUpdate update(*this);
  Clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = start;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
    Add(String(text.substr(start, end - start)));
    if (end < text.size() && text[end] == u'\r') ++end;
    if (end < text.size() && text[end] == u'\n') ++end;
    start = end;
  }
}

String TStrings::DelimitedTextWith(char16_t delimiter, char16_t quote, bool strict) const {
  const int32_t count = GetCount();
  if (count == 1 && Get(0).empty()) return String(2, quote);
  String out;
  for (int32_t i = 0; i < count; ++i) {
    const String s = Get(i);
    bool needs_quotes = false;
    for (char16_t c : s) {
      if (c == quote || c == delimiter || (!strict && c <= u' ')) {
        needs_quotes = true;
        break;
      }
    }
    if (i > 0) out.push_back(delimiter);
    out += needs_quotes ? AnsiQuotedStr(s, quote) : s;
  }
  return out;
}

void TStrings::SetDelimitedTextWith(StringView text, char16_t delimiter, char16_t quote,
                                    bool strict) {
  const TStringsUpdate update(*this);
  Clear();
  size_t p = 0;
  const size_t n = text.size();
  auto skip_blanks = [&] {
    if (!strict) {
      while (p < n && text[p] <= u' ') ++p;
    }
  };
  skip_blanks();
  while (p < n) {
    String item;
    if (text[p] == quote) {
      ++p;
      while (p < n) {
        if (text[p] == quote) {
          if (p + 1 < n && text[p + 1] == quote) {
            item.push_back(quote);
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item.push_back(text[p++]);
      }
    } else {
      const size_t start = p;
      while (p < n && text[p] != delimiter && (strict || text[p] > u' ')) ++p;
      item = String(text.substr(start, p - start));
    }
    Add(item);
    skip_blanks();
    if (p < n && text[p] == delimiter) {
      ++p;
      if (p == n) Add(String());  // a delimiter at the end stands before an empty item
      skip_blanks();
    }
  }
}

String TStrings::DelimitedText() const {
  return DelimitedTextWith(delimiter_, quote_char_, strict_delimiter_);
}

void TStrings::SetDelimitedText(StringView text) {
  SetDelimitedTextWith(text, delimiter_, quote_char_, strict_delimiter_);
}

String TStrings::CommaText() const { return DelimitedTextWith(u',', u'"', false); }

void TStrings::SetCommaText(StringView text) { SetDelimitedTextWith(text, u',', u'"', false); }

void TStrings::BeginUpdate() {
  // The state changes while the count is still 0, so that the opening event fires.
  if (update_count_ == 0) SetUpdateState(true);
  ++update_count_;
}

void TStrings::EndUpdate() {
  if (update_count_ > 0 && --update_count_ == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

int32_t TStrings::CompareStrings(StringView a, StringView b) const {
  return AnsiCompareText(a, b);
}

void TStrings::LoadFromStream(TStream& stream, const TEncoding* encoding) {
  const int64_t remaining = stream.Size() - stream.Position();
  if (remaining > std::numeric_limits<int32_t>::max()) {
    throw EOutOfMemory(u"Text too large to load");
  }
  TBytes bytes(size_t(remaining > 0 ? remaining : 0));
  if (!bytes.empty()) stream.ReadBuffer(bytes.data(), int32_t(bytes.size()));
  const String text = DecodeText(bytes, encoding, *default_encoding_);
  encoding_ = encoding;
  SetTextStr(text);
}

void TStrings::SaveToStream(TStream& stream, const TEncoding* encoding) const {
  const TEncoding& used = encoding ? *encoding : (encoding_ ? *encoding_ : *default_encoding_);
  const TBytes bytes = EncodeText(GetTextStr(), used, write_bom_);
  if (bytes.size() > size_t(std::numeric_limits<int32_t>::max())) {
    throw EWriteError(u"Text too large to save");
  }
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), int32_t(bytes.size()));
}

void TStrings::LoadFromFile(const String& file_name, const TEncoding* encoding) {
  TFileStream stream(file_name, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream, encoding);
}

void TStrings::SaveToFile(const String& file_name, const TEncoding* encoding) const {
  TFileStream stream(file_name, fmCreate);
  SaveToStream(stream, encoding);
}
