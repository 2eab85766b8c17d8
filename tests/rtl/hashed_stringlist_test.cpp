#include "rtl/hashed_stringlist.h"

#include <gtest/gtest.h>

namespace {

TEST(HashedStringList, LooksUpLinesAndNamesThroughTheHashes) {
  THashedStringList list;
  list.SetText(u"Color=red\r\nsize=1\r\nplain\r\ncolor=blue\r\n\u00C9t\u00E9=summer");
  EXPECT_EQ(list.IndexOf(u"PLAIN"), 2);
  EXPECT_EQ(list.IndexOf(u"color=BLUE"), 3);
  EXPECT_EQ(list.IndexOf(u"nothing"), -1);
  EXPECT_EQ(list.IndexOfName(u"COLOR"), 0) << "the smallest index of equal names";
  EXPECT_EQ(list.IndexOfName(u"plain"), -1) << "a line without separator has no name";
  EXPECT_EQ(list.IndexOfName(u"\u00E9T\u00C9"), 4) << "keys fold beyond ASCII";
  EXPECT_EQ(list.Values(u"SIZE"), u"1");

  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOfName(u"color"), 3);
  EXPECT_EQ(list.IndexOfName(u"COLOR"), -1);
  EXPECT_EQ(list.IndexOf(u"Color=red"), 0);
}

TEST(HashedStringList, EveryChangeInvalidatesTheHashes) {
  THashedStringList list;
  list.SetText(u"a=1\r\nb=2\r\nc=3");
  ASSERT_EQ(list.IndexOfName(u"c"), 2);
  list.Delete(0);
  EXPECT_EQ(list.IndexOfName(u"c"), 1);
  EXPECT_EQ(list.IndexOfName(u"a"), -1);
  list.Insert(0, u"z=0");
  EXPECT_EQ(list.IndexOf(u"z=0"), 0);
  EXPECT_EQ(list.IndexOfName(u"c"), 2);
  list.Put(2, u"d=4");
  EXPECT_EQ(list.IndexOfName(u"c"), -1);
  EXPECT_EQ(list.IndexOfName(u"d"), 2);
  list.Exchange(0, 2);
  EXPECT_EQ(list.IndexOfName(u"d"), 0);
  list.SetValue(u"b", u"");
  EXPECT_EQ(list.IndexOfName(u"b"), -1);
  list.Clear();
  EXPECT_EQ(list.IndexOf(u"d=4"), -1);
  list.SetSorted(true);
  list.Add(u"m=1");
  list.Add(u"a=1");
  EXPECT_EQ(list.IndexOfName(u"m"), 1);
}

TEST(StringIndexHash, KeepsEveryIndexOfAKey) {
  TStringIndexHash hash;
  hash.Add(u"K", 4);
  hash.Add(u"K", 2);
  hash.Add(u"k", 9);
  EXPECT_EQ(hash.ValueOf(u"K"), 2);
  EXPECT_TRUE(hash.Remove(u"K", 2));
  EXPECT_FALSE(hash.Remove(u"K", 2));
  EXPECT_EQ(hash.ValueOf(u"K"), 4);
  EXPECT_EQ(hash.ValueOf(u"k"), 9);
  hash.Clear();
  EXPECT_EQ(hash.ValueOf(u"K"), -1);
}

}  // namespace
