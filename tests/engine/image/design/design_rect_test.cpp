#include "engine/image/design/design_rect.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "rtl/exceptions.h"
#include "rtl/objtext.h"
#include "rtl/reader.h"
#include "rtl/rtti.h"
#include "rtl/streams.h"
#include "rtl/writer.h"

namespace {

// What an OnChange handler saw, one entry per call: the values and
// SettingNotEmpty at the time of the call.
struct TChangeLog : TObject {
  struct TEntry {
    int32_t left, top, right, bottom;
    TSuperStretchMode mode;
    bool setting_not_empty;
  };
  void Changed(TObject* sender) {
    auto* rect = ObjectAs<TDesignRect>(sender);
    ASSERT_NE(rect, nullptr);
    entries.push_back({rect->Left(), rect->Top(), rect->Right(), rect->Bottom(), rect->StretchMode(),
                       rect->SettingNotEmpty()});
  }
  std::vector<TEntry> entries;
};

struct TLoggedRect {
  TLoggedRect() { rect.OnChange = TNotifyEvent::Bind<&TChangeLog::Changed>(&log); }
  size_t Calls() const { return log.entries.size(); }
  TChangeLog log;
  TDesignRect rect;
};

struct TMargins {
  int32_t left, top, right, bottom;
  friend bool operator==(const TMargins&, const TMargins&) = default;
};

TMargins MarginsOf(const TDesignRect& r) { return {r.Left(), r.Top(), r.Right(), r.Bottom()}; }

// A component that publishes a design rect, as skin objects do.
class TDesignHost : public TComponent {
  RD_CLASS(TDesignHost, TComponent)
  explicit TDesignHost(TComponent* owner) : TComponent(owner) {}
  TDesignRect* ImgOpt() const { return img_opt_.get(); }
  void SetImgOpt(TDesignRect* value) { img_opt_->Assign(value); }

 private:
  std::unique_ptr<TDesignRect> img_opt_ = std::make_unique<TDesignRect>();
};

class TOtherPersistent : public TPersistent {
  RD_CLASS(TOtherPersistent, TPersistent)
};

}  // namespace

RD_DEFINE_CLASS(TDesignHost, Prop(u"ImgOpt", &TDesignHost::ImgOpt, &TDesignHost::SetImgOpt))
RD_DEFINE_CLASS(TOtherPersistent)

TEST(DesignRect, SetByIndexSetsOneMarginAndNotifiesOnlyOnChange) {
  struct TCase {
    int32_t index;
    int32_t value;
    TMargins expected;
    size_t calls;
  };
  const TCase cases[] = {
      {0, 5, {5, 0, 0, 0}, 1}, {1, 6, {0, 6, 0, 0}, 1}, {2, -7, {0, 0, -7, 0}, 1}, {3, 8, {0, 0, 0, 8}, 1},
      {0, 0, {0, 0, 0, 0}, 0},   // same value: silent
      {7, 9, {0, 0, 0, 0}, 1},   // unknown index: no change, still notifies
      {-1, 9, {0, 0, 0, 0}, 1},
  };
  for (const TCase& c : cases) {
    TLoggedRect t;
    t.rect.SetByIndex(c.index, c.value);
    EXPECT_EQ(MarginsOf(t.rect), c.expected) << c.index;
    EXPECT_EQ(t.Calls(), c.calls) << c.index;
  }
}

TEST(DesignRect, PublishedMarginsGoThroughSetByIndex) {
  TLoggedRect t;
  const char16_t* names[] = {u"Left", u"Top", u"Right", u"Bottom"};
  for (int32_t i = 0; i < 4; ++i) SetOrdProp(t.rect, *GetPropInfo(t.rect, names[i]), 10 + i);
  EXPECT_EQ(MarginsOf(t.rect), (TMargins{10, 11, 12, 13}));
  EXPECT_EQ(t.Calls(), 4u);
  SetOrdProp(t.rect, *GetPropInfo(t.rect, u"Top"), 11);
  EXPECT_EQ(t.Calls(), 4u);
}

TEST(DesignRect, SetStretchModeNotifiesOnlyOnChange) {
  TLoggedRect t;
  t.rect.SetStretchMode(sdmDefault);
  EXPECT_EQ(t.Calls(), 0u);
  t.rect.SetStretchMode(sdmCorner);
  t.rect.SetStretchMode(sdmCorner);
  EXPECT_EQ(t.rect.StretchMode(), sdmCorner);
  EXPECT_EQ(t.Calls(), 1u);
}

