#include "rtl/filenames.h"

#include <gtest/gtest.h>

namespace {

TEST(FileNames, PartsOfAPath) {
  struct Case {
    const char16_t* path;
    const char16_t* folder;
    const char16_t* dir;
    const char16_t* name;
    const char16_t* ext;
  };
  const Case cases[] = {
      {u"C:\\tool\\classic\\color_setting.ini", u"C:\\tool\\classic\\", u"C:\\tool\\classic",
       u"color_setting.ini", u".ini"},
      {u"C:\\b.txt", u"C:\\", u"C:\\", u"b.txt", u".txt"},
      {u"C:b.txt", u"C:", u"C:", u"b.txt", u".txt"},
      {u"\\b.txt", u"\\", u"\\", u"b.txt", u".txt"},
      {u"b.tar.gz", u"", u"", u"b.tar.gz", u".gz"},
      {u"/home/u/a.b/c", u"/home/u/a.b/", u"/home/u/a.b", u"c", u""},
      {u"mixed/sep\\x.png", u"mixed/sep\\", u"mixed/sep", u"x.png", u".png"},
      {u"folder\\", u"folder\\", u"folder", u"", u""},
      {u".hidden", u"", u"", u".hidden", u".hidden"},
      {u"", u"", u"", u"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.path), c.folder) << StringToUtf8(c.path);
    EXPECT_EQ(ExtractFileDir(c.path), c.dir) << StringToUtf8(c.path);
    EXPECT_EQ(ExtractFileName(c.path), c.name) << StringToUtf8(c.path);
    EXPECT_EQ(ExtractFileExt(c.path), c.ext) << StringToUtf8(c.path);
  }
}

TEST(FileNames, ChangingExtensionsAndDelimiters) {
  EXPECT_EQ(ChangeFileExt(u"a\\skin.rcc", u".dll"), u"a\\skin.dll");
  EXPECT_EQ(ChangeFileExt(u"a.b\\skin", u".dll"), u"a.b\\skin.dll");
  EXPECT_EQ(ChangeFileExt(u"skin.rcc", u""), u"skin");
  EXPECT_EQ(ExtractFileDrive(u"C:\\a"), u"C:");
  EXPECT_EQ(ExtractFileDrive(u"\\\\server\\share\\a\\b"), u"\\\\server\\share");
  EXPECT_EQ(ExtractFileDrive(u"a\\b"), u"");
  const String delim(1, PathDelim);
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"C:\\tool"), u"C:\\tool" + delim);
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"C:\\tool\\"), u"C:\\tool\\");
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"/tmp/"), u"/tmp/");
  EXPECT_EQ(IncludeTrailingPathDelimiter(u""), delim);
  EXPECT_EQ(ExcludeTrailingPathDelimiter(u"C:\\tool\\"), u"C:\\tool");
  EXPECT_EQ(ExcludeTrailingPathDelimiter(u"C:\\tool"), u"C:\\tool");
}

}  // namespace
