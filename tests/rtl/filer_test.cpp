#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "rtl/extended80.h"
#include "rtl/reader.h"
#include "rtl/writer.h"
#include "test_components.h"

namespace {

// Bytes of a string literal with embedded NULs.
template <size_t N>
std::string B(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

std::string Bytes(TMemoryStream& s) { return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size())); }

std::string Image(TComponent& root) {
  TMemoryStream s;
  TWriter(s).WriteRootComponent(root);
  return Bytes(s);
}

TResourceStream Over(const std::string& bytes) { return TResourceStream(bytes.data(), static_cast<int64_t>(bytes.size())); }

// A form with every kind of property set, children with a visual parent, a
// reference to a later sibling and an event.
std::unique_ptr<TTestForm> MakeForm() {
  auto form = std::make_unique<TTestForm>(nullptr);
  form->SetName(u"Form1");
  form->caption_ = u"Main \u00E9t\u00E9 \u4E2D";
  form->SetWidth(640);
  auto* panel = new TTestControl(form.get());
  panel->SetName(u"Panel1");
  panel->parent = form.get();
  panel->Align = taClient;
  panel->Style = {tsBold, tsUnderline};
  panel->Font()->Color = 0xFF;
  panel->Font()->Size = 12;
  panel->Font()->Name = u"Arial";
  panel->Letter = u'Z';
  panel->Ratio = 0.1;
  panel->Scale = 1.25f;
  panel->Price = 12.3456;
  panel->When = 45000.5;
  panel->Big = -(int64_t{1} << 40);
  panel->Visible = false;
  panel->Data = B("\x00\x01\xFEz");
  panel->SetDesignInfo(0x00200010);
  auto* item = static_cast<TTestItem*>(panel->Items()->Add());
  item->Width = 5;
  item->Caption = u"first";
  panel->Items()->Add();
  auto* button = new TTestControl(form.get());
  button->SetName(u"Button1");
  button->parent = panel;
  button->OnClick = MakeEvent<&TTestForm::ButtonClick>(form.get());
  panel->Buddy = button;  // written before Button1 exists for the reader
  button->Buddy = form.get();
  return form;
}