TEST(DesignRect, SetMarginsHonoursSameAndKeepMarkersWithoutNotifying) {
  struct TCase {
    int32_t left, top, bottom, right;
    TMargins expected;
  };
  const TCase cases[] = {
      {5, 6, -1000, -1000, {5, 6, 5, 6}},
      {5, 6, -2000, 9, {5, 2, 9, 4}},       // vertical kept
      {5, 6, 8, -2000, {1, 6, 3, 8}},       // horizontal kept
      {5, 6, -2000, -2000, {1, 2, 3, 4}},   // nothing set
      {5, 6, 7, 8, {5, 6, 8, 7}},
      {-3, -1000, -1000, -1000, {-3, -1000, -3, -1000}},  // only the right and bottom arguments are markers
  };
  for (const TCase& c : cases) {
    TLoggedRect t;
    t.rect.SetMargins(1, 2, 4, 3);
    t.rect.SetMargins(c.left, c.top, c.bottom, c.right);
    EXPECT_EQ(MarginsOf(t.rect), c.expected) << c.left << ' ' << c.top << ' ' << c.bottom << ' ' << c.right;
    EXPECT_EQ(t.Calls(), 0u);
  }
}

TEST(DesignRect, EmptyFollowsAllFiveValues) {
  TDesignRect r;
  EXPECT_TRUE(r.GetEmpty());
  r.SetStretchMode(sdmFill);
  EXPECT_FALSE(r.GetEmpty());
  r.SetStretchMode(sdmDefault);
  for (int32_t i = 0; i < 4; ++i) {
    r.SetByIndex(i, -1);
    EXPECT_FALSE(r.GetEmpty()) << i;
    r.SetByIndex(i, 0);
  }
  EXPECT_TRUE(r.GetEmpty());
}

TEST(DesignRect, SettingEmptyTrueClearsAndNotifies) {
  TLoggedRect t;
  t.rect.SetMargins(1, 2, 3, 4);
  t.rect.SetStretchMode(sdmFrame);
  t.rect.SetEmpty(true);
  EXPECT_TRUE(t.rect.GetEmpty());
  ASSERT_EQ(t.Calls(), 2u);
  EXPECT_FALSE(t.log.entries[1].setting_not_empty);
  t.rect.SetEmpty(true);  // already empty: still a notification
  EXPECT_EQ(t.Calls(), 3u);
}

TEST(DesignRect, SettingEmptyFalseNotifiesOnceWithSettingNotEmpty) {
  TLoggedRect t;
  SetOrdProp(t.rect, *GetPropInfo(t.rect, u"Empty"), 0);
  ASSERT_EQ(t.Calls(), 1u);
  EXPECT_TRUE(t.log.entries[0].setting_not_empty);
  EXPECT_TRUE(t.rect.GetEmpty());
  EXPECT_FALSE(t.rect.SettingNotEmpty());
}

TEST(DesignRect, SettingNotEmptyIsClearedWhenTheHandlerRaises) {
  struct TRaising : TObject {
    void Changed(TObject*) { throw EConvertError(u"handler failed"); }
  } raising;
  TDesignRect r;
  r.OnChange = TNotifyEvent::Bind<&TRaising::Changed>(&raising);
  EXPECT_THROW(r.SetEmpty(false), EConvertError);
  EXPECT_FALSE(r.SettingNotEmpty());
}

TEST(DesignRect, AssignCopiesAllFiveValuesAndNotifiesOnceWhenAnyDiffers) {
  TDesignRect source;
  source.SetMargins(1, 2, 3, 4);
  source.SetStretchMode(sdmFill);
  TLoggedRect t;
  t.rect.Assign(&source);
  EXPECT_EQ(MarginsOf(t.rect), (TMargins{1, 2, 4, 3}));
  EXPECT_EQ(t.rect.StretchMode(), sdmFill);
  ASSERT_EQ(t.Calls(), 1u);
  EXPECT_EQ(t.log.entries[0].mode, sdmFill);  // all copied before the notification
  t.rect.Assign(&source);
  EXPECT_EQ(t.Calls(), 1u);  // equal: silent

  t.rect.Assign(nullptr);
  EXPECT_TRUE(t.rect.GetEmpty());
  EXPECT_EQ(t.Calls(), 2u);
}

