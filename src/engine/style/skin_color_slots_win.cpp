#include "engine/style/skin_color_slots.h"

#include "engine/style/skin_color_platform_win.h"
#include "engine/style/skin_colors.h"
#include "vcl/replaceable.h"

namespace {

const TWinSkinColorPlatform g_platform;

// Which slots the engine filled, so that it restores only its own.
struct TFilledSlots {
  bool color_to_rgb = false;
  bool ident_to_color = false;
  bool color_to_ident = false;
  bool get_color_values = false;
};
TFilledSlots g_filled;

}  // namespace

bool InstallSkinColors() {
  if (SkinColors()) return false;
  CreateSkinColors(g_platform);
  g_filled.color_to_rgb = ColorToRGBSlot.Replace(&SkinColorToRGB);
  g_filled.ident_to_color = IdentToColorSlot.Replace(&SkinIdentToColor);
  g_filled.color_to_ident = ColorToIdentSlot.Replace(&SkinColorToIdent);
  g_filled.get_color_values = GetColorValuesSlot.Replace(&SkinGetColorValues);
  return true;
}

void UninstallSkinColors() {
  if (!SkinColors()) return;
  if (g_filled.get_color_values) GetColorValuesSlot.Restore();
  if (g_filled.color_to_ident) ColorToIdentSlot.Restore();
  if (g_filled.ident_to_color) IdentToColorSlot.Restore();
  if (g_filled.color_to_rgb) ColorToRGBSlot.Restore();
  g_filled = TFilledSlots{};
  FreeSkinColors();
}
