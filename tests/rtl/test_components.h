#pragma once
// Small framework classes with one published property of every kind, used
// by the RTTI, component and streaming tests.

#include <string>

#include "rtl/collections.h"
#include "rtl/filer.h"

RD_ENUM(TTestAlign, taNone, taTop, taBottom, taClient)
RD_ENUM(TTestStyle, tsBold, tsItalic, tsUnderline)
using TTestStyles = TSet<TTestStyle>;

// An integer type with an identifier map, like a colour.
const TTypeInfo& TestColorTypeInfo();

class TTestFont : public TPersistent {
  RD_CLASS(TTestFont, TPersistent)
  TTestFont() = default;
  void Assign(const TPersistent* source) override;

  int32_t Color = 0;
  String Name;
  TTestStyles Style;
  int32_t Size = 8;
};

class TTestItem : public TCollectionItem {
  RD_CLASS(TTestItem, TCollectionItem)
  using TCollectionItem::TCollectionItem;
  void Assign(const TPersistent* source) override;
  int32_t Width = 0;
  String Caption;
};

class TTestControl : public TComponent {
  RD_CLASS(TTestControl, TComponent)
  explicit TTestControl(TComponent* owner);

  int32_t Width() const { return width_; }
  void SetWidth(int32_t value) { width_ = value; }
  bool IsCaptionStored() const { return caption_ != u"skip"; }

  TTestAlign Align = taNone;
  bool Visible = true;
  TTestStyles Style;
  char16_t Letter = u'A';
  double Ratio = 0;
  float Scale = 0;
  double Price = 0;  // currency
  double When = 0;   // date-time
  int64_t Big = 0;
  String caption_;
  TTestFont* Font() const { return font_.get(); }
  void SetFont(TTestFont* value) { font_->Assign(value); }
  TCollection* Items() const { return items_.get(); }
  void SetItems(TCollection* value) { items_->Assign(value); }
  TTestControl* Buddy = nullptr;
  TNotifyEvent OnClick;
  std::string Data;  // streamed as the binary property "Data"
  int32_t ReadOnlyValue() const { return 7; }
  int loaded_calls = 0;

  // Visual parent: children are the root's components whose parent this is.
  TTestControl* parent = nullptr;
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override { return parent; }
  void SetParentComponent(TComponent* value) override { parent = ObjectAs<TTestControl>(value); }
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void DefineProperties(TFiler& filer) override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  int32_t width_ = 0;
  std::unique_ptr<TTestFont> font_ = std::make_unique<TTestFont>();
  std::unique_ptr<TCollection> items_ = std::make_unique<TCollection>(&TTestItem::StaticClass());
};

class TTestForm : public TTestControl {
  RD_CLASS(TTestForm, TTestControl)
  using TTestControl::TTestControl;
  void ButtonClick(TObject* sender) { last_sender = sender; }
  void OtherClick(TObject*) {}
  void WrongSignature(TObject*, int32_t) {}
  TObject* last_sender = nullptr;
};

// A component with a sub-component published read-only, streamed as
// "Inner.<property>".
class TTestHost : public TComponent {
  RD_CLASS(TTestHost, TComponent)
  explicit TTestHost(TComponent* owner);
  TTestControl* Inner() const { return inner_; }

 private:
  TTestControl* inner_;  // owned as a component
};

void RegisterTestClasses();