TEST(Streaming, AComponentTreeReadsBackIdentical) {
  RegisterTestClasses();
  auto form = MakeForm();
  const std::string image = Image(*form);

  TResourceStream in = Over(image);
  TReader reader(in);
  std::unique_ptr<TComponent> root = reader.ReadRootComponent();
  auto* copy = ObjectAs<TTestForm>(root.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(Image(*copy), image);
  EXPECT_EQ(in.Position(), in.Size());

  EXPECT_EQ(copy->Name(), u"Form1");
  EXPECT_EQ(copy->caption_, form->caption_);
  ASSERT_EQ(copy->ComponentCount(), 2);
  auto* panel = ObjectAs<TTestControl>(copy->FindComponent(u"Panel1"));
  auto* button = ObjectAs<TTestControl>(copy->FindComponent(u"Button1"));
  ASSERT_TRUE(panel && button);
  EXPECT_EQ(panel->Owner(), copy);
  EXPECT_EQ(button->Owner(), copy);
  EXPECT_EQ(panel->parent, copy);
  EXPECT_EQ(button->parent, panel);
  EXPECT_EQ(panel->Buddy, button);
  EXPECT_EQ(button->Buddy, copy);
  EXPECT_EQ(panel->Style, (TTestStyles{tsBold, tsUnderline}));
  EXPECT_EQ(panel->Font()->Color, 0xFF);
  EXPECT_EQ(panel->Font()->Name, u"Arial");
  EXPECT_EQ(panel->Ratio, 0.1);
  EXPECT_EQ(panel->Scale, 1.25f);
  EXPECT_DOUBLE_EQ(panel->Price, 12.3456);
  EXPECT_EQ(panel->When, 45000.5);
  EXPECT_EQ(panel->Big, -(int64_t{1} << 40));
  EXPECT_FALSE(panel->Visible);
  EXPECT_EQ(panel->Data, B("\x00\x01\xFEz"));
  EXPECT_EQ(panel->DesignInfo(), 0x00200010);
  ASSERT_EQ(panel->Items()->Count(), 2);
  EXPECT_EQ(static_cast<TTestItem*>(panel->Items()->Items(0))->Caption, u"first");
  EXPECT_EQ(button->OnClick, MakeEvent<&TTestForm::ButtonClick>(copy));
  button->OnClick(button);
  EXPECT_EQ(copy->last_sender, button);
  for (TTestControl* c : {static_cast<TTestControl*>(copy), panel, button}) {
    EXPECT_EQ(c->loaded_calls, 1);
    EXPECT_FALSE(c->ComponentState().Contains(csLoading));
    EXPECT_FALSE(c->ComponentState().Contains(csReading));
  }
}

// The documented format, byte for byte.
TEST(Streaming, WriterOutputMatchesAHandWrittenImage) {
  TTestControl c(nullptr);
  c.SetName(u"C1");
  c.SetWidth(300);
  c.Align = taTop;
  c.Visible = false;
  c.Style = {tsItalic};
  c.caption_ = u"Hi";
  c.Font()->Color = 0xFF;
  static const char kExpected[] =
      "TPF0"
      "\x0CTTestControl" "\x02" "C1"
      "\x05Width" "\x03\x2C\x01"
      "\x05" "Align" "\x07\x05taTop"
      "\x07Visible" "\x08"
      "\x05Style" "\x0B\x08tsItalic\x00"
      "\x07" "Caption" "\x06\x02Hi"
      "\x0A" "Font.Color" "\x07\x05" "clRed"
      "\x05" "Items" "\x0E\x00"  // collections are written even when empty
      "\x00"   // end of properties
      "\x00";  // end of children
  const std::string expected(kExpected, sizeof kExpected - 1);
  TMemoryStream s;
  TWriter(s).WriteRootComponent(c);
  EXPECT_EQ(Bytes(s), expected);

  TTestControl back(nullptr);
  TResourceStream in = Over(expected);
  TReader(in).ReadRootComponent(back);
  EXPECT_EQ(back.Name(), u"C1");
  EXPECT_EQ(back.Width(), 300);
  EXPECT_EQ(back.Align, taTop);
  EXPECT_FALSE(back.Visible);
  EXPECT_EQ(back.Font()->Color, 0xFF);
}

TEST(Streaming, DefaultsStoredFalseAndReadOnlyPropertiesAreNotWritten) {
  TTestControl c(nullptr);
  const std::string header = B("TPF0\x0CTTestControl\x00");
  const std::string items("\x05" "Items\x0E\x00", 8);
  EXPECT_EQ(Image(c), header + items + B("\x00\x00"));
  c.caption_ = u"skip";  // stored condition false
  EXPECT_EQ(Image(c), header + items + B("\x00\x00"));
}

TEST(Streaming, AgainstAnAncestorOnlyDifferencesAreWrittenAndChildrenAreInherited) {
  auto ancestor = MakeForm();
  auto descendant = MakeForm();
  auto* panel = ObjectAs<TTestControl>(descendant->FindComponent(u"Panel1"));
  panel->SetWidth(77);
  TMemoryStream s;
  TWriter(s).WriteDescendent(*descendant, ancestor.get());
  static const char kExpected[] =
      "TPF0" "\xF1\x09TTestForm\x05" "Form1" "\x00"
      "\xF1\x0CTTestControl\x06Panel1" "\x05Width\x02\x4D" "\x00"
      "\xF1\x0CTTestControl\x07" "Button1" "\x00\x00"  // inside Panel1, its parent
      "\x00"
      "\x00";
  const std::string expected(kExpected, sizeof kExpected - 1);
  EXPECT_EQ(Bytes(s), expected);

  // Reading it over a copy of the ancestor gives the descendant.
  auto target = MakeForm();
  s.SetPosition(0);
  TReader(s).ReadRootComponent(*target);
  EXPECT_EQ(ObjectAs<TTestControl>(target->FindComponent(u"Panel1"))->Width(), 77);
  EXPECT_EQ(target->ComponentCount(), 2);
}

TEST(Streaming, ASubComponentStreamsAsNestedPropertiesOfItsReadOnlyProperty) {
  TTestHost host(nullptr);
  host.Inner()->SetWidth(5);
  const std::string image = Image(host);
  EXPECT_EQ(image, B("TPF0\x09TTestHost\x00" "\x0BInner.Width\x02\x05" "\x0BInner.Items\x0E\x00" "\x00\x00"));
  TTestHost back(nullptr);
  TResourceStream in = Over(image);
  TReader(in).ReadRootComponent(back);
  EXPECT_EQ(back.Inner()->Width(), 5);
  EXPECT_EQ(back.ComponentCount(), 1);
}

TEST(Streaming, AComponentReadOnItsOwnResolvesReferencesAndIsLoaded) {
  RegisterTestClasses();
  TTestForm form(nullptr);
  auto* panel = new TTestControl(&form);
  panel->SetName(u"Panel");
  const std::string image = B("\x0CTTestControl\x02" "B2" "\x05" "Buddy\x07\x05Panel" "\x00\x00");
  TResourceStream in = Over(image);
  TReader reader(in);
  reader.SetRoot(&form);
  reader.SetOwner(&form);
  auto* read = ObjectAs<TTestControl>(reader.ReadComponent(nullptr));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->Owner(), &form);
  EXPECT_EQ(read->Name(), u"B2");
  EXPECT_EQ(read->Buddy, panel);
  EXPECT_EQ(read->loaded_calls, 1);
  EXPECT_FALSE(read->ComponentState().Contains(csLoading));
}

