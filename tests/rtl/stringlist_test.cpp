#include "rtl/stringlist.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "rtl/exceptions.h"
#include "rtl/streams.h"
#include "rtl/textutils.h"

namespace {

String Joined(const TStrings& list) {
  String out;
  for (int32_t i = 0; i < list.Count(); ++i) out += (i ? u"|" : u"") + list.Get(i);
  return out;
}

class TTracked : public TObject {
 public:
  explicit TTracked(int& deleted) : deleted_(deleted) {}
  ~TTracked() override { ++deleted_; }

 private:
  int& deleted_;
};

TEST(StringList, SortedListsInsertInOrderAndFindByBisection) {
  TStringList list;
  for (const char16_t* s : {u"pear", u"Apple", u"fig", u"apple", u"banana"}) list.Add(s);
  list.SetSorted(true);  // case-insensitive: Apple and apple are equal, stable order kept
  EXPECT_EQ(Joined(list), u"Apple|apple|banana|fig|pear");
  EXPECT_EQ(list.Add(u"cherry"), 3);
  EXPECT_EQ(list.Add(u"APPLE"), 0) << "dupIgnore returns the existing line";
  EXPECT_EQ(list.Count(), 6);
  int32_t index = -1;
  EXPECT_TRUE(list.Find(u"FIG", index));
  EXPECT_EQ(index, 4);
  EXPECT_FALSE(list.Find(u"date", index));
  EXPECT_EQ(index, 4) << "insertion position";
  EXPECT_EQ(list.IndexOf(u"Pear"), 5);
  EXPECT_EQ(list.IndexOf(u"kiwi"), -1);

  list.SetDuplicates(dupAccept);
  list.Add(u"fig");
  EXPECT_TRUE(list.Find(u"fig", index));
  EXPECT_EQ(index, 4) << "dupAccept finds the first equal line";
  list.SetDuplicates(dupError);
  try {
    list.Add(u"FIG");
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), u"String list does not allow duplicates");
  }
  for (auto call : {+[](TStringList& l) { l.Insert(0, u"x"); }, +[](TStringList& l) { l.Put(0, u"x"); },
                    +[](TStringList& l) { l.Exchange(0, 1); }, +[](TStringList& l) { l.Move(0, 1); }}) {
    try {
      call(list);
      ADD_FAILURE();
    } catch (const EStringListError& e) {
      EXPECT_EQ(e.Message(), u"Operation not allowed on sorted list");
    }
  }

  list.SetCaseSensitive(true);  // re-sorts ordinally: capitals first
  EXPECT_EQ(Joined(list), u"Apple|apple|banana|cherry|fig|fig|pear");
  EXPECT_EQ(list.IndexOf(u"APPLE"), -1);
}

// A list whose own compare orders by length: every search and sort must use it.
class TByLength : public TStringList {
 protected:
  int32_t CompareStrings(StringView a, StringView b) const override {
    return int32_t(a.size()) - int32_t(b.size());
  }
};

TEST(StringList, CompareStringsDrivesSortFindAndIndexOfName) {
  TByLength list;
  for (const char16_t* s : {u"ccc", u"a", u"bb"}) list.Add(s);
  EXPECT_EQ(list.IndexOf(u"xx"), 2) << "unsorted IndexOf compares with CompareStrings too";
  list.Sort();
  EXPECT_EQ(Joined(list), u"a|bb|ccc");
  list.SetSorted(true);
  int32_t index;
  EXPECT_TRUE(list.Find(u"zz", index));
  EXPECT_EQ(index, 1);
  list.SetSorted(false);
  list.Add(u"key=v");
  EXPECT_EQ(list.IndexOfName(u"KEY"), 3);
  list.CustomSort([](TStringList& l, int32_t i, int32_t j) { return CompareStr(l.Get(j), l.Get(i)); });
  EXPECT_EQ(Joined(list), u"key=v|ccc|bb|a");
}

