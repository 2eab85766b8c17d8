#include "engine/support/safe_ini_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "rtl/datetime.h"
#include "rtl/exceptions.h"
#include "rtl/filenames.h"
#include "rtl/stringlist.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h:
#include <sddl.h>
#else
#include <fcntl.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>
#endif
#endif

namespace fs = std::filesystem;

namespace {

std::vector<String> Lines(const TStrings& list) {
  std::vector<String> lines;
  for (int32_t i = 0; i < list.Count(); ++i) lines.push_back(list.Get(i));
  return lines;
}

std::vector<String> SectionValues(const TSafeIniFile& ini, StringView section) {
  TStringList lines;
  ini.ReadSectionValues(section, lines);
  return Lines(lines);
}

std::vector<String> SectionNames(const TSafeIniFile& ini) {
  TStringList lines;
  ini.ReadSections(lines);
  return Lines(lines);
}

TBytes Utf16File(StringView text) { return EncodeText(text, TEncoding::Unicode(), true); }

// A fresh folder per test, removed afterwards.
class SafeIniFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("safe_ini_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  fs::path PathOf(const char* relative) const { return dir_ / relative; }
  static String Name(const fs::path& path) { return path.u16string(); }

  static void WriteBytes(const fs::path& path, const TBytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  static TBytes ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // The names in a folder: a save must leave no temporary file behind.
  static std::set<std::string> Entries(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
  }

  fs::path dir_;
};

TEST_F(SafeIniFile, LoadsByTheRulesAndSavesUtf16WithAMark) {
  const fs::path file = PathOf("settings.ini");
  WriteBytes(file, EncodeText(u"orphan=dropped\r\n"
                              u"[A]\r\n"
                              u"  x = 1  \r\n"
                              u"; a comment\r\n"
                              u"y\r\n"
                              u"[ B ]\r\n"
                              u"[A]\r\n"
                              u"z=2\r\n",
                              TEncoding::ANSI(), false));
  TSafeIniFile ini(Name(file));
  EXPECT_EQ(ini.LastError(), 0);
  EXPECT_FALSE(ini.LoadFailed());
  EXPECT_FALSE(ini.Modified());
  EXPECT_EQ(SectionNames(ini), (std::vector<String>{u"A", u"B", u"A"}));  // a repeated name: two sections
  EXPECT_EQ(SectionValues(ini, u"A"), (std::vector<String>{u"x=1", u"y"}));
  EXPECT_EQ(ini.ReadString(u"A", u"x", u"-"), u"1");
  EXPECT_EQ(ini.ReadString(u"A", u"z", u"-"), u"-");  // lookups find the first A

  ini.UpdateFile();
  EXPECT_EQ(ini.LastError(), 0);
  EXPECT_EQ(ReadBytes(file), Utf16File(u"[A]\r\nx=1\r\ny\r\n\r\n[B]\r\n\r\n[A]\r\nz=2\r\n\r\n"));
  EXPECT_EQ(Entries(dir_), (std::set<std::string>{"settings.ini"}));
}

TEST_F(SafeIniFile, ReadsEachByteOrderMarkAndAnsiWithoutOne) {
  const fs::path file = PathOf("text.ini");
  for (const TEncoding* encoding : {&TEncoding::UTF8(), &TEncoding::Unicode(), &TEncoding::BigEndianUnicode(),
                                    &TEncoding::ANSI()}) {
    WriteBytes(file, EncodeText(u"[Main]\r\nSkin=caf\u00e9\r\n", *encoding, true));
    {
      TSafeIniFile ini(Name(file));
      EXPECT_EQ(ini.ReadString(u"Main", u"Skin", u""), u"caf\u00e9") << StringToUtf8(encoding->EncodingName());
      ini.WriteString(u"Main", u"Skin", u"\u4e2d");  // not in any ANSI code page
    }
    EXPECT_EQ(ReadBytes(file), Utf16File(u"[Main]\r\nSkin=\u4e2d\r\n\r\n")) << StringToUtf8(encoding->EncodingName());
  }
}

TEST_F(SafeIniFile, CreatesAMissingFolderAndAnEmptyFileAndKeepsItEmpty) {
  const fs::path file = PathOf("one/two/new.ini");
  {
    TSafeIniFile ini(Name(file));
    EXPECT_TRUE(fs::is_regular_file(file));
    EXPECT_EQ(ini.LastError(), 0);
    EXPECT_FALSE(ini.LoadFailed());
    EXPECT_FALSE(ini.Modified());
  }
  EXPECT_EQ(fs::file_size(file), 0u);

  // With an encoding, the new file starts with its byte-order mark.
  const fs::path marked = PathOf("three/marked.ini");
  { TSafeIniFile ini(Name(marked), &TEncoding::UTF8()); }
  EXPECT_EQ(ReadBytes(marked), (TBytes{0xEF, 0xBB, 0xBF}));
}

TEST_F(SafeIniFile, WritesBackOnlyWhatChanged) {
  const fs::path file = PathOf("kept.ini");
  const TBytes ansi = EncodeText(u"[S]\r\nk=v\r\n", TEncoding::ANSI(), false);
  WriteBytes(file, ansi);
  {
    TSafeIniFile ini(Name(file));
    EXPECT_EQ(ini.ReadInteger(u"S", u"missing", 5), 5);
    ini.DeleteKey(u"S", u"missing");  // nothing to delete: no change
    ini.DeleteKey(u"none", u"k");
    EXPECT_FALSE(ini.Modified());
  }
  EXPECT_EQ(ReadBytes(file), ansi);  // untouched, still ANSI

  {
    TSafeIniFile ini(Name(file));
    ini.DeleteKey(u"S", u"k");
    EXPECT_TRUE(ini.Modified());
  }
  EXPECT_EQ(ReadBytes(file), Utf16File(u"[S]\r\n\r\n"));

  {
    TSafeIniFile ini(Name(file));
    ini.EraseSection(u"S");  // through the inherited operation
    EXPECT_TRUE(ini.Modified());
    ini.UpdateFile();
    EXPECT_FALSE(ini.Modified());
  }
  EXPECT_EQ(ReadBytes(file), Utf16File(u""));

  TSafeIniFile memory;  // no file: saving does nothing and changes stay pending
  memory.WriteBool(u"S", u"on", true);
  memory.UpdateFile();
  EXPECT_TRUE(memory.Modified());
  EXPECT_EQ(memory.ReadString(u"S", u"on", u""), u"1");
}

TEST_F(SafeIniFile, WritesFindTheirSectionAfterEveryKindOfChange) {
  TSafeIniFile ini;
  ini.WriteString(u"A", u"k", u"1");
  ini.WriteString(u"A", u"k", u"2");  // the same key twice: one entry
  EXPECT_EQ(SectionValues(ini, u"A"), (std::vector<String>{u"k=2"}));

  ini.WriteString(u"B", u"x", u"1");
  ini.WriteString(u"a", u"K", u"3");  // names ignore case: A's k is replaced
  EXPECT_EQ(SectionValues(ini, u"A"), (std::vector<String>{u"K=3"}));

  // The section written last is gone: the next write must not reach its
  // freed entries but make the section anew.
  ini.EraseSection(u"B");
  ini.WriteString(u"B", u"y", u"2");
  ini.EraseSection(u"A");
  ini.WriteInteger(u"B", u"z", 3);
  ini.WriteString(u"A", u"w", u"4");
  EXPECT_EQ(SectionNames(ini), (std::vector<String>{u"B", u"A"}));
  EXPECT_EQ(SectionValues(ini, u"B"), (std::vector<String>{u"y=2", u"z=3"}));
  EXPECT_EQ(SectionValues(ini, u"A"), (std::vector<String>{u"w=4"}));

  ini.Clear();
  ini.WriteString(u"B", u"v", u"5");
  EXPECT_EQ(SectionValues(ini, u"B"), (std::vector<String>{u"v=5"}));

  TStringList lines;
  lines.SetText(u"[C]\r\nq=1\r\n");
  ini.SetStrings(lines);
  ini.WriteString(u"C", u"q", u"2");
  ini.WriteString(u"B", u"v", u"6");
  EXPECT_EQ(SectionNames(ini), (std::vector<String>{u"C", u"B"}));
  EXPECT_EQ(SectionValues(ini, u"C"), (std::vector<String>{u"q=2"}));
}

TEST_F(SafeIniFile, SectionsAndKeysIgnoreTheCaseOfEveryScript) {
  struct Case {
    const char* script;
    const char16_t* small;
    const char16_t* capital;
  };
  const Case cases[] = {
      {"Latin Extended-B", u"\u0180\u01C6", u"\u0243\u01C4"},
      {"Armenian", u"\u0561\u0562", u"\u0531\u0532"},
      {"Georgian", u"\u10D0\u2D00", u"\u1C90\u10A0"},
      {"fullwidth", u"\uFF41\uFF42", u"\uFF21\uFF22"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    TSafeIniFile ini;
    ini.WriteString(c.small, c.small, u"1");
    EXPECT_EQ(ini.ReadString(c.capital, c.capital, u"-"), u"1");
    ini.WriteString(c.capital, c.capital, u"2");  // replaces the entry
    EXPECT_EQ(SectionNames(ini), (std::vector<String>{c.small}));
    EXPECT_EQ(SectionValues(ini, c.small), (std::vector<String>{String(c.capital) + u"=2"}));
  }
}

TEST_F(SafeIniFile, AppendModeAddsWithoutLookingForTheKey) {
  TSafeIniFile ini;
  EXPECT_FALSE(ini.AppendMode());
  ini.SetAppendMode(true);
  ini.WriteString(u"S", u"k", u"1");
  ini.WriteString(u"S", u"k", u"2");
  EXPECT_EQ(SectionValues(ini, u"S"), (std::vector<String>{u"k=1", u"k=2"}));
  EXPECT_EQ(ini.ReadString(u"S", u"k", u""), u"1");
}

// Puts other regional settings in force for a scope.
class RegionalSettings {
 public:
  explicit RegionalSettings(const TFormatSettings& settings) : saved_(FormatSettings) { FormatSettings = settings; }
  ~RegionalSettings() { FormatSettings = saved_; }

 private:
  TFormatSettings saved_;
};

TEST_F(SafeIniFile, DateTimesRoundTripToTheMillisecondWhateverTheRegionalSettings) {
  TFormatSettings german = TFormatSettings::Invariant();
  german.DateSeparator = u'.';
  german.TimeSeparator = u'.';
  german.DecimalSeparator = u',';
  german.ShortDateFormat = u"dd.mm.yyyy";
  german.LongTimeFormat = german.ShortTimeFormat = u"hh.nn";
  german.TwoDigitYearCenturyWindow = 0;
  TFormatSettings iso = TFormatSettings::Invariant();
  iso.DateSeparator = u'-';
  iso.ShortDateFormat = u"yyyy-mm-dd";

  const TDateTime example = EncodeDate(2009, 3, 7) + EncodeTime(14, 5, 9, 42);
  const TDateTime values[] = {
      example,
      EncodeDate(2024, 2, 29),                                 // midnight
      EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 59, 999),  // the last millisecond of a day
      ComposeDateTime(EncodeDate(1899, 12, 29), EncodeTime(6, 0, 0, 1)),  // before day 0
      EncodeDate(1, 1, 1) + EncodeTime(0, 0, 0, 7),
      EncodeDate(9999, 12, 31) + EncodeTime(12, 0, 0, 500),
  };
  const TFormatSettings* const regions[] = {&TFormatSettings::Invariant(), &german, &iso};
  for (const TFormatSettings* settings : regions) {
    const RegionalSettings regional(*settings);
    TSafeIniFile ini;
    ini.WriteDateTime(u"T", u"example", example);
    EXPECT_EQ(ini.ReadString(u"T", u"example", u""), u"03/07/2009 14:05:09:042");
    for (const TDateTime value : values) {
      ini.WriteDateTime(u"T", u"v", value);
      const TDateTimeParts expected = DecodeDateTime(value);
      const TDateTimeParts read = DecodeDateTime(ini.ReadDateTime(u"T", u"v", -700000));
      EXPECT_EQ(std::vector<int32_t>({read.Year, read.Month, read.Day, read.Hour, read.Minute, read.Second, read.MSec}),
                std::vector<int32_t>({expected.Year, expected.Month, expected.Day, expected.Hour, expected.Minute,
                                      expected.Second, expected.MSec}))
          << StringToUtf8(ini.ReadString(u"T", u"v", u""));
    }
  }

  const TDateTime fallback = 12345.5;
  TSafeIniFile ini;
  for (const char16_t* text : {u"yesterday", u"", u"13/45/2009 10:00:00:000", u"03/07/2009 14:05:09,042",
                               u"03.07.2009"}) {
    ini.WriteString(u"T", u"bad", text);
    EXPECT_EQ(ini.ReadDateTime(u"T", u"bad", fallback), fallback) << StringToUtf8(text);
  }
  EXPECT_EQ(ini.ReadDateTime(u"T", u"missing", fallback), fallback);
  ini.WriteString(u"T", u"date", u"03/07/2009");  // a date alone reads too
  EXPECT_EQ(ini.ReadDateTime(u"T", u"date", fallback), EncodeDate(2009, 3, 7));
}

TEST_F(SafeIniFile, AFolderThatCannotBeMadeRaisesNothingButTheSaveReportsIt) {
  EXPECT_NO_THROW(ForceFolder(u""));
  EXPECT_NO_THROW(ForceFolder(String(1, PathDelim)));
  EXPECT_NO_THROW(ForceFolder(String(u".") + PathDelim));

  WriteBytes(PathOf("blocker"), TBytes{1});  // a file where a folder should be
  const String folder = Name(PathOf("blocker") / "sub");
  try {
    ForceFolder(folder);
    ADD_FAILURE() << "no error raised";
  } catch (const EOSError& error) {
    EXPECT_EQ(error.Message(), u"Cannot create folder \"" + folder + u"\"");
  }

  TSafeIniFile ini(folder + PathDelim + u"x.ini");
  EXPECT_EQ(ini.LastError(), 0);
  EXPECT_FALSE(ini.LoadFailed());
  ini.WriteString(u"S", u"k", u"v");
  ini.UpdateFile();
  EXPECT_NE(ini.LastError(), 0);
  EXPECT_TRUE(ini.Modified());
}

#ifdef _WIN32

DWORD Attributes(const fs::path& path) { return GetFileAttributesW(path.c_str()); }

// Opens the file as another program would, until the scope ends.
class OpenedElsewhere {
 public:
  OpenedElsewhere(const fs::path& path, DWORD share)
      : handle_(CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~OpenedElsewhere() { Release(); }
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
  void Release() {
    if (ok()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

TEST_F(SafeIniFile, ReadOnlyAndHiddenFilesAreRewrittenAndKeepTheirAttributes) {
  const fs::path file = PathOf("guarded.ini");
  for (DWORD attributes : {DWORD(FILE_ATTRIBUTE_READONLY), DWORD(FILE_ATTRIBUTE_HIDDEN),
                           DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)}) {
    WriteBytes(file, Utf16File(u"[S]\r\nk=old\r\n"));
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), attributes | FILE_ATTRIBUTE_ARCHIVE));
    {
      TSafeIniFile ini(Name(file));
      ini.WriteString(u"S", u"k", u"new");
      ini.UpdateFile();
      EXPECT_EQ(ini.LastError(), 0) << attributes;
    }
    EXPECT_EQ(Attributes(file) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), attributes);
    EXPECT_EQ(ReadBytes(file), Utf16File(u"[S]\r\nk=new\r\n\r\n")) << attributes;
    EXPECT_EQ(Entries(dir_), (std::set<std::string>{"guarded.ini"}));
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

// The file's access list in text form ("D:P(A;;FA;;;WD)..."), or "" when it
// cannot be read.
std::wstring AccessList(const fs::path& path) {
  DWORD size = 0;
  GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
  std::vector<uint8_t> descriptor(size);
  wchar_t* text = nullptr;
  if (size == 0 || !GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), size, &size) ||
      !ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.data(), SDDL_REVISION_1,
                                                            DACL_SECURITY_INFORMATION, &text, nullptr)) {
    return std::wstring();
  }
  std::wstring result(text);
  LocalFree(text);
  return result;
}

