// String lists stream their lines as the defined property "Strings".

#include <gtest/gtest.h>

#include "rtl/reader.h"
#include "rtl/rtti.h"
#include "rtl/stringlist.h"
#include "rtl/writer.h"

namespace {

class TTestMemo : public TComponent {
  RD_CLASS(TTestMemo, TComponent)
  using OwnerType = TComponent;
  explicit TTestMemo(TComponent* owner) : TComponent(owner) {}

  TStringList* Lines() const { return lines_.get(); }
  void SetLines(TStringList* value) { lines_->Assign(value); }

 private:
  std::unique_ptr<TStringList> lines_ = std::make_unique<TStringList>();
};

}  // namespace

RD_DEFINE_CLASS(TTestMemo, Prop(u"Lines", &TTestMemo::Lines, &TTestMemo::SetLines))

namespace {

std::string Image(TComponent& root) {
  TMemoryStream s;
  TWriter(s).WriteRootComponent(root);
  return std::string(static_cast<const char*>(s.Memory()), size_t(s.Size()));
}

TEST(StringsStreaming, LinesRoundTripAsAListOfStrings) {
  TTestMemo memo(nullptr);
  memo.SetName(u"Memo1");
  memo.Lines()->SetText(u"first\r\n\r\nth\u00E9 third");
  const std::string image = Image(memo);
  EXPECT_NE(image.find("Lines.Strings"), std::string::npos);

  TResourceStream in(image.data(), int64_t(image.size()));
  TTestMemo back(nullptr);
  back.Lines()->Add(u"replaced");
  TReader(in).ReadRootComponent(back);
  EXPECT_TRUE(back.Lines()->Equals(*memo.Lines()));
  EXPECT_EQ(back.Lines()->Count(), 3);

  TTestMemo empty(nullptr);
  empty.SetName(u"Memo2");
  EXPECT_EQ(Image(empty).find("Strings"), std::string::npos) << "no lines, nothing written";
}

}  // namespace
