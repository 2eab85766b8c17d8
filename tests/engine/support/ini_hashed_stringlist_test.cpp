#include "engine/support/ini_hashed_stringlist.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "rtl/textutils.h"

namespace {

// Shows whether the hashes survived a change.
class ProbedList : public TIniHashedStringList {
 public:
  bool HashesValid() const { return value_hash_valid_ && name_hash_valid_; }
  // Both hashes built, as after any lookup.
  void Prime() const {
    UpdateValueHash();
    UpdateNameHash();
  }
};

// What a scan of the lines finds: the first line equal to `s`, or named
// `name`, folded as the list folds.
int32_t ScanIndexOf(const TStrings& list, StringView s, bool case_sensitive) {
  for (int32_t i = 0; i < list.Count(); ++i) {
    if (case_sensitive ? list.Get(i) == s : AnsiUpperCase(list.Get(i)) == AnsiUpperCase(s)) return i;
  }
  return -1;
}
int32_t ScanIndexOfName(const TStrings& list, StringView name, bool case_sensitive) {
  for (int32_t i = 0; i < list.Count(); ++i) {
    const String line = list.Get(i);
    const size_t eq = line.find(u'=');
    if (eq == String::npos) continue;
    const String line_name = line.substr(0, eq);
    if (case_sensitive ? line_name == name : AnsiUpperCase(line_name) == AnsiUpperCase(name)) return i;
  }
  return -1;
}

TEST(IniHashedStringList, AppendsAndReplacementsKeepBothHashesRight) {
  // Seeded random runs of appends and replacements over a small alphabet,
  // so that names and whole lines collide often (also with lines without a
  // name and with an empty name); after each step every lookup must agree
  // with a scan, and the hashes must not have been dropped.
  const String names[] = {u"a", u"A", u"b", u"\u00e9", u"\u00c9", u""};
  const String values[] = {u"1", u"2", u""};
  for (bool case_sensitive : {false, true}) {
    std::mt19937 random(case_sensitive ? 7 : 11);
    ProbedList list;
    list.SetCaseSensitive(case_sensitive);
    list.Prime();
    for (int step = 0; step < 400; ++step) {
      const String& name = names[random() % std::size(names)];
      const uint32_t shape = random() % 4;
      const String line = shape == 0 ? name : name + u"=" + values[random() % std::size(values)];
      if (list.Count() > 0 && random() % 2 == 0) {
        list.Put(int32_t(random() % uint32_t(list.Count())), line);
      } else {
        list.Add(line);
      }
      ASSERT_TRUE(list.HashesValid()) << "step " << step;
      for (const String& probe : names) {
        ASSERT_EQ(list.IndexOfName(probe), ScanIndexOfName(list, probe, case_sensitive)) << "step " << step;
        for (const String& value : values) {
          const String probe_line = probe + u"=" + value;
          ASSERT_EQ(list.IndexOf(probe_line), ScanIndexOf(list, probe_line, case_sensitive)) << "step " << step;
        }
        ASSERT_EQ(list.IndexOf(probe), ScanIndexOf(list, probe, case_sensitive)) << "step " << step;
      }
    }
  }
}

TEST(IniHashedStringList, OtherChangesAndSortedListsRebuildOnDemand) {
  ProbedList list;
  for (const char16_t* line : {u"a=1", u"b=2", u"c=3"}) list.Add(line);
  list.Prime();
  list.Delete(0);  // shifts the lines after it: no update in place
  EXPECT_FALSE(list.HashesValid());
  EXPECT_EQ(list.IndexOfName(u"c"), 1);
  EXPECT_EQ(list.IndexOf(u"b=2"), 0);

  ProbedList sorted;
  sorted.SetSorted(true);
  sorted.Add(u"m=1");
  sorted.Prime();
  sorted.Add(u"a=0");  // lands before m
  EXPECT_FALSE(sorted.HashesValid());
  EXPECT_EQ(sorted.IndexOfName(u"m"), 1);
  EXPECT_EQ(sorted.IndexOfName(u"a"), 0);
}

TEST(IniHashedStringList, HashesInvalidBeforeAChangeStayInvalid) {
  // Nothing looked up yet: the hashes are built on the first lookup only.
  ProbedList list;
  list.Add(u"a=1");
  list.Put(0, u"b=1");
  EXPECT_FALSE(list.HashesValid());
  EXPECT_EQ(list.IndexOfName(u"b"), 0);
  EXPECT_EQ(list.IndexOfName(u"a"), -1);
}

}  // namespace
