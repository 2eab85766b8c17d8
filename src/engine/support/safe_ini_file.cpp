#include "engine/support/safe_ini_file.h"

#include <exception>
#include <memory>

#include "engine/support/safe_file_io.h"
#include "rtl/datetime.h"
#include "rtl/exceptions.h"
#include "rtl/filenames.h"
#include "rtl/filesystem.h"
#include "rtl/rtti.h"
#include "rtl/stringlist.h"

RD_DEFINE_CLASS(TSafeIniFile)

namespace {

constexpr char16_t kDateTimeFormat[] = u"mm/dd/yyyy hh:nn:ss:zzz";

TFormatSettings MakeIniDateTimeSettings() {
  TFormatSettings settings = TFormatSettings::Invariant();
  settings.DateSeparator = u'/';
  settings.TimeSeparator = u':';
  settings.ShortDateFormat = settings.LongDateFormat = u"mm/dd/yyyy";
  settings.ShortTimeFormat = settings.LongTimeFormat = u"hh:nn:ss:zzz";
  // The milliseconds follow the seconds after a ":", which reading takes
  // for the decimal separator.
  settings.DecimalSeparator = u':';
  return settings;
}

// "" "\" ".\" (or with "/") need no folder to be made.
bool IsCurrentOrRoot(StringView path) {
  if (path.empty()) return true;
  if (path.size() == 1) return IsPathDelimiter(path[0]);
  return path.size() == 2 && path[0] == u'.' && IsPathDelimiter(path[1]);
}

// Runs `operation`; an error raised in it becomes a result code (the
// system's last error, or 1 when there is none) instead of escaping.
template <class Operation>
int32_t ErrorCodeOf(Operation operation) {
  try {
    return operation();
  } catch (const std::exception&) {
    const int32_t code = LastSystemErrorCode();
    return code != 0 ? code : 1;
  }
}

}  // namespace

const TFormatSettings& IniDateTimeSettings() {
  static const TFormatSettings settings = MakeIniDateTimeSettings();
  return settings;
}

void ForceFolder(const String& path) {
  if (IsCurrentOrRoot(path)) return;
  for (int attempt = 0; attempt < 101; ++attempt) {
    if (DirectoryExists(path) || ForceDirectories(path)) return;
  }
  throw EOSError(u"Cannot create folder \"" + path + u"\"");
}

// ---- TSafeIniFile

TSafeIniFile::TSafeIniFile() : TSafeIniFile(String()) {}

TSafeIniFile::TSafeIniFile(String file_name, const TEncoding* encoding) : TMemIniFile() {
  SetSections(std::make_unique<TIniHashedStringList>());
  file_name_ = std::move(file_name);
  if (!file_name_.empty()) {
    LoadFile(file_name_);
    load_failed_ = last_error_ != 0;
    if (!load_failed_ && !FileExists(file_name_)) CreateMissingFile(file_name_, encoding);
  }
  // Loading filled the sections without marking the object modified; from
  // here on every change of the sections list does.
  Sections().OnChange = TNotifyEvent::Bind<&TSafeIniFile::SectionsChanged>(this);
}

TSafeIniFile::~TSafeIniFile() {
  if (!load_failed_ && modified_) UpdateFile();
}

void TSafeIniFile::LoadFile(const String& path) {
  last_error_ = ErrorCodeOf([&] {
    if (!FileExists(path)) return 0;
    TBytes bytes;
    if (const int32_t error = ReadWholeFile(path, bytes)) return error;
    const TEncoding* encoding = nullptr;  // the byte-order mark decides
    TStringList lines;
    lines.SetText(DecodeText(bytes, encoding));
    SetStrings(lines);
    return 0;
  });
}

void TSafeIniFile::CreateMissingFile(const String& path, const TEncoding* encoding) {
  if (encoding != nullptr) SetEncoding(encoding);
  // A folder or file that cannot be made is no error here: there is nothing
  // to lose yet, and the first save reports it.
  ErrorCodeOf([&] {
    ForceFolder(ExtractFilePath(path));
    return CreateFileIfMissing(path, encoding != nullptr ? encoding->GetPreamble() : TBytes());
  });
}

void TSafeIniFile::SaveFile(const String& path) {
  last_error_ = ErrorCodeOf([&] {
    ForceFolder(ExtractFilePath(path));
    TStringList lines;
    GetStrings(lines);
    return ReplaceFileContent(path, EncodeText(lines.Text(), TEncoding::Unicode(), true));
  });
}

void TSafeIniFile::UpdateFile() {
  if (file_name_.empty()) return;
  SaveFile(file_name_);
  if (last_error_ == 0) modified_ = false;
}

void TSafeIniFile::SectionsChanged(TObject*) {
  modified_ = true;
  cached_section_index_ = -1;
  cached_section_name_.clear();
}

THashedStringList* TSafeIniFile::AddSection(StringView section) {
  auto entries = std::make_unique<TIniHashedStringList>();
  entries->SetCaseSensitive(CaseSensitive());
  const int32_t index = Sections().AddObject(String(section), entries.get());
  cached_section_name_ = String(section);
  cached_section_index_ = index;
  return entries.release();  // now owned by the sections list
}

TIniHashedStringList& TSafeIniFile::EntriesOf(StringView section) {
  if (cached_section_index_ < 0 || StringView(cached_section_name_) != section) {
    const int32_t index = Sections().IndexOf(section);
    if (index < 0) return static_cast<TIniHashedStringList&>(*AddSection(section));
    cached_section_name_ = String(section);
    cached_section_index_ = index;
  }
  return *static_cast<TIniHashedStringList*>(Sections().Objects(cached_section_index_));
}

void TSafeIniFile::WriteString(StringView section, StringView ident, StringView value) {
  TIniHashedStringList& entries = EntriesOf(section);
  const String line = String(ident) + u"=" + String(value);
  if (append_mode_) {
    // No lookup; the plain append leaves the hashes to be rebuilt once,
    // when the next lookup comes.
    entries.TStringList::AddObject(line, nullptr);
  } else {
    const int32_t index = entries.IndexOfName(ident);
    if (index >= 0) {
      entries.Put(index, line);
    } else {
      entries.Add(line);
    }
  }
  modified_ = true;
}

void TSafeIniFile::WriteDateTime(StringView section, StringView ident, TDateTime value) {
  WriteString(section, ident, FormatDateTime(kDateTimeFormat, value, IniDateTimeSettings()));
}

TDateTime TSafeIniFile::ReadDateTime(StringView section, StringView ident, TDateTime default_value) const {
  const String text = ReadString(section, ident, u"");
  TDateTime value;
  return !text.empty() && TryStrToDateTime(text, value, IniDateTimeSettings()) ? value : default_value;
}

void TSafeIniFile::DeleteKey(StringView section, StringView ident) {
  THashedStringList* entries = FindSection(section);
  if (entries == nullptr) return;
  const int32_t index = entries->IndexOfName(ident);
  if (index < 0) return;
  entries->Delete(index);
  modified_ = true;
}
