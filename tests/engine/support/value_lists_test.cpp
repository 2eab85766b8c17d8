#include "engine/support/value_lists.h"

#include <gtest/gtest.h>

#include <vector>

#include "rtl/exceptions.h"

namespace {

std::vector<String> Lines(const TStrings& list) {
  std::vector<String> lines;
  for (int32_t i = 0; i < list.Count(); ++i) lines.push_back(list.Strings(i));
  return lines;
}

// Sets a flag when destroyed, to see which owned objects a list frees.
class Tracked : public TObject {
 public:
  explicit Tracked(bool& destroyed) : destroyed_(destroyed) {}
  ~Tracked() override { destroyed_ = true; }

 private:
  bool& destroyed_;
};

TEST(StringListEx, SortsOrdinallyFoldingOnlyAsciiLetters) {
  const struct {
    bool case_sensitive;
    std::vector<String> input;
    std::vector<String> sorted;
  } cases[] = {
      // "_" (0x5F) sorts after the upper-case letters a..z are folded to.
      {false, {u"a_", u"ab", u"B"}, {u"ab", u"a_", u"B"}},
      {true, {u"a_", u"ab", u"B"}, {u"B", u"a_", u"ab"}},
      // Letters outside a..z keep their case: E-acute and e-acute differ.
      {false, {u"\u00e9", u"\u00c9", u"e"}, {u"e", u"\u00c9", u"\u00e9"}},
  };
  for (const auto& c : cases) {
    TStringListEx list;
    list.SetCaseSensitive(c.case_sensitive);
    list.SetSorted(true);
    for (const String& s : c.input) list.Add(s);
    EXPECT_EQ(Lines(list), c.sorted) << "case sensitive " << c.case_sensitive;
  }
  TStringListEx list;
  list.SetSorted(true);
  list.Add(u"Key");
  EXPECT_EQ(list.IndexOf(u"KEY"), 0);
  EXPECT_EQ(list.Add(u"kEy"), 0);  // a duplicate, ignored
  EXPECT_EQ(list.Count(), 1);
}

TEST(StringValueList, OrdersAndFindsByName) {
  TStringValueList list;
  EXPECT_TRUE(list.Sorted());
  list.Add(u"abcd=2");
  list.Add(u"abc=1");
  list.Add(u"ab=0");
  EXPECT_EQ(Lines(list), (std::vector<String>{u"ab=0", u"abc=1", u"abcd=2"}));
  EXPECT_EQ(list.IndexOfName(u"abc"), 1);
  EXPECT_EQ(list.IndexOfName(u"ABCD"), 2);
  EXPECT_EQ(list.IndexOf(u"abc=other"), 1);
  EXPECT_EQ(list.IndexOfName(u"abcde"), -1);
  EXPECT_EQ(list.IndexOfName(u"a"), -1);
  // A line of an existing name is a duplicate.
  EXPECT_EQ(list.Add(u"abc=9"), 1);
  EXPECT_EQ(list.Strings(1), u"abc=1");
  EXPECT_EQ(list.Add(u"abc"), 1);
  EXPECT_EQ(list.Count(), 3);

  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOfName(u"ABC"), -1);
  EXPECT_EQ(list.IndexOfName(u"abc"), 1);
}

TEST(StringValueList, PutMovesTheLineWithItsObject) {
  bool destroyed = false;
  TStringValueList list;
  list.SetOwnsObjects(true);
  auto* object = new Tracked(destroyed);
  list.AddObject(u"b=1", object);
  list.Add(u"c=2");
  list.Add(u"d=3");
  list.Put(0, u"e=5");
  EXPECT_EQ(Lines(list), (std::vector<String>{u"c=2", u"d=3", u"e=5"}));
  EXPECT_EQ(list.Objects(2), object);
  EXPECT_FALSE(destroyed);

  try {
    list.Put(3, u"x=1");
    FAIL() << "no error raised";
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), u"List index out of bounds (3)");
  }
  EXPECT_THROW(list.Put(-1, u"x=1"), EStringListError);

  // dupError: the line stays where it was, with its object.
  list.SetDuplicates(dupError);
  EXPECT_THROW(list.Put(2, u"c=9"), EStringListError);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"c=2", u"d=3", u"e=5"}));
  EXPECT_EQ(list.Objects(2), object);

  // dupIgnore: the other line of that name stays unchanged and nothing is
  // lost, neither the replaced line nor its object.
  list.SetDuplicates(dupIgnore);
  list.Put(2, u"c=9");
  EXPECT_EQ(Lines(list), (std::vector<String>{u"c=2", u"d=3", u"e=5"}));
  EXPECT_EQ(list.Objects(2), object);
  EXPECT_FALSE(destroyed);
  // The line's own name is no other line's: its value changes.
  list.Put(0, u"c=7");
  EXPECT_EQ(Lines(list), (std::vector<String>{u"c=7", u"d=3", u"e=5"}));
}