TEST(StreamingValues, IntegersTakeTheSmallestTypeAndStringsTheShortestForm) {
  struct IntCase {
    int64_t value;
    TValueType type;
  };
  for (const IntCase& c : {IntCase{0, vaInt8}, IntCase{-128, vaInt8}, IntCase{127, vaInt8}, IntCase{128, vaInt16},
                           IntCase{-32769, vaInt32}, IntCase{INT32_MAX, vaInt32},
                           IntCase{int64_t{INT32_MAX} + 1, vaInt64}, IntCase{INT64_MIN, vaInt64}}) {
    TMemoryStream s;
    TWriter(s).WriteInteger(c.value);
    s.SetPosition(0);
    TReader r(s);
    EXPECT_EQ(r.NextValue(), c.type) << c.value;
    EXPECT_EQ(r.ReadInt64(), c.value);
  }
  struct StrCase {
    String value;
    TValueType type;
  };
  const String surrogate(1, u'\xD800');
  for (const StrCase& c : {StrCase{u"", vaString}, StrCase{String(255, u'a'), vaString},
                           StrCase{String(256, u'a'), vaLString}, StrCase{u"\u00E9", vaWString},
                           StrCase{u"a\u00E9", vaUTF8String}, StrCase{u"\u4E2D", vaWString},
                           StrCase{u"abc" + surrogate, vaWString}}) {
    TMemoryStream s;
    TWriter(s).WriteString(c.value);
    s.SetPosition(0);
    TReader r(s);
    EXPECT_EQ(r.NextValue(), c.type) << StringToUtf8(c.value);
    EXPECT_EQ(r.ReadString(), c.value);
  }
}

TEST(StreamingValues, ExtendedIsTheTenByteX87FormatAndEveryDoubleSurvives) {
  uint8_t bytes[10];
  DoubleToExtended80(1.0, bytes);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 10), B("\0\0\0\0\0\0\0\x80\xFF\x3F"));
  DoubleToExtended80(-2.5, bytes);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 10), B("\0\0\0\0\0\0\0\xA0\x00\xC0"));
  const double values[] = {0.0, -0.0, 0.1, -1e300, 1.7976931348623157e308, 2.2250738585072014e-308,
                           4.9406564584124654e-324, std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity()};
  for (double v : values) {
    DoubleToExtended80(v, bytes);
    const double back = Extended80ToDouble(bytes);
    EXPECT_EQ(back, v);
    EXPECT_EQ(std::signbit(back), std::signbit(v));
  }
  DoubleToExtended80(std::nan(""), bytes);
  EXPECT_TRUE(std::isnan(Extended80ToDouble(bytes)));
  // An extended value beyond the double range becomes infinity; a tiny one zero.
  const uint8_t huge[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F};
  EXPECT_EQ(Extended80ToDouble(huge), std::numeric_limits<double>::infinity());
  const uint8_t tiny[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x00};
  EXPECT_EQ(Extended80ToDouble(tiny), 0.0);
}

std::string ControlImage(const std::string& properties) {
  return B("TPF0\x0CTTestControl\x02" "C1") + properties + B("\x00\x00");
}