TEST(DesignRect, AssignFromADesignRectSubclassAndToOneThroughAssignTo) {
  // A persistent that does not know design rects asks the source (AssignTo),
  // which overwrites without notifying; here reached through a subclass
  // whose Assign defers to the inherited one.
  class TQuiet : public TDesignRect {
   public:
    void Assign(const TPersistent* source) override { TPersistent::Assign(source); }
  };
  TDesignRect source;
  source.SetMargins(7, 8, 9, 10);
  source.SetStretchMode(sdmCorner);
  TQuiet dest;
  int calls = 0;
  struct TCounter : TObject {
    int* calls;
    void Changed(TObject*) { ++*calls; }
  } counter;
  counter.calls = &calls;
  dest.OnChange = TNotifyEvent::Bind<&TCounter::Changed>(&counter);
  dest.Assign(&source);
  EXPECT_EQ(MarginsOf(dest), (TMargins{7, 8, 10, 9}));
  EXPECT_EQ(dest.StretchMode(), sdmCorner);
  EXPECT_EQ(calls, 0);
}

TEST(DesignRect, AssignAcrossOtherClassesRaisesTheConversionError) {
  TDesignRect r;
  TOtherPersistent other;
  try {
    r.Assign(&other);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Cannot assign a TOtherPersistent to a TDesignRect");
  }
  try {
    other.Assign(&r);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Cannot assign a TDesignRect to a TOtherPersistent");
  }
}

TEST(DesignRect, PublishedPropertiesInOrderWithTheirDefaults) {
  const TDesignRect r;
  const char16_t* names[] = {u"StretchMode", u"Empty", u"Left", u"Top", u"Right", u"Bottom"};
  const TClassInfo& info = TDesignRect::StaticClass();
  ASSERT_EQ(info.Properties().size(), 6u);
  for (size_t i = 0; i < 6; ++i) {
    const TPropInfo& prop = *info.Properties()[i];
    EXPECT_EQ(prop.Name(), names[i]);
    EXPECT_TRUE(prop.HasDefault());
    EXPECT_EQ(prop.IsStored(r), i != 1) << i;
  }
  EXPECT_EQ(GetEnumProp(r, *GetPropInfo(r, u"StretchMode")), u"sdmDefault");
}

TEST(DesignRect, StreamsThroughObjectTextByName) {
  TDesignHost host(nullptr);
  host.SetName(u"Host");
  host.ImgOpt()->SetMargins(4, -2, 9, 2147483647);
  host.ImgOpt()->SetStretchMode(sdmFill);

  TMemoryStream binary;
  TWriter(binary).WriteRootComponent(host);
  binary.SetPosition(0);
  TMemoryStream text;
  ObjectBinaryToText(binary, text);
  const std::string written(static_cast<const char*>(text.Memory()), size_t(text.Size()));
  EXPECT_EQ(written,
            "object Host: TDesignHost\r\n"
            "  ImgOpt.StretchMode = sdmFill\r\n"
            "  ImgOpt.Left = 4\r\n"
            "  ImgOpt.Top = -2\r\n"
            "  ImgOpt.Right = 2147483647\r\n"
            "  ImgOpt.Bottom = 9\r\n"
            "end\r\n");

  text.SetPosition(0);
  TMemoryStream back;
  ObjectTextToBinary(text, back);
  back.SetPosition(0);
  TDesignHost read(nullptr);
  TReader(back).ReadRootComponent(read);
  EXPECT_EQ(MarginsOf(*read.ImgOpt()), (TMargins{4, -2, 2147483647, 9}));
  EXPECT_EQ(read.ImgOpt()->StretchMode(), sdmFill);
}

TEST(DesignRect, AnEmptyDesignRectWritesNothingAndAnUnknownModeIsRefused) {
  TDesignHost host(nullptr);
  host.SetName(u"Host");
  TMemoryStream binary;
  TWriter(binary).WriteRootComponent(host);
  binary.SetPosition(0);
  TMemoryStream text;
  ObjectBinaryToText(binary, text);
  EXPECT_EQ(std::string(static_cast<const char*>(text.Memory()), size_t(text.Size())),
            "object Host: TDesignHost\r\nend\r\n");

  const std::string bad = "object Host: TDesignHost\r\n  ImgOpt.StretchMode = sdmSideways\r\nend\r\n";
  TResourceStream bad_text(bad.data(), int64_t(bad.size()));
  TMemoryStream bad_binary;
  ObjectTextToBinary(bad_text, bad_binary);
  bad_binary.SetPosition(0);
  TDesignHost read(nullptr);
  EXPECT_THROW(TReader(bad_binary).ReadRootComponent(read), Exception);
  EXPECT_EQ(read.ImgOpt()->StretchMode(), sdmDefault);
}
