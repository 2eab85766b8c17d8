#include "rtl/lists.h"

#include <gtest/gtest.h>

#include <string>

#include "rtl/exceptions.h"

namespace {

// Records every notification as "+a", "-a" (deleted) or "~a" (extracted).
class TRecordingList : public TList {
 public:
  ~TRecordingList() override { Clear(); }
  std::string log;

 protected:
  void Notify(void* item, TListNotification action) override {
    log += action == lnAdded ? '+' : action == lnDeleted ? '-' : '~';
    log += *static_cast<char*>(item);
  }
};

TEST(List, EditsNotifyEveryItemThatComesAndGoes) {
  char a = 'a', b = 'b', c = 'c';
  TRecordingList list;
  EXPECT_EQ(list.Add(&a), 0);
  EXPECT_EQ(list.Add(&b), 1);
  list.Insert(0, &c);  // c a b
  list.Add(nullptr);   // nil items are not announced
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.IndexOf(&a), 1);
  EXPECT_EQ(list.Remove(&a), 1);  // c b nil
  EXPECT_EQ(list.Remove(&a), -1);
  EXPECT_EQ(list.Extract(&b), &b);  // c nil
  list.Put(1, &a);                  // c a
  list.Put(0, &b);                  // b a
  list.Exchange(0, 1);              // a b
  EXPECT_EQ(list.First(), &a);
  EXPECT_EQ(list.Last(), &b);
  list.Move(0, 1);  // b a
  EXPECT_EQ(list.Get(1), &a);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.log, "+a+b+c-a~b+a-c+b-a-b");
}

TEST(List, CountCapacityPackAndSort) {
  int values[] = {3, 1, 2, 1};
  TList list;
  list.SetCount(2);  // two nil items
  for (int& v : values) list.Add(&v);
  list.Pack();
  EXPECT_EQ(list.Count(), 4);
  list.Sort([](void* x, void* y) { return *static_cast<int*>(x) - *static_cast<int*>(y); });
  EXPECT_EQ(*static_cast<int*>(list.Get(0)), 1);
  EXPECT_EQ(list.Get(0), &values[1]);  // stable: equal items keep their order
  EXPECT_EQ(list.Get(1), &values[3]);
  EXPECT_EQ(*static_cast<int*>(list.Get(3)), 3);
  list.SetCapacity(100);
  EXPECT_GE(list.Capacity(), 100);
  list.SetCount(1);
  EXPECT_EQ(list.Count(), 1);
}

TEST(List, BadIndexesRaiseListErrors) {
  int v = 0;
  TList list;
  list.Add(&v);
  struct Case {
    void (*call)(TList&);
    const char16_t* message;
  };
  const Case cases[] = {
      {[](TList& l) { l.Get(1); }, u"List index out of bounds (1)"},
      {[](TList& l) { l.Get(-1); }, u"List index out of bounds (-1)"},
      {[](TList& l) { l.Delete(5); }, u"List index out of bounds (5)"},
      {[](TList& l) { l.Insert(2, nullptr); }, u"List index out of bounds (2)"},
      {[](TList& l) { l.Exchange(0, 3); }, u"List index out of bounds (3)"},
      {[](TList& l) { l.SetCapacity(0); }, u"List capacity out of bounds (0)"},
      {[](TList& l) { l.SetCount(-1); }, u"List count out of bounds (-1)"},
  };
  for (const Case& c : cases) {
    try {
      c.call(list);
      ADD_FAILURE() << "no error for " << StringToUtf8(c.message);
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
  TList empty;
  EXPECT_THROW(empty.First(), EListError);
  EXPECT_EQ(list.Count(), 1);
}

}  // namespace