TEST(StringList, NameValueAccess) {
  TStringList list;
  list.SetText(u"color=red\r\nsize = 10\r\nflag\r\nempty=\r\ncolor=blue");
  EXPECT_EQ(list.Names(0), u"color");
  EXPECT_EQ(list.Names(2), u"") << "no separator, no name";
  EXPECT_EQ(list.ValueFromIndex(2), u"");
  EXPECT_EQ(list.ValueFromIndex(1), u" 10");
  EXPECT_EQ(list.Values(u"COLOR"), u"red") << "first of equal names";
  EXPECT_EQ(list.Values(u"size "), u" 10");
  EXPECT_EQ(list.Values(u"missing"), u"");
  EXPECT_EQ(list.IndexOfName(u"empty"), 3);
  EXPECT_EQ(list.IndexOfName(u"flag"), -1);
  list.SetValue(u"Color", u"green");
  EXPECT_EQ(list.Get(0), u"Color=green");
  list.SetValue(u"new", u"1");
  EXPECT_EQ(list.Get(5), u"new=1");
  list.SetValue(u"color", u"");  // deletes the first color line
  EXPECT_EQ(list.Values(u"color"), u"blue");
  list.SetValueFromIndex(0, u"20");
  EXPECT_EQ(list.Get(0), u"size =20");

  list.SetNameValueSeparator(u':');
  list.SetText(u"a:1\r\nb=2:3");
  EXPECT_EQ(list.Values(u"a"), u"1");
  EXPECT_EQ(list.Names(1), u"b=2");
}

TEST(StringList, TextSplitsAtEveryLineBreakAndJoinsWithCrLf) {
  struct Case {
    const char16_t* text;
    const char16_t* lines;
    int32_t count;
  };
  const Case cases[] = {
      {u"", u"", 0},           {u"a", u"a", 1},
      {u"a\r\n", u"a", 1},     {u"a\r\n\r\n", u"a|", 2},
      {u"a\rb\nc\r\nd", u"a|b|c|d", 4},
      {u"a\n\rb", u"a||b", 3},  // LF then CR: two breaks
      {u"\r\n", u"", 1},
  };
  TStringList list;
  for (const Case& c : cases) {
    list.SetText(c.text);
    EXPECT_EQ(list.Count(), c.count) << StringToUtf8(c.text);
    EXPECT_EQ(Joined(list), c.lines) << StringToUtf8(c.text);
  }
  list.SetText(u"x\ny");
  EXPECT_EQ(list.Text(), u"x\r\ny\r\n");
  list.SetLineBreak(u"\n");
  EXPECT_EQ(list.Text(), u"x\ny\n");
}

TEST(StringList, DelimitedAndCommaText) {
  TStringList list;
  list.SetCommaText(u" a, \"b c\" ,\"it\"\"s\",,d e,");
  EXPECT_EQ(Joined(list), u"a|b c|it\"s||d|e|");
  EXPECT_EQ(list.CommaText(), u"a,\"b c\",\"it\"\"s\",,d,e,");
  list.SetDelimiter(u';');
  list.SetQuoteChar(u'\'');
  list.SetStrictDelimiter(true);
  list.SetDelimitedText(u" a b ;'c;d';");
  EXPECT_EQ(Joined(list), u" a b |c;d|");
  EXPECT_EQ(list.DelimitedText(), u" a b ;'c;d';");
  list.Clear();
  list.Add(u"");
  EXPECT_EQ(list.CommaText(), u"\"\"");
  list.SetCommaText(u"\"\"");
  EXPECT_EQ(list.Count(), 1);
}

TEST(StringList, ChangeEventsAndUpdateBrackets) {
  struct Counter : TObject {
    int changing = 0, changed = 0;
    void OnChanging(TObject*) { ++changing; }
    void OnChanged(TObject*) { ++changed; }
  } counter;
  TStringList list;
  list.OnChanging = MakeEvent<&Counter::OnChanging>(&counter);
  list.OnChange = MakeEvent<&Counter::OnChanged>(&counter);
  list.Add(u"a");
  list.Put(0, u"b");
  list.Delete(0);
  EXPECT_EQ(counter.changing, 3);
  EXPECT_EQ(counter.changed, 3);
  list.BeginUpdate();
  list.BeginUpdate();
  for (int i = 0; i < 10; ++i) list.Add(u"x");
  list.EndUpdate();
  EXPECT_EQ(counter.changed, 3) << "nothing until the outer bracket closes";
  list.EndUpdate();
  EXPECT_EQ(counter.changing, 4);
  EXPECT_EQ(counter.changed, 4);
  list.SetText(u"1\r\n2\r\n3");  // one bracket for the whole text
  EXPECT_EQ(counter.changed, 5);
  list.EndUpdate();  // unbalanced: ignored
  EXPECT_EQ(list.UpdateCount(), 0);
}