TEST(StreamingErrors, MalformedImagesRaiseReadErrorsNamingTheProperty) {
  RegisterTestClasses();
  struct Case {
    std::string image;
    const char16_t* message;
  };
  const Case cases[] = {
      {"TPF1", u"Invalid stream format"},
      {ControlImage(B("\x04Nope\x02\x01")), u"Error reading C1.Nope: Property Nope does not exist"},
      {ControlImage(B("\x0A" "Font.Nope\x02\x01")).substr(0, 0) +
           ControlImage(B("\x09" "Font.Nope\x02\x01")),
       u"Error reading C1.Font.Nope: Property Nope does not exist"},
      {ControlImage(B("\x05Width\x06\x01x")), u"Error reading C1.Width: Invalid property value"},
      {ControlImage(B("\x05" "Align\x07\x04taUp")), u"Error reading C1.Align: Invalid property value"},
      {ControlImage(B("\x0A" "Font.Color\x07\x06" "clBlue")),
       u"Error reading C1.Font.Color: Invalid property value"},
      {ControlImage(B("\x0DReadOnlyValue\x02\x01")), u"Error reading C1.ReadOnlyValue: Property is read-only"},
      {ControlImage(B("\x05Width\x17\x01")), u"Error reading C1.Width: Invalid property value"},
      {ControlImage(B("\x07OnClick\x07\x04Nope")), u"Error reading C1.OnClick: Method Nope not found"},
      {B("TPF0\x0CTTestControl\x02" "C1\x05Width\x04\x01\x02"), u"Error reading C1.Width: Stream read error"},
      {B("TPF0\x0CTTestControl\x02" "C1"), u"Stream read error"},
      {B("TPF0\x0CTTestControl\x02" "C1\x00\x0BTNoSuchType\x01X\x00\x00\x00"), u"Class TNoSuchType not found"},
      {ControlImage(B("\x04" "Data\x0A\xFF\xFF\xFF\x7F")), u"Error reading C1.Data: Stream read error"},
  };
  for (const Case& c : cases) {
    TTestControl target(nullptr);
    TResourceStream in = Over(c.image);
    try {
      TReader(in).ReadRootComponent(target);
      ADD_FAILURE() << StringToUtf8(c.message);
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
      EXPECT_TRUE(dynamic_cast<const EStreamError*>(&e)) << e.what();
    }
    EXPECT_FALSE(target.ComponentState().Contains(csLoading));
  }
}

TEST(StreamingErrors, AMethodOfAnotherSignatureIsRefused) {
  TTestForm form(nullptr);
  const std::string image("TPF0\x09TTestForm\x01" "F\x07OnClick\x07\x0EWrongSignature\x00\x00", 43);
  TResourceStream in = Over(image);
  try {
    TReader(in).ReadRootComponent(form);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), u"Error reading F.OnClick: Invalid property value");
  }
  EXPECT_FALSE(form.OnClick.Assigned());
}

TEST(StreamingErrors, AnUnknownPropertyCanBeSkippedThroughOnError) {
  TTestControl target(nullptr);
  const std::string image = ControlImage(B("\x04Nope\x01\x02\x05\x00\x05Width\x02\x09"));
  TResourceStream in = Over(image);
  TReader reader(in);
  String seen;
  reader.OnError = [&](TReader&, const String& message, bool& handled) {
    seen = message;
    handled = true;
  };
  reader.ReadRootComponent(target);
  EXPECT_EQ(seen, u"Property Nope does not exist");
  EXPECT_EQ(target.Width(), 9);
}

TEST(StreamingErrors, AFailedReadDestroysTheComponentsItCreated) {
  RegisterTestClasses();
  auto form = MakeForm();
  std::string image = Image(*form);
  // Cut the image inside Button1's last property: the read fails after
  // Panel1 and Button1 were created.
  image.resize(image.size() - 5);
  TTestForm target(nullptr);
  TResourceStream in = Over(image);
  try {
    TReader(in).ReadRootComponent(target);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), u"Error reading Button1.OnClick: Stream read error");
  }
  EXPECT_EQ(target.ComponentCount(), 0);
  EXPECT_FALSE(target.ComponentState().Contains(csLoading));
}

}  // namespace
