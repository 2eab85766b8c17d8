#include "engine/support/pointer_quick.h"

#include <gtest/gtest.h>

#include <vector>

#include "rtl/exceptions.h"

namespace {

std::vector<intptr_t> Keys(const TPointerQuick& list) {
  std::vector<intptr_t> keys;
  for (int32_t i = 0; i < list.Count(); ++i) keys.push_back(list.Items(i));
  return keys;
}

// Records the keys announced through OnDelete.
class DeleteRecorder : public TObject {
 public:
  void Deleted(TPointerQuick* sender, TBaseQuickListItem* item) {
    EXPECT_NE(sender, nullptr);
    keys.push_back(item->Key);
  }
  std::vector<intptr_t> keys;
};

TEST(PointerQuick, SortedAddKeepsSignedOrder) {
  TPointerQuick list;
  EXPECT_TRUE(list.Sorted());
  EXPECT_EQ(list.Duplicates(), dupIgnore);
  EXPECT_EQ(list.Context(), &list);
  for (const intptr_t key : std::vector<intptr_t>{5, -3, 100, 0, INTPTR_MIN, INTPTR_MAX}) list.Add(key);
  EXPECT_EQ(Keys(list), (std::vector<intptr_t>{INTPTR_MIN, -3, 0, 5, 100, INTPTR_MAX}));
  EXPECT_EQ(list.IndexOf(5), 3);
  EXPECT_EQ(list.IndexOf(6), -1);
  EXPECT_EQ(list.Remove(0), 2);
  EXPECT_EQ(list.Remove(0), -1);
  EXPECT_THROW(list.Items(list.Count()), EListError);
}

TEST(PointerQuick, DuplicateRules) {
  TPointerQuick ignore;
  ignore.Add(0x10);
  ignore.Add(0x1234);
  EXPECT_EQ(ignore.Add(0x1234), 1);
  EXPECT_EQ(ignore.Count(), 2);

  TPointerQuick accept;
  accept.SetDuplicates(dupAccept);
  accept.Add(0x10);
  accept.Add(0x1234);
  TBaseQuickListItem* first = accept.Item(1);
  EXPECT_EQ(accept.Add(0x1234), 1);  // before the equal item
  EXPECT_EQ(accept.Count(), 3);
  EXPECT_EQ(accept.Item(2), first);
  EXPECT_EQ(accept.IndexOf(0x1234), 1);

  TPointerQuick error;
  error.SetDuplicates(dupError);
  error.Add(0x1234);
  try {
    error.Add(0x1234);
    FAIL() << "no error raised";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), u"List does not allow duplicates ($01234)");
  }
  EXPECT_EQ(error.Count(), 1);
}

TEST(PointerQuick, SecondKeyTakesPartOnlyWhenGiven) {
  TPointerQuick list;
  list.Add(7, 2);
  list.Add(7, 1);
  list.Add(3);
  EXPECT_EQ(Keys(list), (std::vector<intptr_t>{3, 7, 7}));
  EXPECT_EQ(list.Item(0)->Key2, 0);
  EXPECT_EQ(list.Item(1)->Key2, 1);
  EXPECT_EQ(list.IndexOf(7), 1);  // the first item of key 7
  EXPECT_EQ(list.IndexOf(7, 2), 2);
  EXPECT_EQ(list.IndexOf(7, 3), -1);
  EXPECT_EQ(list.Add(7), 1);  // a key without second key matches any of them
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Remove(7, 2), 2);
  EXPECT_EQ(list.IndexOf(7, 2), -1);
}

TEST(PointerQuick, UnsortedAppendsAndScans) {
  TPointerQuick list;
  list.SetSorted(false);
  for (const intptr_t key : {9, 4, 9, 1}) list.Add(key);
  EXPECT_EQ(Keys(list), (std::vector<intptr_t>{9, 4, 9, 1}));
  EXPECT_EQ(list.IndexOf(9), 0);
  EXPECT_EQ(list.IndexOf(1), 3);
  EXPECT_EQ(list.IndexOf(2), -1);
}

// Descending order; counts its calls in the context it is given.
int32_t Descending(void* context, const TBaseQuickListItem& item, const TBaseQuickListItem& key, bool) {
  ++*static_cast<int*>(context);
  return item.Key > key.Key ? -1 : (item.Key < key.Key ? 1 : 0);
}

TEST(PointerQuick, CompareFunctionAndContextAreReplaceable) {
  TPointerQuick list;
  int calls = 0;
  list.SetContext(&calls);
  list.SetCompareFunc(&Descending);
  for (const intptr_t key : {2, 8, 5}) list.Add(key);
  EXPECT_EQ(Keys(list), (std::vector<intptr_t>{8, 5, 2}));
  EXPECT_GT(calls, 0);
  EXPECT_EQ(list.IndexOf(2), 2);
  // Back to the list's own ascending order, under which the descending
  // items are out of order: the bisection misses 8, which Descending finds.
  list.SetCompareFunc(nullptr);
  const int calls_before = calls;
  EXPECT_EQ(list.IndexOf(8), -1);
  EXPECT_EQ(calls, calls_before);
}

TEST(PointerQuick, LeavingRecordsAreAnnouncedAndAtMostSixteenRecycled) {
  DeleteRecorder recorder;
  {
    TPointerQuick list;
    list.OnDelete = MakeEvent<&DeleteRecorder::Deleted>(&recorder);
    for (intptr_t key = 1; key <= 20; ++key) list.Add(key);
    list.Remove(4);
    list.Delete(0);
    EXPECT_EQ(recorder.keys, (std::vector<intptr_t>{4, 1}));
    EXPECT_EQ(list.FreeCount(), 2);
    list.Clear();
    EXPECT_EQ(recorder.keys.size(), 20u);
    EXPECT_EQ(list.FreeCount(), 16);

    // Reused last in, first out, and clean.
    TBaseQuickListItem* top = nullptr;
    list.Add(50, 9);
    top = list.Item(0);
    top->Name = u"named";
    list.Delete(0);
    list.Add(60);
    EXPECT_EQ(list.Item(0), top);
    EXPECT_EQ(top->Key2, 0);
    EXPECT_TRUE(top->Name.empty());
    recorder.keys.clear();
  }
  EXPECT_EQ(recorder.keys, (std::vector<intptr_t>{60}));  // destruction announces what is left
}

}  // namespace
