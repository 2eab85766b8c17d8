#include "test_components.h"

#include "rtl/reader.h"
#include "rtl/writer.h"

namespace {

bool ColorToIdent(int32_t value, String& ident) {
  if (value == 0) ident = u"clBlack";
  else if (value == 0xFF) ident = u"clRed";
  else return false;
  return true;
}

bool IdentToColor(StringView ident, int32_t& value) {
  if (ident == u"clBlack") value = 0;
  else if (ident == u"clRed") value = 0xFF;
  else return false;
  return true;
}

}  // namespace

const TTypeInfo& TestColorTypeInfo() {
  static const TTypeInfo info = [] {
    TTypeInfo t = TTypeInfo::Integer(u"TTestColor", otSLong, INT32_MIN, INT32_MAX);
    return t;
  }();
  static const bool registered = (RegisterIntegerConsts(info, IdentToColor, ColorToIdent), true);
  (void)registered;
  return info;
}

RD_DEFINE_CLASS(TTestFont,
                Prop(u"Color", &TTestFont::Color, &TTestFont::Color).Type(TestColorTypeInfo()).Default(0),
                Prop(u"Name", &TTestFont::Name, &TTestFont::Name),
                Prop(u"Style", &TTestFont::Style, &TTestFont::Style).Default(TTestStyles{}),
                Prop(u"Size", &TTestFont::Size, &TTestFont::Size).Default(8))

void TTestFont::Assign(const TPersistent* source) {
  if (const auto* font = ObjectAs<TTestFont>(source)) {
    Color = font->Color;
    Name = font->Name;
    Style = font->Style;
    Size = font->Size;
    return;
  }
  TPersistent::Assign(source);
}

RD_DEFINE_CLASS(TTestItem,
                Prop(u"Width", &TTestItem::Width, &TTestItem::Width).Default(0),
                Prop(u"Caption", &TTestItem::Caption, &TTestItem::Caption))

void TTestItem::Assign(const TPersistent* source) {
  if (const auto* item = ObjectAs<TTestItem>(source)) {
    Width = item->Width;
    Caption = item->Caption;
    return;
  }
  TCollectionItem::Assign(source);
}

RD_DEFINE_CLASS(TTestControl,
                Prop(u"Width", &TTestControl::Width, &TTestControl::SetWidth).Default(0),
                Prop(u"Align", &TTestControl::Align, &TTestControl::Align).Default(taNone),
                Prop(u"Visible", &TTestControl::Visible, &TTestControl::Visible).Default(true),
                Prop(u"Style", &TTestControl::Style, &TTestControl::Style).Default(TTestStyles{}),
                Prop(u"Letter", &TTestControl::Letter, &TTestControl::Letter).Default(u'A'),
                Prop(u"Ratio", &TTestControl::Ratio, &TTestControl::Ratio),
                Prop(u"Scale", &TTestControl::Scale, &TTestControl::Scale),
                Prop(u"Price", &TTestControl::Price, &TTestControl::Price).Type(CurrencyTypeInfo()),
                Prop(u"When", &TTestControl::When, &TTestControl::When).Type(DateTimeTypeInfo()),
                Prop(u"Big", &TTestControl::Big, &TTestControl::Big),
                Prop(u"Caption", &TTestControl::caption_, &TTestControl::caption_)
                    .Stored(&TTestControl::IsCaptionStored),
                Prop(u"Font", &TTestControl::Font, &TTestControl::SetFont),
                Prop(u"Items", &TTestControl::Items, &TTestControl::SetItems),
                Prop(u"Buddy", &TTestControl::Buddy, &TTestControl::Buddy),
                Prop(u"OnClick", &TTestControl::OnClick, &TTestControl::OnClick),
                Prop(u"ReadOnlyValue", &TTestControl::ReadOnlyValue))

RD_DEFINE_CLASS(TTestForm,
                Method<&TTestForm::ButtonClick>(u"ButtonClick"),
                Method<&TTestForm::OtherClick>(u"OtherClick"),
                Method<&TTestForm::WrongSignature>(u"WrongSignature"))

TTestControl::TTestControl(TComponent* owner) : TComponent(owner) {}

void TTestControl::GetChildren(const TGetChildProc& proc, TComponent* root) {
  if (!root) return;
  for (int32_t i = 0; i < root->ComponentCount(); ++i) {
    auto* child = ObjectAs<TTestControl>(root->Components(i));
    if (child && child->parent == this) proc(child);
  }
}

void TTestControl::DefineProperties(TFiler& filer) {
  TComponent::DefineProperties(filer);
  const auto* ancestor = ObjectAs<TTestControl>(filer.Ancestor());
  filer.DefineBinaryProperty(
      u"Data",
      [this](TStream& s) {
        Data.assign(static_cast<size_t>(s.Size()), '\0');
        s.ReadBuffer(Data.data(), static_cast<int32_t>(Data.size()));
      },
      [this](TStream& s) { s.WriteBuffer(Data.data(), static_cast<int32_t>(Data.size())); },
      ancestor ? Data != ancestor->Data : !Data.empty());
}

void TTestControl::Loaded() {
  TComponent::Loaded();
  ++loaded_calls;
}

void TTestControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove) {
    if (component == Buddy) Buddy = nullptr;
    if (component == parent) parent = nullptr;
  }
}

RD_DEFINE_CLASS(TTestHost, Prop(u"Inner", &TTestHost::Inner))

TTestHost::TTestHost(TComponent* owner) : TComponent(owner), inner_(new TTestControl(this)) {
  inner_->SetName(u"Inner");
  inner_->SetSubComponent(true);
}

void RegisterTestClasses() {
  RegisterClasses({&TTestControl::StaticClass(), &TTestForm::StaticClass(), &TTestItem::StaticClass()});
}
