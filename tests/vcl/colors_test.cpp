#include "vcl/colors.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include "vcl/win_api.h"

#include <vector>

#include "rtl/exceptions.h"

namespace {

TEST(Colors, StandardTableHoldsTheFrameworkValuesInOrder) {
  const auto colors = StandardColors();
  ASSERT_EQ(colors.size(), 52u);
  EXPECT_EQ(colors[0].Value, 0x000000);
  EXPECT_EQ(String(colors[0].Name), u"clBlack");
  EXPECT_EQ(String(colors[19].Name), u"clMedGray");
  EXPECT_EQ(colors[19].Value, 0xA4A0A0);
  EXPECT_EQ(String(colors[51].Name), u"clWindowText");
  EXPECT_EQ(colors[51].Value, static_cast<TColor>(0xFF000008));
  // Every name is unique and maps back to its own value.
  for (const TIdentMapEntry& entry : colors) {
    int32_t value = 0;
    ASSERT_TRUE(IdentToColor(entry.Name, value)) << StringToUtf8(entry.Name);
    EXPECT_EQ(value, entry.Value);
  }
}

TEST(Colors, ColorToRGBResolvesSystemColoursOnly) {
  EXPECT_EQ(ColorToRGB(clBtnFace), static_cast<TColor>(GetSysColor(COLOR_BTNFACE)));
  EXPECT_EQ(ColorToRGB(clWindow), static_cast<TColor>(GetSysColor(COLOR_WINDOW)));
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
  EXPECT_EQ(ColorToRGB(clNone), clNone);
  EXPECT_EQ(ColorToRGB(clDefault), clDefault);
  EXPECT_EQ(ColorToRGB(static_cast<TColor>(0x80FF0000)), static_cast<TColor>(0x80FF0000));
}

TEST(Colors, IdentifiersCompareIgnoringCase) {
  int32_t value = 0;
  EXPECT_TRUE(IdentToColor(u"CLBTNFACE", value));
  EXPECT_EQ(value, clBtnFace);
  EXPECT_FALSE(IdentToColor(u"clNoSuchColour", value));
  String name;
  EXPECT_TRUE(ColorToIdent(0x0000FF, name));
  EXPECT_EQ(name, u"clRed");
  EXPECT_FALSE(ColorToIdent(0x123456, name));
}

TEST(Colors, GetColorValuesOffersEveryNameInTableOrder) {
  std::vector<String> names;
  GetColorValues([&](const String& name) { names.push_back(name); });
  ASSERT_EQ(names.size(), 52u);
  EXPECT_EQ(names.front(), u"clBlack");
  EXPECT_EQ(names[29], u"clDefault");
  EXPECT_EQ(names.back(), u"clWindowText");
}

TEST(Colors, StringConversionsUseIdentifiersThenHexadecimal) {
  EXPECT_EQ(ColorToString(clLime), u"clLime");
  EXPECT_EQ(ColorToString(0x123456), u"$00123456");
  EXPECT_EQ(StringToColor(u"clBlue"), clBlue);
  EXPECT_EQ(StringToColor(u"$00123456"), 0x123456);
  EXPECT_EQ(StringToColor(u"255"), 255);
  EXPECT_THROW(StringToColor(u"notacolour"), EConvertError);
}

}  // namespace
