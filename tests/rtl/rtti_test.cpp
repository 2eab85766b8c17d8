#include "rtl/rtti.h"

#include <gtest/gtest.h>

#include "test_components.h"

namespace {

TEST(ClassInfo, NamesParentsInheritanceAndIsAs) {
  TTestForm form(nullptr);
  EXPECT_EQ(form.ClassName(), u"TTestForm");
  EXPECT_EQ(form.ClassType()->ClassParent(), &TTestControl::StaticClass());
  EXPECT_TRUE(form.InheritsFrom(&TComponent::StaticClass()));
  EXPECT_TRUE(form.Is<TPersistent>());
  EXPECT_FALSE(TTestControl::StaticClass().InheritsFrom(&TTestForm::StaticClass()));
  EXPECT_TRUE(form.ClassType()->InheritsFromName(u"TComponent"));
  TObject* as_object = &form;
  EXPECT_EQ(ObjectAs<TTestControl>(as_object), &form);
  EXPECT_EQ(ObjectAs<TCollection>(as_object), nullptr);
}

TEST(ClassRegistry, RegisterFindCreateAndRefuseASecondClassOfTheSameName) {
  RegisterTestClasses();
  RegisterTestClasses();  // the same classes again: nothing happens
  EXPECT_EQ(GetClass(u"ttestcontrol"), &TTestControl::StaticClass());
  EXPECT_EQ(GetClass(u"TNoSuchClass"), nullptr);
  try {
    FindClass(u"TNoSuchClass");
    FAIL();
  } catch (const EClassNotFound& e) {
    EXPECT_EQ(e.Message(), u"Class TNoSuchClass not found");
  }
  static const TClassInfo impostor(u"TTestControl", &TComponent::StaticClass(), nullptr, nullptr);
  try {
    RegisterClass(&impostor);
    FAIL();
  } catch (const EFilerError& e) {
    EXPECT_EQ(e.Message(), u"A class named TTestControl already exists");
  }

  std::unique_ptr<TObject> font = FindClass(u"TTestItem")->Create();
  EXPECT_EQ(font->ClassName(), u"TTestItem");
  TComponent owner(nullptr);
  TComponent* control = CreateComponent(&TTestForm::StaticClass(), owner);
  EXPECT_EQ(control->Owner(), &owner);
  EXPECT_EQ(control->ClassName(), u"TTestForm");
  EXPECT_THROW(CreateComponent(&TTestItem::StaticClass(), owner), EInvalidOperation);
  EXPECT_THROW(TFiler::StaticClass().Create(), EInvalidOperation);  // abstract
}

TEST(PublishedProperties, BaseClassFirstInDeclarationOrderWithKindsAndTypes) {
  std::vector<String> names;
  std::vector<TTypeKind> kinds;
  for (const TPropInfo* p : TTestForm::StaticClass().Properties()) {
    names.push_back(p->Name());
    kinds.push_back(p->Kind());
  }
  const std::vector<String> expected_names = {u"Name", u"Tag", u"Width", u"Align", u"Visible", u"Style",
                                              u"Letter", u"Ratio", u"Scale", u"Price", u"When", u"Big",
                                              u"Caption", u"Font", u"Items", u"Buddy", u"OnClick",
                                              u"ReadOnlyValue"};
  EXPECT_EQ(names, expected_names);
  const TTypeKind tag_kind = sizeof(intptr_t) == 8 ? tkInt64 : tkInteger;
  const std::vector<TTypeKind> expected_kinds = {tkUString, tag_kind, tkInteger, tkEnumeration, tkEnumeration,
                                                 tkSet, tkWChar, tkFloat, tkFloat, tkFloat, tkFloat, tkInt64,
                                                 tkUString, tkClass, tkClass, tkClass, tkMethod, tkInteger};
  EXPECT_EQ(kinds, expected_kinds);

  const TClassInfo& cls = TTestControl::StaticClass();
  EXPECT_EQ(cls.FindProperty(u"ALIGN")->PropType().EnumNames(), (std::vector<String>{u"taNone", u"taTop", u"taBottom", u"taClient"}));
  EXPECT_EQ(cls.FindProperty(u"Visible")->PropType().Name(), u"Boolean");
  EXPECT_EQ(cls.FindProperty(u"Font")->PropType().ClassType(), &TTestFont::StaticClass());
  EXPECT_EQ(cls.FindProperty(u"Font")->PropType().Name(), u"TTestFont");
  EXPECT_EQ(cls.FindProperty(u"Scale")->PropType().FloatType(), ftSingle);
  EXPECT_EQ(cls.FindProperty(u"Price")->PropType().FloatType(), ftCurr);
  EXPECT_EQ(cls.FindProperty(u"Style")->PropType().CompType(), &TypeInfoOf(std::type_identity<TTestStyle>()));
  EXPECT_EQ(cls.FindProperty(u"NoSuch"), nullptr);
  EXPECT_FALSE(cls.FindProperty(u"ReadOnlyValue")->HasSetter());
  EXPECT_TRUE(cls.FindProperty(u"Width")->HasSetter());
  const TTypeInfo& color = TTestFont::StaticClass().FindProperty(u"Color")->PropType();
  EXPECT_EQ(&color, &TestColorTypeInfo());
  int32_t value = 0;
  ASSERT_NE(FindIdentToInt(color), nullptr);
  EXPECT_TRUE(FindIdentToInt(color)(u"clRed", value));
  EXPECT_EQ(value, 0xFF);
  EXPECT_EQ(FindIntToIdent(TypeInfoOf(std::type_identity<int32_t>())), nullptr);
}

TEST(PublishedProperties, DefaultsAndStoredConditions) {
  TTestControl c(nullptr);
  const TClassInfo& cls = TTestControl::StaticClass();
  const TPropInfo& visible = *cls.FindProperty(u"Visible");
  EXPECT_TRUE(visible.HasDefault());
  EXPECT_EQ(visible.Default(), 1);
  EXPECT_EQ(cls.FindProperty(u"Letter")->Default(), u'A');
  EXPECT_FALSE(cls.FindProperty(u"Caption")->HasDefault());
  EXPECT_FALSE(IsStoredProp(c, *cls.FindProperty(u"Name")));  // stored false
  const TPropInfo& caption = *cls.FindProperty(u"Caption");
  EXPECT_TRUE(IsStoredProp(c, caption));
  c.caption_ = u"skip";
  EXPECT_FALSE(IsStoredProp(c, caption));
}

TEST(PublishedProperties, GetAndSetByKind) {
  TTestForm form(nullptr);
  TTestControl c(&form);
  auto prop = [&](const char16_t* name) -> const TPropInfo& { return *GetPropInfo(c, name); };
  SetOrdProp(c, prop(u"Width"), 120);
  EXPECT_EQ(c.Width(), 120);
  SetEnumProp(c, prop(u"Align"), u"TACLIENT");
  EXPECT_EQ(c.Align, taClient);
  EXPECT_EQ(GetEnumProp(c, prop(u"Align")), u"taClient");
  SetOrdProp(c, prop(u"Visible"), 0);
  EXPECT_FALSE(c.Visible);
  SetSetProp(c, prop(u"Style"), u"[tsBold, tsUnderline]");
  EXPECT_EQ(c.Style, (TTestStyles{tsBold, tsUnderline}));
  EXPECT_EQ(GetSetProp(c, prop(u"Style")), u"tsBold,tsUnderline");
  EXPECT_EQ(GetSetProp(c, prop(u"Style"), true), u"[tsBold,tsUnderline]");
  SetFloatProp(c, prop(u"Scale"), 0.5);
  EXPECT_EQ(c.Scale, 0.5f);
  SetStrProp(c, prop(u"Caption"), u"Hello");
  EXPECT_EQ(GetStrProp(c, prop(u"Caption")), u"Hello");
  SetInt64Prop(c, prop(u"Big"), int64_t{1} << 40);
  EXPECT_EQ(c.Big, int64_t{1} << 40);
  SetObjectProp(c, prop(u"Buddy"), &form);
  EXPECT_EQ(c.Buddy, &form);
  EXPECT_EQ(GetObjectProp(c, prop(u"Font")), c.Font());

  const TNotifyEvent handler = MakeEvent<&TTestForm::ButtonClick>(&form);
  SetMethodProp(c, prop(u"OnClick"), handler.Method());
  EXPECT_TRUE(c.OnClick.Assigned());
  EXPECT_EQ(c.OnClick, handler);
  EXPECT_FALSE(c.OnClick == MakeEvent<&TTestForm::OtherClick>(&form));
  c.OnClick(&c);
  EXPECT_EQ(form.last_sender, &c);
  EXPECT_EQ(form.ClassType()->MethodName(GetMethodProp(c, prop(u"OnClick")).Code), u"ButtonClick");
  EXPECT_EQ(form.ClassType()->FindMethod(u"buttonclick")->Signature, TNotifyEvent::Signature());
  EXPECT_NE(form.ClassType()->FindMethod(u"WrongSignature")->Signature, TNotifyEvent::Signature());
}

TEST(PublishedProperties, WrongKindsReadOnlyAndBadValuesRaise) {
  TTestControl c(nullptr);
  TTestFont font;
  auto prop = [&](const char16_t* name) -> const TPropInfo& { return *GetPropInfo(c, name); };
  EXPECT_THROW(SetStrProp(c, prop(u"Width"), u"x"), EPropertyError);
  EXPECT_THROW(GetFloatProp(c, prop(u"Caption")), EPropertyError);
  try {
    SetOrdProp(c, prop(u"ReadOnlyValue"), 1);
    FAIL();
  } catch (const EPropertyError& e) {
    EXPECT_EQ(e.Message(), u"Property is read-only");
  }
  EXPECT_THROW(SetOrdProp(c, prop(u"Align"), 4), EPropertyConvertError);  // past the last name
  EXPECT_THROW(SetEnumProp(c, prop(u"Align"), u"taNowhere"), EPropertyConvertError);
  EXPECT_THROW(SetObjectProp(c, prop(u"Buddy"), &font), EPropertyConvertError);  // not a TTestControl
  EXPECT_EQ(c.Align, taNone);
  EXPECT_EQ(c.Buddy, nullptr);
}

TEST(EnumAndSetText, NamesValuesAndErrors) {
  const TTypeInfo& align = TypeInfoOf(std::type_identity<TTestAlign>());
  const TTypeInfo& styles = TypeInfoOf(std::type_identity<TTestStyles>());
  EXPECT_EQ(GetEnumName(align, 2), u"taBottom");
  EXPECT_EQ(GetEnumName(align, 9), u"");
  EXPECT_EQ(GetEnumValue(align, u"tatop"), 1);
  EXPECT_EQ(GetEnumValue(align, u"top"), -1);
  EXPECT_EQ(GetEnumName(TypeInfoOf(std::type_identity<bool>()), 1), u"True");
  struct Case {
    const char16_t* text;
    uint32_t bits;
  };
  for (const Case& c : {Case{u"", 0}, Case{u"[]", 0}, Case{u"tsItalic", 2}, Case{u" [ tsBold , tsUnderline ] ", 5},
                        Case{u"tsUnderline,tsBold,tsBold", 5}}) {
    EXPECT_EQ(StringToSet(styles, c.text), c.bits) << StringToUtf8(c.text);
  }
  EXPECT_EQ(SetToString(styles, 7), u"tsBold,tsItalic,tsUnderline");
  EXPECT_EQ(SetToString(styles, 0, true), u"[]");
  try {
    StringToSet(styles, u"[tsBold, tsStrike]");
    FAIL();
  } catch (const EPropertyConvertError& e) {
    EXPECT_EQ(e.Message(), u"Invalid property element: tsStrike");
  }
}

}  // namespace
