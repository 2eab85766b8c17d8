#include "engine/style/skin_colors.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/style/color_name_key.h"

namespace {

// System colour n reads as 0x00AA00nn; debugger output is collected.
class TFakePlatform : public TSkinColorPlatform {
 public:
  TColor SysColor(int32_t index) const override { return 0x00AA0000 | index; }
  void DebugOutput(const String& text) const override { lines.push_back(text); }
  mutable std::vector<String> lines;
};

class SkinColorsTest : public ::testing::Test {
 protected:
  TFakePlatform platform;
  TSkinColors colors{platform};
};

std::unique_ptr<TRccColorItem> Resolved(const String& name, uint32_t rgb) {
  auto item = std::make_unique<TRccColorItem>();
  item->Name = name;
  item->State = 7;
  item->RGB = rgb;
  item->Value = int32_t(NameKey(name));
  return item;
}

TEST_F(SkinColorsTest, ColorToRgbOverEveryKindOfValue) {
  colors.MergeVclColor();
  colors.PutItem(Resolved(u"Accent", 0x40112233));
  const struct {
    TColor in;
    TColor out;
  } cases[] = {
      {0x00123456, 0x00123456},                       // plain RGB
      {TColor(0x80FF0000), TColor(0x80FF0000)},       // alpha kept
      {clNone, clNone},
      {clDefault, clDefault},
      {TColor(0xFF000005), 0x00AA0005},               // system colour: the platform's
      {TColor(0xFF0000FF), 0x00AA00FF},               // highest system number
      {TColor(0xFF000100), kNonColorRGB},             // reference missing from the table
      {TColor(NameKey(u"accent")), 0x40112233},       // resolved skin colour
      {TColor(NameKey(u"clRed")), clRed},             // standard colour by its name key
      {TColor(NameKey(u"clBtnFace")), 0x00AA000F},    // ... a system one resolves further
  };
  for (const auto& c : cases) EXPECT_EQ(colors.ColorToRGB(c.in), c.out) << std::hex << c.in;
  EXPECT_TRUE(platform.lines.empty());
}

TEST_F(SkinColorsTest, UnknownNameBecomesOneUnresolvedItem) {
  int32_t first = 0, second = 0;
  EXPECT_TRUE(colors.IdentToColor(u"PanelGlow", first));
  EXPECT_TRUE(colors.IdentToColor(u"PANELGLOW", second));
  EXPECT_EQ(uint32_t(first), NameKey(u"panelglow"));
  EXPECT_EQ(first, second);
  EXPECT_EQ(colors.Count(), 1);

  const TRccColorItem* item = colors.ItemOf(uint32_t(first));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->State, kUnresolvedColorState);
  EXPECT_EQ(item->RGB, uint32_t(kNonColorRGB));
  String name;
  EXPECT_TRUE(colors.ColorToIdent(first, name));
  EXPECT_EQ(name, u"PanelGlow");  // the spelling first seen
  EXPECT_EQ(colors.ColorToRGB(first), kNonColorRGB);
  EXPECT_FALSE(colors.ColorToIdent(0x123456, name));
}

TEST_F(SkinColorsTest, IntegerTextIsItsOwnKeyAndAddsNothing) {
  const struct {
    const char16_t* text;
    int32_t value;
  } cases[] = {{u"$FF0000", 0xFF0000}, {u"255", 255}, {u"-1", -1}, {u"$FF000123", int32_t(0xFF000123)}};
  for (const auto& c : cases) {
    int32_t value = 0;
    EXPECT_TRUE(colors.IdentToColor(c.text, value));
    EXPECT_EQ(value, c.value) << std::u16string(c.text).size();
  }
  EXPECT_EQ(colors.Count(), 0);
}

