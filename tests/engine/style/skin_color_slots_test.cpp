#include "engine/style/skin_color_slots.h"

#include "vcl/win_api.h"

#include <gtest/gtest.h>

#include "engine/style/color_name_key.h"
#include "engine/style/skin_colors.h"
#include "vcl/replaceable.h"

namespace {

bool OtherColorToIdent(int32_t, String& ident) {
  ident = u"other";
  return true;
}

TEST(SkinColorSlots, FilledAtInstallAndRestoredAtUninstall) {
  ASSERT_TRUE(InstallSkinColors());
  EXPECT_FALSE(InstallSkinColors());  // once only
  SkinColors()->MergeVclColor();
  EXPECT_TRUE(ColorToRGBSlot.Replaced());
  EXPECT_TRUE(IdentToColorSlot.Replaced());
  EXPECT_TRUE(ColorToIdentSlot.Replaced());
  EXPECT_TRUE(GetColorValuesSlot.Replaced());

  // The framework's own entry points now reach the engine's model.
  EXPECT_EQ(ColorToRGB(clBtnFace), TColor(GetSysColor(COLOR_BTNFACE)));
  EXPECT_EQ(ColorToRGB(TColor(0xFF000100)), kNonColorRGB);
  EXPECT_EQ(ColorToRGB(TColor(0x80FF0000)), TColor(0x80FF0000));
  int32_t value = 0;
  EXPECT_TRUE(IdentToColor(u"clRed", value));
  EXPECT_EQ(value, clRed);
  EXPECT_TRUE(IdentToColor(u"PanelGlow", value));
  EXPECT_EQ(uint32_t(value), NameKey(u"PanelGlow"));
  String name;
  EXPECT_TRUE(ColorToIdent(value, name));
  EXPECT_EQ(name, u"PanelGlow");
  int names = 0;
  GetColorValues([&](const String&) { ++names; });
  EXPECT_EQ(names, 52);

  UninstallSkinColors();
  EXPECT_EQ(SkinColors(), nullptr);
  EXPECT_FALSE(ColorToRGBSlot.Replaced());
  EXPECT_FALSE(IdentToColorSlot.Replaced());
  EXPECT_FALSE(ColorToIdentSlot.Replaced());
  EXPECT_FALSE(GetColorValuesSlot.Replaced());
  EXPECT_FALSE(IdentToColor(u"PanelGlow", value));  // the framework knows identifiers only
}

TEST(SkinColorSlots, ASlotHeldByAnotherReplacerIsLeftToIt) {
  ASSERT_TRUE(ColorToIdentSlot.Replace(&OtherColorToIdent));
  ASSERT_TRUE(InstallSkinColors());
  EXPECT_EQ(ColorToIdentSlot.Current(), &OtherColorToIdent);
  EXPECT_EQ(ColorToRGBSlot.Current(), &SkinColorToRGB);
  UninstallSkinColors();
  EXPECT_EQ(ColorToIdentSlot.Current(), &OtherColorToIdent);  // not the engine's to restore
  EXPECT_FALSE(ColorToRGBSlot.Replaced());
  ColorToIdentSlot.Restore();
}

}  // namespace