TEST_F(SafeIniFile, TheFileKeepsItsAccessList) {
  const fs::path file = PathOf("secured.ini");
  WriteBytes(file, Utf16File(u"[S]\r\nk=old\r\n"));
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;WD)(A;;FR;;;BU)", SDDL_REVISION_1,
                                                                   &descriptor, nullptr));
  const BOOL set = SetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, descriptor);
  LocalFree(descriptor);
  ASSERT_TRUE(set);
  const std::wstring before = AccessList(file);
  ASSERT_NE(before, L"");
  {
    TSafeIniFile ini(Name(file));
    ini.WriteString(u"S", u"k", u"new");
  }
  EXPECT_EQ(ReadBytes(file), Utf16File(u"[S]\r\nk=new\r\n\r\n"));
  EXPECT_EQ(AccessList(file), before);
}

TEST_F(SafeIniFile, AFailedSaveKeepsTheOldFileWholeAndTriesAgainLater) {
  const fs::path file = PathOf("busy.ini");
  const TBytes old_content = Utf16File(u"[S]\r\nk=old\r\n\r\n");
  WriteBytes(file, old_content);
  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
  TSafeIniFile ini(Name(file));
  ini.WriteString(u"S", u"k", u"new");
  {
    // Another program reads the file and lets nobody replace it meanwhile.
    OpenedElsewhere reader(file, FILE_SHARE_READ);
    ASSERT_TRUE(reader.ok());
    ini.UpdateFile();
    EXPECT_NE(ini.LastError(), 0);
    EXPECT_TRUE(ini.Modified());
  }
  EXPECT_EQ(ReadBytes(file), old_content);
  EXPECT_EQ(Attributes(file) & FILE_ATTRIBUTE_READONLY, DWORD(FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(Entries(dir_), (std::set<std::string>{"busy.ini"}));

  ini.UpdateFile();
  EXPECT_EQ(ini.LastError(), 0);
  EXPECT_FALSE(ini.Modified());
  EXPECT_EQ(ReadBytes(file), Utf16File(u"[S]\r\nk=new\r\n\r\n"));
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(SafeIniFile, AFileThatFailedToLoadIsNotOverwrittenOnDestruction) {
  const fs::path file = PathOf("locked.ini");
  const TBytes old_content = Utf16File(u"[S]\r\nk=old\r\n\r\n");
  WriteBytes(file, old_content);
  {
    OpenedElsewhere locker(file, 0);  // no sharing at all
    ASSERT_TRUE(locker.ok());
    TSafeIniFile ini(Name(file));
    EXPECT_TRUE(ini.LoadFailed());
    EXPECT_EQ(ini.LastError(), ERROR_SHARING_VIOLATION);
    ini.WriteString(u"S", u"k", u"new");
    locker.Release();
  }  // destroyed while modified: writes nothing
  EXPECT_EQ(ReadBytes(file), old_content);

  OpenedElsewhere locker(file, 0);
  TSafeIniFile ini(Name(file));
  locker.Release();
  ini.WriteString(u"S", u"k", u"new");
  ini.UpdateFile();  // an explicit save still writes
  EXPECT_EQ(ini.LastError(), 0);
  EXPECT_EQ(ReadBytes(file), Utf16File(u"[S]\r\nk=new\r\n\r\n"));
}

#else  // POSIX

TEST_F(SafeIniFile, ReadOnlyFilesAreRewrittenAndKeepTheirMode) {
  const fs::path file = PathOf("guarded.ini");
  WriteBytes(file, Utf16File(u"[S]\r\nk=old\r\n"));
  ASSERT_EQ(::chmod(file.c_str(), 0440), 0);
  {
    TSafeIniFile ini(Name(file));
    ini.WriteString(u"S", u"k", u"new");
  }
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0440u);
  EXPECT_EQ(ReadBytes(file), Utf16File(u"[S]\r\nk=new\r\n\r\n"));
  EXPECT_EQ(Entries(dir_), (std::set<std::string>{"guarded.ini"}));
}

#ifdef __linux__
// Makes a folder refuse new entries, even to root (the immutable flag), or
// by its mode for other users; undone at the end of the scope.
class UnwritableFolder {
 public:
  explicit UnwritableFolder(const fs::path& folder) : folder_(folder) {
    if (::geteuid() != 0) {
      applied_ = ::chmod(folder_.c_str(), 0555) == 0;
      return;
    }
    const int fd = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
      flags |= FS_IMMUTABLE_FL;
      applied_ = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    if (fd >= 0) ::close(fd);
  }
  ~UnwritableFolder() {
    if (!applied_) return;
    if (::geteuid() != 0) {
      ::chmod(folder_.c_str(), 0755);
      return;
    }
    const int fd = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
      flags &= ~FS_IMMUTABLE_FL;
      ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    if (fd >= 0) ::close(fd);
  }
  bool applied() const { return applied_; }

 private:
  fs::path folder_;
  bool applied_ = false;
};

TEST_F(SafeIniFile, ASaveIntoAnUnwritableFolderKeepsTheOldFile) {
  // The file itself could be written in place; a temporary file beside it
  // cannot be made, and the old content stays as it was.
  const fs::path folder = PathOf("locked");
  fs::create_directories(folder);
  const fs::path file = folder / "settings.ini";
  const TBytes old_content = Utf16File(u"[S]\r\nk=old\r\n\r\n");
  WriteBytes(file, old_content);
  TSafeIniFile ini(Name(file));
  ini.WriteString(u"S", u"k", u"new");
  {
    const UnwritableFolder unwritable(folder);
    if (!unwritable.applied()) GTEST_SKIP() << "cannot make a folder unwritable here";
    ini.UpdateFile();
    EXPECT_TRUE(ini.LastError() == EPERM || ini.LastError() == EACCES) << ini.LastError();
    EXPECT_TRUE(ini.Modified());
    EXPECT_EQ(ReadBytes(file), old_content);
    EXPECT_EQ(Entries(folder), (std::set<std::string>{"settings.ini"}));
  }
  ini.UpdateFile();
  EXPECT_EQ(ini.LastError(), 0);
  EXPECT_EQ(ReadBytes(file), Utf16File(u"[S]\r\nk=new\r\n\r\n"));
}

TEST_F(SafeIniFile, ASaveOntoAFullDiskKeepsTheOldFile) {
  // A small file system of its own, seen only by this process (a private
  // mount namespace), so nothing is left mounted whatever happens.
  const fs::path folder = PathOf("small");
  fs::create_directories(folder);
  if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "cannot mount a small file system here";
  }
  const fs::path file = folder / "settings.ini";
  const TBytes old_content = Utf16File(u"[S]\r\nk=old\r\n\r\n");
  WriteBytes(file, old_content);
  {
    std::ofstream filler(folder / "filler", std::ios::binary);
    const std::string block(4096, 'x');
    while (filler.write(block.data(), std::streamsize(block.size())) && filler.flush()) {
    }
  }
  {
    TSafeIniFile ini(Name(file));
    ini.WriteString(u"S", u"k", String(16 * 1024, u'n'));
    ini.UpdateFile();
    EXPECT_EQ(ini.LastError(), ENOSPC);
    EXPECT_TRUE(ini.Modified());
    EXPECT_EQ(ReadBytes(file), old_content);
    EXPECT_EQ(Entries(folder), (std::set<std::string>{"filler", "settings.ini"}));
  }  // destruction tries once more and fails the same way
  EXPECT_EQ(ReadBytes(file), old_content);
  ::umount2(folder.c_str(), MNT_DETACH);
}
#endif  // __linux__

TEST_F(SafeIniFile, AFileThatFailedToLoadIsNotOverwrittenOnDestruction) {
  // Too large to load: 2 GiB, sparse, so it costs no disk space.
  const fs::path file = PathOf("huge.ini");
  { std::ofstream create(file, std::ios::binary); }
  fs::resize_file(file, uintmax_t(1) << 31);
  {
    TSafeIniFile ini(Name(file));
    EXPECT_TRUE(ini.LoadFailed());
    EXPECT_EQ(ini.LastError(), EFBIG);
    ini.WriteString(u"S", u"k", u"new");
  }
  EXPECT_EQ(fs::file_size(file), uintmax_t(1) << 31);
}

#endif

}  // namespace
