#pragma once
// TSafeIniFile: the engine's settings file. An INI file held wholly in memory
// (a TMemIniFile whose sections and entries are TIniHashedStringLists) that
//
// - never lets an error of the file system escape: the outcome of the load
//   at construction and of every UpdateFile is LastError (the system's error
//   code, or 1 for an error without one, 0 for success);
// - creates its folder and an empty file when they are missing;
// - writes back only when something changed: UpdateFile, or destruction
//   while Modified - except after a failed load, so that a file that could
//   not be read (locked, say) is never overwritten with what little the
//   object holds; an explicit UpdateFile still writes it;
// - always writes UTF-16 little-endian with a byte-order mark, and writes
//   read-only and hidden files too, keeping their attributes;
// - saves atomically: the new text goes to a temporary file beside the
//   target, which then replaces the target in one step, so a failed save
//   leaves the old file whole (and Modified set);
// - writes and reads date-times in one fixed format, "mm/dd/yyyy
//   hh:nn:ss:zzz", whatever the user's regional settings.
//
// Reading reads the file's byte-order mark (UTF-8, UTF-16 LE or BE) and
// takes text without one as ANSI. Lines are trimmed; empty lines, ";"
// comments and lines before the first section are dropped; a section name
// that occurs twice makes two sections (lookups find the first).

#include <cstdint>

#include "engine/support/ini_hashed_stringlist.h"
#include "rtl/formatsettings.h"
#include "rtl/inifiles.h"

// The fixed date-time settings of INI values: English (United States) with
// "/" between date parts, ":" between time parts and before the
// milliseconds, dates "mm/dd/yyyy" and times "hh:nn:ss:zzz".
const TFormatSettings& IniDateTimeSettings();

// Creates the folder and its missing parents; nothing for "", "\" or ".\".
// Raises EOSError 'Cannot create folder "<path>"' when the folder still
// does not exist after a hundred and one tries (another process may be
// removing folders of the chain meanwhile).
void ForceFolder(const String& path);

class TSafeIniFile : public TMemIniFile {
  RD_CLASS(TSafeIniFile, TMemIniFile)

 public:
  // An in-memory store: no file is read or written.
  TSafeIniFile();
  // Loads `file_name`, or creates it (and its folder) when it is missing;
  // with an encoding, a new file receives that encoding's byte-order mark.
  explicit TSafeIniFile(String file_name, const TEncoding* encoding = nullptr);
  ~TSafeIniFile() override;

  // Consecutive writes to one section skip even the section lookup.
  void WriteString(StringView section, StringView ident, StringView value) override;
  TDateTime ReadDateTime(StringView section, StringView ident, TDateTime default_value) const override;
  void WriteDateTime(StringView section, StringView ident, TDateTime value) override;
  void DeleteKey(StringView section, StringView ident) override;
  // Saves when there is a file name; clears Modified when that succeeded.
  void UpdateFile() override;

  int32_t LastError() const { return last_error_; }
  bool Modified() const { return modified_; }
  bool LoadFailed() const { return load_failed_; }
  // Writes append a new line without looking for the key (faster when the
  // caller knows every key is new).
  bool AppendMode() const { return append_mode_; }
  void SetAppendMode(bool append_mode) { append_mode_ = append_mode; }

 protected:
  THashedStringList* AddSection(StringView section) override;

 private:
  void LoadFile(const String& path);
  void CreateMissingFile(const String& path, const TEncoding* encoding);
  void SaveFile(const String& path);
  void SectionsChanged(TObject* sender);
  TIniHashedStringList& EntriesOf(StringView section);

  String cached_section_name_;
  int32_t cached_section_index_ = -1;
  bool modified_ = false;
  bool load_failed_ = false;
  bool append_mode_ = false;
  int32_t last_error_ = 0;
};
