#include "rtl/classes.h"

#include <gtest/gtest.h>

#include "test_components.h"

namespace {

TEST(Persistent, AssignFallsBackToTheConversionError) {
  TTestFont a, b;
  a.Name = u"Arial";
  b.Assign(&a);
  EXPECT_EQ(b.Name, u"Arial");
  TTestItem item(nullptr);
  try {
    b.Assign(&item);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Cannot assign a TTestItem to a TTestFont");
  }
  try {
    b.Assign(nullptr);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Cannot assign a nil to a TTestFont");
  }
}

TEST(Component, OwnerOwnsFindsByNameAndDeletingAComponentLeavesItsOwner) {
  TComponent owner(nullptr);
  auto* a = new TTestControl(&owner);
  auto* b = new TTestControl(&owner);
  a->SetName(u"Alpha");
  b->SetName(u"Beta");
  EXPECT_EQ(owner.ComponentCount(), 2);
  EXPECT_EQ(owner.FindComponent(u"alpha"), a);
  EXPECT_EQ(owner.FindComponent(u""), nullptr);
  EXPECT_EQ(b->ComponentIndex(), 1);
  b->SetComponentIndex(0);
  EXPECT_EQ(owner.Components(0), b);
  try {
    owner.Components(2);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), u"List index out of bounds (2)");
  }
  delete a;
  EXPECT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(owner.FindComponent(u"Alpha"), nullptr);

  std::unique_ptr<TComponent> moved = std::make_unique<TComponent>(nullptr);
  TComponent other(nullptr);
  other.InsertComponent(b);
  EXPECT_EQ(b->Owner(), &other);
  EXPECT_EQ(owner.ComponentCount(), 0);
  other.RemoveComponent(b);
  EXPECT_EQ(b->Owner(), nullptr);
  delete b;
}

TEST(Component, NamesAreValidatedAndUniqueIgnoringCase) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  a->SetName(u"Button1");
  for (const char16_t* bad : {u"1abc", u"a b", u"a-b", u"\u00E9"}) {
    try {
      b->SetName(bad);
      FAIL() << StringToUtf8(bad);
    } catch (const EComponentError& e) {
      EXPECT_EQ(e.Message(), u"'" + String(bad) + u"' is not a valid component name");
    }
  }
  try {
    b->SetName(u"BUTTON1");
    FAIL();
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), u"A component named BUTTON1 already exists");
  }
  a->SetName(u"BUTTON1");  // only the case changes
  EXPECT_EQ(a->Name(), u"BUTTON1");
  b->SetName(u"_x9");
  b->SetName(u"");
  auto* c = new TComponent(nullptr);
  c->SetName(u"_x9");
  owner.InsertComponent(c);
  auto* d = new TComponent(nullptr);
  d->SetName(u"button1");
  EXPECT_THROW(owner.InsertComponent(d), EComponentError);
  EXPECT_EQ(d->Owner(), nullptr);
  delete d;
}

TEST(Component, FreeNotificationAndOwnerNotificationsClearReferences) {
  TComponent form1(nullptr), form2(nullptr);
  auto* target = new TTestControl(&form1);
  auto* watcher = new TTestControl(&form2);
  auto* sibling = new TTestControl(&form1);
  watcher->Buddy = target;
  target->FreeNotification(watcher);  // another owner: needs a free notification
  sibling->Buddy = target;            // same owner: learns it through the owner
  EXPECT_TRUE(target->ComponentState().Contains(csFreeNotification));
  delete target;
  EXPECT_EQ(watcher->Buddy, nullptr);
  EXPECT_EQ(sibling->Buddy, nullptr);

  auto* other = new TTestControl(&form1);
  watcher->Buddy = other;
  other->FreeNotification(watcher);
  other->RemoveFreeNotification(watcher);
  delete other;
  EXPECT_NE(watcher->Buddy, nullptr);  // no longer told
  watcher->Buddy = nullptr;
}

TEST(Component, DestructionMarksDestroyingAndNotifiesRemainingSiblings) {
  auto owner = std::make_unique<TComponent>(nullptr);
  auto* first = new TTestControl(owner.get());
  auto* second = new TTestControl(owner.get());
  first->Buddy = second;  // the later one is deleted first
  second->Buddy = first;
  bool saw_destroying = false;
  struct Probe : TComponent {
    explicit Probe(TComponent* o, bool& flag) : TComponent(o), flag_(flag) {}
    ~Probe() override { flag_ = ComponentState().Contains(csDestroying); }
    bool& flag_;
  };
  new Probe(owner.get(), saw_destroying);
  owner.reset();  // ASan reports any use of a deleted sibling
  EXPECT_TRUE(saw_destroying);
}

// Refuses to be released while `busy`; records that it was asked.
struct Refusing : TComponent {
  explicit Refusing(TComponent* owner, int& asked) : TComponent(owner), asked_(asked) {}
  void BeforeDestruction() override {
    ++asked_;
    if (busy) throw EInvalidOperation(u"busy");
  }
  bool busy = false;
  int& asked_;
};

TEST(Component, FreeAsksTheWholeTreeFirstAndARefusalKeepsItAlive) {
  int asked = 0;
  auto* owner = CreateObject<TComponent>(nullptr);
  auto* middle = new TComponent(owner);
  auto* refusing = new Refusing(middle, asked);
  refusing->busy = true;
  EXPECT_THROW(Free(owner), EInvalidOperation);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(middle->ComponentCount(), 1);
  EXPECT_THROW(middle->DestroyComponents(), EInvalidOperation);
  EXPECT_EQ(middle->Components(0), refusing);
  refusing->busy = false;
  Free(owner);  // ASan reports a leak or a double release
  EXPECT_EQ(asked, 3);
  Free(nullptr);
}

TEST(Component, DesigningSpreadsToOwnedAndInsertedComponents) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  owner.SetDesigning(true);
  EXPECT_TRUE(a->ComponentState().Contains(csDesigning));
  auto* b = new TComponent(&owner);
  EXPECT_TRUE(b->ComponentState().Contains(csDesigning));
  a->SetSubComponent(true);
  EXPECT_TRUE(a->ComponentStyle().Contains(csSubComponent));
  EXPECT_TRUE(a->ComponentStyle().Contains(csInheritable));
}

TEST(Collection, AddInsertDeleteIdsAndAssign) {
  TCollection items(&TTestItem::StaticClass());
  auto* a = static_cast<TTestItem*>(items.Add());
  auto* b = static_cast<TTestItem*>(items.Insert(0));
  a->Caption = u"a";
  b->Caption = u"b";
  EXPECT_EQ(items.Items(0), b);
  EXPECT_EQ(a->Index(), 1);
  EXPECT_EQ(a->ID(), 0);
  EXPECT_EQ(b->ID(), 1);
  EXPECT_EQ(items.FindItemID(1), b);
  EXPECT_THROW(items.Items(2), EListError);
  a->SetIndex(0);
  EXPECT_EQ(items.Items(0), a);
  delete a;  // leaves the collection
  EXPECT_EQ(items.Count(), 1);

  TCollection copy(&TTestItem::StaticClass());
  copy.Add();
  copy.Add();
  copy.Assign(&items);
  ASSERT_EQ(copy.Count(), 1);
  EXPECT_EQ(static_cast<TTestItem*>(copy.Items(0))->Caption, u"b");
  items.Delete(0);
  EXPECT_EQ(items.Count(), 0);
  EXPECT_THROW(TCollection(&TTestFont::StaticClass()), EInvalidOperation);
}

}  // namespace