TEST(RdValueStrings, FindsNamesThroughAnIndexRebuiltAfterChanges) {
  TRdValueStrings list;
  list.Add(u"Color=red");
  list.Add(u"flag");
  list.Add(u"color=green");
  EXPECT_EQ(list.IndexOfName(u"COLOR"), 0);  // the smallest index of the name
  EXPECT_EQ(list.IndexOf(u"color=blue"), 0);
  EXPECT_EQ(list.IndexOfName(u"FLAG"), 1);   // a line without separator is its own name
  EXPECT_EQ(list.IndexOf(u"flag"), 1);
  EXPECT_EQ(list.IndexOfName(u"colour"), -1);
  EXPECT_EQ(list.Values(u"COLOR"), u"red");

  list.Insert(0, u"alpha=1");
  EXPECT_EQ(list.IndexOfName(u"color"), 1);
  list.Delete(1);
  EXPECT_EQ(list.IndexOfName(u"color"), 2);
  list.Put(0, u"beta=2");
  EXPECT_EQ(list.IndexOfName(u"alpha"), -1);
  EXPECT_EQ(list.IndexOfName(u"beta"), 0);

  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOfName(u"COLOR"), -1);
  EXPECT_EQ(list.IndexOfName(u"color"), 2);

  list.SetNameValueSeparator(u':');
  list.Add(u"size:10");
  EXPECT_EQ(list.IndexOfName(u"size"), 3);
  EXPECT_EQ(list.IndexOfName(u"beta=2"), 0);
}

// Looks a name up from inside the change event.
class ChangeWatcher : public TObject {
 public:
  void Changed(TObject*) { found = list->IndexOfName(u"late"); }
  TRdValueStrings* list = nullptr;
  int32_t found = -2;
};

TEST(RdValueStrings, TheChangeEventAlreadySeesTheNewContent) {
  TRdValueStrings list;
  list.Add(u"early=1");
  EXPECT_EQ(list.IndexOfName(u"late"), -1);
  ChangeWatcher watcher;
  watcher.list = &list;
  list.OnChange = MakeEvent<&ChangeWatcher::Changed>(&watcher);
  list.Add(u"late=2");
  EXPECT_EQ(watcher.found, 1);
}

TEST(RdValueStrings, AnOwningListTakesNoSharedObjects) {
  bool destroyed = false;
  Tracked object(destroyed);
  TStringList source;
  source.Add(u"a=1");
  source.AddObject(u"b=2", &object);

  TRdValueStrings sharing;
  sharing.Assign(&source);
  EXPECT_EQ(sharing.Objects(1), &object);

  TRdValueStrings owning(true);
  owning.Add(u"kept=1");
  try {
    owning.Assign(&source);
    FAIL() << "no error raised";
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(e.Message(), u"not support strings contain object!!!");
  }
  EXPECT_EQ(Lines(owning), (std::vector<String>{u"kept=1"}));
  source.Delete(1);
  owning.Assign(&source);
  EXPECT_EQ(Lines(owning), (std::vector<String>{u"a=1"}));
  EXPECT_EQ(owning.IndexOfName(u"a"), 0);
}

class RdValueStringsChain : public ::testing::Test {
 protected:
  void SetUp() override {
    list.SetText(u"a=1\nb=2");
    near.SetText(u"b=20\nc=30\nd=40");
    far.SetText(u"d=400\ne=500");
    list.SetFallback(&near);
    near.SetFallback(&far);
  }
  TRdValueStrings list, near, far;
};

TEST_F(RdValueStringsChain, FallbackNamesGoAheadWhenMissing) {
  TStringList dest;
  dest.Add(u"old=0");
  list.AssignTo(&dest);
  EXPECT_EQ(Lines(dest), (std::vector<String>{u"e=500", u"c=30", u"d=40", u"a=1", u"b=2"}));
}

TEST_F(RdValueStringsChain, ASortedDestinationTakesEveryLine) {
  TStringList dest;
  dest.SetSorted(true);
  list.AssignTo(&dest);
  EXPECT_EQ(Lines(dest), (std::vector<String>{u"a=1", u"b=2", u"b=20", u"c=30", u"d=40", u"d=400", u"e=500"}));
}

TEST_F(RdValueStringsChain, ACycleEndsTheChain) {
  far.SetFallback(&list);
  TStringList plain;
  list.AssignTo(&plain);
  EXPECT_EQ(Lines(plain), (std::vector<String>{u"e=500", u"c=30", u"d=40", u"a=1", u"b=2"}));

  TRdValueStrings dest;
  near.SetFallback(&dest);  // the destination in the chain ends it too
  list.AssignTo(&dest);
  EXPECT_EQ(Lines(dest), (std::vector<String>{u"c=30", u"d=40", u"a=1", u"b=2"}));
  EXPECT_EQ(dest.IndexOfName(u"d"), 1);
}

TEST_F(RdValueStringsChain, OnlyStringListsAreDestinations) {
  TComponent component(nullptr);
  EXPECT_THROW(list.AssignTo(&component), EConvertError);
}

}  // namespace