TEST(StringList, OwnedObjectsAreDeletedWithTheirLines) {
  int deleted = 0;
  {
    TStringList list(true);
    list.AddObject(u"a", new TTracked(deleted));
    list.AddObject(u"b", new TTracked(deleted));
    list.AddObject(u"c", new TTracked(deleted));
    list.AddObject(u"d", new TTracked(deleted));
    list.Delete(0);
    EXPECT_EQ(deleted, 1);
    list.Move(0, 2);  // moving keeps the object alive
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(Joined(list), u"c|d|b");
    EXPECT_NE(list.Objects(2), nullptr);
    list.Clear();
    EXPECT_EQ(deleted, 4);
    list.AddObject(u"e", new TTracked(deleted));
  }
  EXPECT_EQ(deleted, 5) << "destruction deletes the rest";

  int kept = 0;
  TTracked borrowed(kept);
  {
    TStringList list;
    list.AddObject(u"x", &borrowed);
    EXPECT_EQ(list.IndexOfObject(&borrowed), 0);
    list.Delete(0);
  }
  EXPECT_EQ(kept, 0) << "a list that does not own its objects leaves them";
}

TEST(StringList, BadIndexesRaiseStringListErrors) {
  TStringList list;
  list.Add(u"a");
  EXPECT_THROW(list.Get(1), EStringListError);
  EXPECT_THROW(list.Objects(-1), EListError);
  EXPECT_THROW(list.Insert(3, u"x"), EStringListError);
  try {
    list.Delete(7);
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), u"List index out of bounds (7)");
  }
}

TEST(StringList, AssignCopiesLinesAndSettings) {
  TStringList source;
  source.SetNameValueSeparator(u':');
  source.SetText(u"b:1\r\na:2");
  TStringList sorted;
  sorted.SetSorted(true);
  sorted.Assign(&source);
  EXPECT_EQ(Joined(sorted), u"a:2|b:1");
  EXPECT_EQ(sorted.Values(u"b"), u"1");
  EXPECT_TRUE(source.Equals(source));
  EXPECT_FALSE(sorted.Equals(source));
  TPersistent other;
  EXPECT_THROW(sorted.Assign(&other), EConvertError);
}

std::filesystem::path TempFile(const char* name) {
  return std::filesystem::temp_directory_path() / name;
}

TEST(StringList, LoadAndSaveInEncodingsWithMarks) {
  TStringList list;
  list.SetText(u"caf\u00E9\r\n\u4E2D");
  struct Case {
    const TEncoding* encoding;
    TBytes start;
  };
  const Case cases[] = {
      {&TEncoding::UTF8(), {0xEF, 0xBB, 0xBF, 'c', 'a', 'f', 0xC3, 0xA9, '\r', '\n'}},
      {&TEncoding::Unicode(), {0xFF, 0xFE, 'c', 0, 'a', 0}},
      {&TEncoding::BigEndianUnicode(), {0xFE, 0xFF, 0, 'c', 0, 'a'}},
  };
  for (const Case& c : cases) {
    TMemoryStream stream;
    list.SaveToStream(stream, c.encoding);
    ASSERT_GE(stream.Size(), int64_t(c.start.size()));
    const auto* bytes = static_cast<const uint8_t*>(stream.Memory());
    EXPECT_EQ(TBytes(bytes, bytes + c.start.size()), c.start);
    stream.SetPosition(0);
    TStringList back;
    back.LoadFromStream(stream);  // the mark decides
    EXPECT_TRUE(back.Equals(list)) << StringToUtf8(c.encoding->EncodingName());
    EXPECT_EQ(back.Encoding(), c.encoding);
  }

  // Without a mark the default encoding (ANSI) reads the bytes; saving again
  // keeps the encoding the text was read in.
  TMemoryStream ansi;
  const uint8_t latin[] = {'c', 'a', 'f', 0xE9, '\n', 'x'};
  ansi.WriteBuffer(latin, sizeof latin);
  ansi.SetPosition(0);
  TStringList read;
  read.LoadFromStream(ansi);
  EXPECT_EQ(Joined(read), u"caf\u00E9|x");
  EXPECT_EQ(read.Encoding(), &TEncoding::ANSI());
  read.SetWriteBOM(false);
  TMemoryStream again;
  read.SaveToStream(again, &TEncoding::UTF8());
  const auto* utf8 = static_cast<const uint8_t*>(again.Memory());
  EXPECT_EQ(TBytes(utf8, utf8 + again.Size()),
            (TBytes{'c', 'a', 'f', 0xC3, 0xA9, '\r', '\n', 'x', '\r', '\n'}))
      << "no mark";

  const std::filesystem::path path = TempFile("rtltext_stringlist.txt");
  list.SaveToFile(path.u16string(), &TEncoding::Unicode());
  TStringList from_file;
  from_file.LoadFromFile(path.u16string());
  EXPECT_TRUE(from_file.Equals(list));
  std::filesystem::remove(path);
  EXPECT_THROW(from_file.LoadFromFile(path.u16string()), EFOpenError);
  EXPECT_TRUE(from_file.Equals(list)) << "a failed load leaves the lines";
}

}  // namespace
