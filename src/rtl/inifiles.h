#pragma once
// INI files: sections of name=value lines.
//
// TCustomIniFile is the interface with the typed reads and writes built on
// ReadString/WriteString: integers (framework integer text, so "$1F" and
// "0x1F" read as 31), booleans ("1"/"0" written, any non-zero integer read as
// true), floats and date-times (text under the process-wide FormatSettings;
// text that does not convert reads as the default) and binary data
// (upper-case hexadecimal, two digits per byte).
//
// TMemIniFile keeps the whole file in memory: a THashedStringList of section
// names whose objects are the sections' THashedStringLists of name=value
// lines. Names of sections and keys ignore case unless CaseSensitive. The
// file is read at construction and written only by UpdateFile, in the
// encoding given, or else in the one the file was read in (its byte-order
// mark, ANSI without one), or else ANSI. When ANSI was not asked for but the
// text holds a character the code page lacks, UTF-8 (with its mark) is
// written instead, so that nothing is lost.

#include <cstdint>
#include <memory>

#include "rtl/datetime.h"
#include "rtl/encoding.h"
#include "rtl/hashed_stringlist.h"
#include "rtl/objects.h"

class TStream;
class TStrings;

class TCustomIniFile : public TObject {
  RD_CLASS(TCustomIniFile, TObject)

 public:
  explicit TCustomIniFile(String file_name) : file_name_(std::move(file_name)) {}
  ~TCustomIniFile() override = default;

  const String& FileName() const { return file_name_; }

  virtual String ReadString(StringView section, StringView ident, StringView default_value) const = 0;
  virtual void WriteString(StringView section, StringView ident, StringView value) = 0;
  virtual int32_t ReadInteger(StringView section, StringView ident, int32_t default_value) const;
  virtual void WriteInteger(StringView section, StringView ident, int32_t value);
  virtual bool ReadBool(StringView section, StringView ident, bool default_value) const;
  virtual void WriteBool(StringView section, StringView ident, bool value);
  virtual double ReadFloat(StringView section, StringView ident, double default_value) const;
  virtual void WriteFloat(StringView section, StringView ident, double value);
  virtual TDateTime ReadDate(StringView section, StringView ident, TDateTime default_value) const;
  virtual void WriteDate(StringView section, StringView ident, TDateTime value);
  virtual TDateTime ReadDateTime(StringView section, StringView ident, TDateTime default_value) const;
  virtual void WriteDateTime(StringView section, StringView ident, TDateTime value);
  virtual TDateTime ReadTime(StringView section, StringView ident, TDateTime default_value) const;
  virtual void WriteTime(StringView section, StringView ident, TDateTime value);
  // Writes the stored bytes into `value` at its position, then moves the
  // position back there, so that the caller reads them next; returns their
  // count. A missing key, or text that is not whole hexadecimal pairs, writes
  // nothing and returns 0.
  virtual int32_t ReadBinaryStream(StringView section, StringView ident, TStream& value) const;
  // Stores the bytes of `value` from its position to its end.
  virtual void WriteBinaryStream(StringView section, StringView ident, TStream& value);

  // The key names of a section (lines without "=" have none).
  virtual void ReadSection(StringView section, TStrings& strings) const = 0;
  virtual void ReadSections(TStrings& strings) const = 0;
  // The section's lines as they are (name=value).
  virtual void ReadSectionValues(StringView section, TStrings& strings) const = 0;
  virtual void EraseSection(StringView section) = 0;
  virtual void DeleteKey(StringView section, StringView ident) = 0;
  virtual void UpdateFile() = 0;
  virtual bool SectionExists(StringView section) const;
  virtual bool ValueExists(StringView section, StringView ident) const;

 protected:
  String file_name_;
};

class TMemIniFile : public TCustomIniFile {
  RD_CLASS(TMemIniFile, TCustomIniFile)

 public:
  // Reads the file when the name is not empty and the file exists; a file
  // that exists but cannot be read raises the file stream's error.
  explicit TMemIniFile(String file_name = String(), const TEncoding* encoding = nullptr);
  ~TMemIniFile() override;

  String ReadString(StringView section, StringView ident, StringView default_value) const override;
  // Replaces the value of an existing key in place; a new key is appended to
  // its section, a new section to the file.
  void WriteString(StringView section, StringView ident, StringView value) override;
  void ReadSection(StringView section, TStrings& strings) const override;
  void ReadSections(TStrings& strings) const override;
  void ReadSectionValues(StringView section, TStrings& strings) const override;
  void EraseSection(StringView section) override;
  void DeleteKey(StringView section, StringView ident) override;
  // Writes all sections, each as "[name]", its lines and an empty line.
  void UpdateFile() override;
  bool SectionExists(StringView section) const override;
  bool ValueExists(StringView section, StringView ident) const override;

  void Clear();
  // The file's text as lines ("[name]", lines, empty line per section).
  void GetStrings(TStrings& lines) const;
  // Replaces everything by the sections in `lines`: each line trimmed of
  // characters of code 32 or less, empty lines and lines starting with ";"
  // skipped, "[name]" opening a section (name trimmed), name=value lines
  // stored with both parts trimmed, lines before the first section dropped.
  void SetStrings(const TStrings& lines);
  // Takes a new file name; with `reload`, reads that file.
  void Rename(String file_name, bool reload);

  bool CaseSensitive() const { return case_sensitive_; }
  void SetCaseSensitive(bool case_sensitive);
  // The encoding given, else the one the file was read in; nullptr when neither.
  const TEncoding* Encoding() const { return encoding_ ? encoding_ : read_encoding_; }
  // nullptr returns to the file's own encoding.
  void SetEncoding(const TEncoding* encoding) { encoding_ = encoding; }

 protected:
  // The sections list; its objects are the sections' lists, which it owns.
  THashedStringList& Sections() const { return *sections_; }
  // Puts another list (of a class derived from THashedStringList) in place
  // of the sections list; the old sections are deleted.
  void SetSections(std::unique_ptr<THashedStringList> sections);
  // The entries of the first section of that name, or nullptr.
  THashedStringList* FindSection(StringView section) const;
  // Appends a new, empty section and returns its entries.
  virtual THashedStringList* AddSection(StringView section);
  // Reads FileName() (nothing when empty or missing) into the sections.
  void LoadValues();

 private:
  std::unique_ptr<THashedStringList> sections_;
  const TEncoding* encoding_;                 // given by the user
  const TEncoding* read_encoding_ = nullptr;  // found when the file was read
  bool case_sensitive_ = false;
};