TEST_F(SkinColorsTest, StandardNamesAgreeWithTheFrameworkAfterMerge) {
  colors.MergeVclColor();
  EXPECT_EQ(colors.Count(), 2 * 52);
  const struct {
    const char16_t* ident;
    TColor value;
    const char16_t* name;
  } cases[] = {{u"clRed", clRed, u"clRed"},       {u"CLRED", clRed, u"clRed"},
               {u"clBlack", clBlack, u"clBlack"}, {u"clBtnFace", clBtnFace, u"clBtnFace"},
               {u"clNone", clNone, u"clNone"},    {u"clDefault", clDefault, u"clDefault"},
               {u"clMenuBar", clMenuBar, u"clMenuBar"}};
  for (const auto& c : cases) {
    int32_t value = 0;
    EXPECT_TRUE(colors.IdentToColor(c.ident, value));
    EXPECT_EQ(value, c.value);
    String name;
    EXPECT_TRUE(colors.ColorToIdent(c.value, name));
    EXPECT_EQ(name, c.name);
  }
  EXPECT_EQ(colors.Count(), 2 * 52);  // standard names add nothing
}

TEST_F(SkinColorsTest, SecondMergeKeepsResolvedAndUnresolvedItems) {
  int32_t glow = 0;
  colors.IdentToColor(u"Glow", glow);
  colors.MergeVclColor();
  colors.PutItem(Resolved(u"Accent", 0x00112233));
  colors.SetDiagnostics(true);
  colors.MergeVclColor();

  EXPECT_EQ(colors.Count(), 2 * 52 + 2);
  const TRccColorItem* accent = colors.ItemOf(NameKey(u"Accent"));
  ASSERT_NE(accent, nullptr);
  EXPECT_EQ(accent->State, 7);
  EXPECT_EQ(colors.ColorToRGB(TColor(NameKey(u"Accent"))), 0x00112233);
  const TRccColorItem* item = colors.ItemOf(uint32_t(glow));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->State, kUnresolvedColorState);
  EXPECT_EQ(item->Name, u"Glow");
  ASSERT_EQ(platform.lines.size(), 1u);
  EXPECT_EQ(platform.lines[0], u"MergeVclColor, non-color[1]: Glow");
}

TEST_F(SkinColorsTest, StandardColoursReplaceItemsUnderTheirKeys) {
  // A name asked for before the merge that turns out to be standard is
  // replaced by the standard item; so is anything stored under a standard value.
  int32_t early = 0;
  colors.IdentToColor(u"clWhite", early);
  EXPECT_EQ(uint32_t(early), NameKey(u"clWhite"));
  auto squatter = std::make_unique<TRccColorItem>();
  squatter->Name = u"NotWhite";
  squatter->State = 3;
  squatter->Value = clWhite;
  colors.PutItem(std::move(squatter));
  colors.MergeVclColor();

  EXPECT_EQ(colors.Count(), 2 * 52);
  int32_t value = 0;
  colors.IdentToColor(u"clWhite", value);
  EXPECT_EQ(value, clWhite);
  String name;
  ASSERT_TRUE(colors.ColorToIdent(clWhite, name));
  EXPECT_EQ(name, u"clWhite");
}

TEST_F(SkinColorsTest, DiagnosticsWriteTheWarningTexts) {
  colors.ColorToRGB(TColor(0xFF000100));
  int32_t key = 0;
  colors.IdentToColor(u"Quiet", key);
  EXPECT_TRUE(platform.lines.empty());  // off at start

  colors.SetDiagnostics(true);
  colors.ColorToRGB(TColor(0xFF000100));
  colors.IdentToColor(u"Loud", key);
  ASSERT_EQ(platform.lines.size(), 2u);
  EXPECT_EQ(platform.lines[0], u"warning non-color: [FF000100]");
  char16_t hex[9];
  const char16_t digits[] = u"0123456789ABCDEF";
  for (int i = 0; i < 8; ++i) hex[i] = digits[(uint32_t(key) >> (28 - 4 * i)) & 0xF];
  hex[8] = 0;
  EXPECT_EQ(platform.lines[1], u"warning non-color: Loud [" + String(hex) + u"]");
}

TEST_F(SkinColorsTest, GetColorValuesOffersTheNameListFirst) {
  colors.NameList().Add(u"Accent=1");
  colors.NameList().Add(u"Border=2");
  std::vector<String> names;
  colors.GetColorValues([&](const String& n) { names.push_back(n); });
  ASSERT_EQ(names.size(), 2u + 52u);
  EXPECT_EQ(names[0], u"Accent");
  EXPECT_EQ(names[1], u"Border");
  EXPECT_EQ(names[2], u"clBlack");
  EXPECT_EQ(names.back(), u"clWindowText");
}

}  // namespace
