#include "rtl/inifiles.h"

#include <limits>

#include "rtl/exceptions.h"
#include "rtl/filesystem.h"
#include "rtl/numbers.h"
#include "rtl/rtti.h"
#include "rtl/streams.h"
#include "rtl/textutils.h"

RD_DEFINE_CLASS(TCustomIniFile)
RD_DEFINE_CLASS(TMemIniFile)

namespace {

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

// Reads text through `convert`; the default when the key is missing or the
// text does not convert.
template <class Convert>
TDateTime ReadConverted(const TCustomIniFile& ini, StringView section, StringView ident,
                        double default_value, Convert convert) {
  const String text = ini.ReadString(section, ident, u"");
  double value;
  return !text.empty() && convert(text, value) ? value : default_value;
}

}  // namespace

// ---- TCustomIniFile

int32_t TCustomIniFile::ReadInteger(StringView section, StringView ident,
                                    int32_t default_value) const {
  return StrToIntDef(ReadString(section, ident, u""), default_value);
}

void TCustomIniFile::WriteInteger(StringView section, StringView ident, int32_t value) {
  WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(StringView section, StringView ident, bool default_value) const {
  return ReadInteger(section, ident, default_value ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(StringView section, StringView ident, bool value) {
  WriteString(section, ident, value ? u"1" : u"0");
}

double TCustomIniFile::ReadFloat(StringView section, StringView ident, double default_value) const {
  return ReadConverted(*this, section, ident, default_value, [](const String& s, double& v) {
    return TryStrToFloat(s, v, FormatSettings);
  });
}

void TCustomIniFile::WriteFloat(StringView section, StringView ident, double value) {
  WriteString(section, ident, FloatToStr(value, FormatSettings));
}

TDateTime TCustomIniFile::ReadDate(StringView section, StringView ident,
                                   TDateTime default_value) const {
  return ReadConverted(*this, section, ident, default_value, [](const String& s, double& v) {
    return TryStrToDate(s, v, FormatSettings);
  });
}

void TCustomIniFile::WriteDate(StringView section, StringView ident, TDateTime value) {
  WriteString(section, ident, DateToStr(value, FormatSettings));
}

TDateTime TCustomIniFile::ReadDateTime(StringView section, StringView ident,
                                       TDateTime default_value) const {
  return ReadConverted(*this, section, ident, default_value, [](const String& s, double& v) {
    return TryStrToDateTime(s, v, FormatSettings);
  });
}

void TCustomIniFile::WriteDateTime(StringView section, StringView ident, TDateTime value) {
  WriteString(section, ident, DateTimeToStr(value, FormatSettings));
}

TDateTime TCustomIniFile::ReadTime(StringView section, StringView ident,
                                   TDateTime default_value) const {
  return ReadConverted(*this, section, ident, default_value, [](const String& s, double& v) {
    return TryStrToTime(s, v, FormatSettings);
  });
}

void TCustomIniFile::WriteTime(StringView section, StringView ident, TDateTime value) {
  WriteString(section, ident, TimeToStr(value, FormatSettings));
}

int32_t TCustomIniFile::ReadBinaryStream(StringView section, StringView ident,
                                         TStream& value) const {
  const String text = ReadString(section, ident, u"");
  if (text.empty() || text.size() % 2 != 0 ||
      text.size() / 2 > size_t(std::numeric_limits<int32_t>::max())) {
    return 0;
  }
  TBytes bytes(text.size() / 2);
  for (size_t i = 0; i < bytes.size(); ++i) {
    const int hi = HexValue(text[2 * i]), lo = HexValue(text[2 * i + 1]);
    if (hi < 0 || lo < 0) return 0;
    bytes[i] = uint8_t(hi << 4 | lo);
  }
  const int64_t position = value.Position();
  value.WriteBuffer(bytes.data(), int32_t(bytes.size()));
  value.SetPosition(position);
  return int32_t(bytes.size());
}

void TCustomIniFile::WriteBinaryStream(StringView section, StringView ident, TStream& value) {
  static const char16_t kDigits[] = u"0123456789ABCDEF";
  const int64_t remaining = value.Size() - value.Position();
  if (remaining > std::numeric_limits<int32_t>::max() / 2) {
    throw EOutOfMemory(u"Binary value too large for an INI file");
  }
  TBytes bytes(size_t(remaining > 0 ? remaining : 0));
  if (!bytes.empty()) value.ReadBuffer(bytes.data(), int32_t(bytes.size()));
  String text;
  text.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) {
    text.push_back(kDigits[b >> 4]);
    text.push_back(kDigits[b & 15]);
  }
  WriteString(section, ident, text);
}

bool TCustomIniFile::SectionExists(StringView section) const {
  TStringList sections;
  ReadSections(sections);
  for (int32_t i = 0; i < sections.Count(); ++i) {
    if (SameText(sections.Get(i), section)) return true;
  }
  return false;
}

bool TCustomIniFile::ValueExists(StringView section, StringView ident) const {
  TStringList names;
  ReadSection(section, names);
  return names.IndexOf(ident) >= 0;
}

// ---- TMemIniFile

TMemIniFile::TMemIniFile(String file_name, const TEncoding* encoding)
    : TCustomIniFile(std::move(file_name)), encoding_(encoding) {
  auto sections = std::make_unique<THashedStringList>();
  SetSections(std::move(sections));
  LoadValues();
}

TMemIniFile::~TMemIniFile() = default;

void TMemIniFile::SetSections(std::unique_ptr<THashedStringList> sections) {
  sections->SetOwnsObjects(true);
  sections->SetCaseSensitive(case_sensitive_);
  sections_ = std::move(sections);
}

THashedStringList* TMemIniFile::FindSection(StringView section) const {
  const int32_t index = sections_->IndexOf(section);
  return index < 0 ? nullptr : static_cast<THashedStringList*>(sections_->Objects(index));
}

THashedStringList* TMemIniFile::AddSection(StringView section) {
  auto entries = std::make_unique<THashedStringList>();
  entries->SetCaseSensitive(case_sensitive_);
  const int32_t index = sections_->AddObject(String(section), entries.get());
  if (sections_->Objects(index) != entries.get()) {
    // A sorted list that ignores duplicates kept its own section.
    return static_cast<THashedStringList*>(sections_->Objects(index));
  }
  return entries.release();  // now owned by the sections list
}

void TMemIniFile::LoadValues() {
  if (file_name_.empty() || !FileExists(file_name_)) {
    Clear();
    return;
  }
  TStringList lines;
  lines.LoadFromFile(file_name_, encoding_);
  read_encoding_ = lines.Encoding();
  SetStrings(lines);
}

void TMemIniFile::Clear() { sections_->Clear(); }

String TMemIniFile::ReadString(StringView section, StringView ident,
                               StringView default_value) const {
  if (const THashedStringList* entries = FindSection(section)) {
    const int32_t index = entries->IndexOfName(ident);
    if (index >= 0) return entries->ValueFromIndex(index);
  }
  return String(default_value);
}

void TMemIniFile::WriteString(StringView section, StringView ident, StringView value) {
  THashedStringList* entries = FindSection(section);
  if (entries == nullptr) entries = AddSection(section);
  const String line = String(ident) + u"=" + String(value);
  const int32_t index = entries->IndexOfName(ident);
  if (index >= 0) {
    entries->Put(index, line);
  } else {
    entries->Add(line);
  }
}

void TMemIniFile::ReadSection(StringView section, TStrings& strings) const {
  const TStringsUpdate update(strings);
  strings.Clear();
  const THashedStringList* entries = FindSection(section);
  if (entries == nullptr) return;
  for (int32_t i = 0; i < entries->Count(); ++i) {
    String name = entries->Names(i);
    if (!name.empty()) strings.Add(name);
  }
}

void TMemIniFile::ReadSections(TStrings& strings) const {
  const TStringsUpdate update(strings);
  strings.Clear();
  for (int32_t i = 0; i < sections_->Count(); ++i) strings.Add(sections_->Get(i));
}

void TMemIniFile::ReadSectionValues(StringView section, TStrings& strings) const {
  const TStringsUpdate update(strings);
  strings.Clear();
  const THashedStringList* entries = FindSection(section);
  if (entries == nullptr) return;
  for (int32_t i = 0; i < entries->Count(); ++i) strings.Add(entries->Get(i));
}

void TMemIniFile::EraseSection(StringView section) {
  const int32_t index = sections_->IndexOf(section);
  if (index >= 0) sections_->Delete(index);  // deletes the entries too
}

void TMemIniFile::DeleteKey(StringView section, StringView ident) {
  THashedStringList* entries = FindSection(section);
  if (entries == nullptr) return;
  const int32_t index = entries->IndexOfName(ident);
  if (index >= 0) entries->Delete(index);
}

bool TMemIniFile::SectionExists(StringView section) const { return FindSection(section) != nullptr; }

bool TMemIniFile::ValueExists(StringView section, StringView ident) const {
  const THashedStringList* entries = FindSection(section);
  return entries != nullptr && entries->IndexOfName(ident) >= 0;
}

void TMemIniFile::GetStrings(TStrings& lines) const {
  const TStringsUpdate update(lines);
  for (int32_t i = 0; i < sections_->Count(); ++i) {
    lines.Add(u"[" + sections_->Get(i) + u"]");
    const auto* entries = static_cast<const THashedStringList*>(sections_->Objects(i));
    for (int32_t j = 0; j < entries->Count(); ++j) lines.Add(entries->Get(j));
    lines.Add(String());
  }
}

void TMemIniFile::SetStrings(const TStrings& lines) {
  Clear();
  THashedStringList* entries = nullptr;
  for (int32_t i = 0; i < lines.Count(); ++i) {
    const String line = Trim(lines.Get(i));
    if (line.empty() || line[0] == u';') continue;
    if (line.size() >= 2 && line.front() == u'[' && line.back() == u']') {
      entries = AddSection(Trim(StringView(line).substr(1, line.size() - 2)));
    } else if (entries != nullptr) {
      const size_t eq = line.find(u'=');
      if (eq == String::npos) {
        entries->Add(line);
      } else {
        entries->Add(Trim(StringView(line).substr(0, eq)) + u"=" +
                     Trim(StringView(line).substr(eq + 1)));
      }
    }
  }
}

void TMemIniFile::UpdateFile() {
  TStringList lines;
  GetStrings(lines);
  const TEncoding* encoding = Encoding();
  const TEncoding& ansi = TEncoding::ANSI();
  if (encoding_ == nullptr && (encoding == nullptr || encoding == &ansi)) {
    const String text = lines.Text();
    encoding = ansi.GetString(ansi.GetBytes(text)) == text ? &ansi : &TEncoding::UTF8();
  }
  lines.SaveToFile(file_name_, encoding);
}

void TMemIniFile::Rename(String file_name, bool reload) {
  file_name_ = std::move(file_name);
  if (reload) LoadValues();
}

void TMemIniFile::SetCaseSensitive(bool case_sensitive) {
  if (case_sensitive == case_sensitive_) return;
  case_sensitive_ = case_sensitive;
  sections_->SetCaseSensitive(case_sensitive);
  for (int32_t i = 0; i < sections_->Count(); ++i) {
    static_cast<THashedStringList*>(sections_->Objects(i))->SetCaseSensitive(case_sensitive);
  }
}
