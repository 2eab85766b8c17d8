#include "rtl/streams.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

String TempPath(const String& leaf) { return std::filesystem::temp_directory_path().u16string() + u"/" + leaf; }

std::string Bytes(TCustomMemoryStream& s) {
  return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

TEST(MemoryStream, WritesGrowReadsStopAtEndAndSeekPastEndFillsWithZeros) {
  TMemoryStream s;
  s.WriteBuffer("abc", 3);
  EXPECT_EQ(s.Size(), 3);
  EXPECT_EQ(s.Position(), 3);
  s.SetPosition(5);
  s.WriteBuffer("z", 1);
  EXPECT_EQ(Bytes(s), std::string("abc\0\0z", 6));

  s.SetPosition(4);
  char buf[8] = {};
  EXPECT_EQ(s.Read(buf, 8), 2);
  EXPECT_EQ(s.Read(buf, 8), 0);
  s.SetPosition(100);
  EXPECT_EQ(s.Read(buf, 1), 0);
  EXPECT_THROW(s.Seek(-1, soBeginning), EStreamError);
  EXPECT_EQ(s.Seek(-2, soEnd), 4);
  EXPECT_EQ(s.Seek(1, soCurrent), 5);
}

TEST(MemoryStream, ReadBufferAndWriteBufferRaiseTheFrameworkErrors) {
  TMemoryStream s;
  s.WriteBuffer("ab", 2);
  s.SetPosition(0);
  char buf[4];
  try {
    s.ReadBuffer(buf, 3);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), u"Stream read error");
  }
  TResourceStream ro("xyz", 3);
  try {
    ro.Write("a", 1);
    FAIL();
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.Message(), u"Can't write to a read-only resource stream");
  }
  EXPECT_THROW(ro.SetSize(1), EStreamError);
}

TEST(MemoryStream, SetSizeTruncatesClampsPositionAndZeroFillsGrowth) {
  TMemoryStream s;
  s.WriteBuffer("abcdef", 6);
  s.SetSize(2);
  EXPECT_EQ(s.Position(), 2);
  s.SetSize(4);
  EXPECT_EQ(Bytes(s), std::string("ab\0\0", 4));
  EXPECT_THROW(s.SetSize(-1), EStreamError);
  s.Clear();
  EXPECT_EQ(s.Size(), 0);
  EXPECT_EQ(s.Position(), 0);
}

TEST(MemoryStream, CopyFromWithZeroCopiesTheWholeSourceAndLoadFromStreamRewinds) {
  TResourceStream src("hello world", 11);
  src.SetPosition(6);
  TMemoryStream dst;
  EXPECT_EQ(dst.CopyFrom(src, 0), 11);
  EXPECT_EQ(Bytes(dst), "hello world");

  src.SetPosition(6);
  TMemoryStream part;
  EXPECT_EQ(part.CopyFrom(src, 5), 5);
  EXPECT_EQ(Bytes(part), "world");
  src.SetPosition(8);
  EXPECT_THROW(part.CopyFrom(src, 5), EReadError);

  TMemoryStream loaded;
  loaded.LoadFromStream(src);
  EXPECT_EQ(loaded.Position(), 0);
  EXPECT_EQ(Bytes(loaded), "hello world");
}

TEST(FileStream, CreatesWritesReopensAndReadsBackWithAUnicodeName) {
  const String name = TempPath(u"rtl_stream_\u00E9\u4E2D.bin");
  {
    TFileStream f(name, fmCreate);
    f.WriteBuffer("0123456789", 10);
    f.SetSize(4);
    EXPECT_EQ(f.Size(), 4);
    EXPECT_EQ(f.Position(), 4);
  }
  {
    TFileStream f(name, fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(f.Size(), 4);
    EXPECT_EQ(f.Seek(-2, soEnd), 2);
    char buf[8] = {};
    EXPECT_EQ(f.Read(buf, 8), 2);
    EXPECT_STREQ(buf, "23");
    EXPECT_EQ(f.Write("x", 1), 0);  // opened for reading only
  }
  TMemoryStream m;
  m.LoadFromFile(name);
  EXPECT_EQ(Bytes(m), "0123");
  m.SaveToFile(name);
  std::filesystem::remove(std::filesystem::path(name));
}

TEST(FileStream, OpenAndCreateFailuresNameTheFile) {
  const String missing = TempPath(u"rtl_no_such_dir/none.bin");
  try {
    TFileStream f(missing, fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message().rfind(u"Cannot open file \"" + missing + u"\". ", 0), 0u) << e.what();
    EXPECT_GT(e.Message().size(), missing.size() + 21);  // the system's reason follows
  }
  try {
    TFileStream f(missing, fmCreate);
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message().rfind(u"Cannot create file \"" + missing + u"\". ", 0), 0u) << e.what();
  }
  EXPECT_THROW(TMemoryStream().LoadFromFile(missing), EFileStreamError);
}

}  // namespace
