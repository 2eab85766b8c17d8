#include "vcl/colors.h"

#include "vcl/win_api.h"

#include <iterator>

#include "rtl/sysutils.h"
#include "vcl/replaceable.h"

namespace {

constexpr TIdentMapEntry kStandardColors[] = {
    {clBlack, u"clBlack"},
    {clMaroon, u"clMaroon"},
    {clGreen, u"clGreen"},
    {clOlive, u"clOlive"},
    {clNavy, u"clNavy"},
    {clPurple, u"clPurple"},
    {clTeal, u"clTeal"},
    {clGray, u"clGray"},
    {clSilver, u"clSilver"},
    {clRed, u"clRed"},
    {clLime, u"clLime"},
    {clYellow, u"clYellow"},
    {clBlue, u"clBlue"},
    {clFuchsia, u"clFuchsia"},
    {clAqua, u"clAqua"},
    {clWhite, u"clWhite"},
    {clMoneyGreen, u"clMoneyGreen"},
    {clSkyBlue, u"clSkyBlue"},
    {clCream, u"clCream"},
    {clMedGray, u"clMedGray"},
    {clActiveBorder, u"clActiveBorder"},
    {clActiveCaption, u"clActiveCaption"},
    {clAppWorkSpace, u"clAppWorkSpace"},
    {clBackground, u"clBackground"},
    {clBtnFace, u"clBtnFace"},
    {clBtnHighlight, u"clBtnHighlight"},
    {clBtnShadow, u"clBtnShadow"},
    {clBtnText, u"clBtnText"},
    {clCaptionText, u"clCaptionText"},
    {clDefault, u"clDefault"},
    {clGradientActiveCaption, u"clGradientActiveCaption"},
    {clGradientInactiveCaption, u"clGradientInactiveCaption"},
    {clGrayText, u"clGrayText"},
    {clHighlight, u"clHighlight"},
    {clHighlightText, u"clHighlightText"},
    {clHotLight, u"clHotLight"},
    {clInactiveBorder, u"clInactiveBorder"},
    {clInactiveCaption, u"clInactiveCaption"},
    {clInactiveCaptionText, u"clInactiveCaptionText"},
    {clInfoBk, u"clInfoBk"},
    {clInfoText, u"clInfoText"},
    {clMenu, u"clMenu"},
    {clMenuBar, u"clMenuBar"},
    {clMenuHighlight, u"clMenuHighlight"},
    {clMenuText, u"clMenuText"},
    {clNone, u"clNone"},
    {clScrollBar, u"clScrollBar"},
    {cl3DDkShadow, u"cl3DDkShadow"},
    {cl3DLight, u"cl3DLight"},
    {clWindow, u"clWindow"},
    {clWindowFrame, u"clWindowFrame"},
    {clWindowText, u"clWindowText"},
};
static_assert(std::size(kStandardColors) == 52);

}  // namespace

std::span<const TIdentMapEntry> StandardColors() { return kStandardColors; }

TColor ColorToRGB(TColor color) { return ColorToRGBSlot(color); }
bool IdentToColor(StringView ident, int32_t& color) { return IdentToColorSlot(ident, color); }
bool ColorToIdent(int32_t color, String& ident) { return ColorToIdentSlot(color, ident); }
void GetColorValues(const TGetStrProc& proc) { GetColorValuesSlot(proc); }

TColor DefaultColorToRGB(TColor color) {
  if ((static_cast<uint32_t>(color) & 0xFF000000u) == static_cast<uint32_t>(clSystemColor)) {
    return static_cast<TColor>(GetSysColor(static_cast<int>(color & 0xFF)));
  }
  return color;
}

bool DefaultIdentToColor(StringView ident, int32_t& color) {
  for (const TIdentMapEntry& entry : kStandardColors) {
    if (SameText(ident, entry.Name)) {
      color = entry.Value;
      return true;
    }
  }
  return false;
}

bool DefaultColorToIdent(int32_t color, String& ident) {
  for (const TIdentMapEntry& entry : kStandardColors) {
    if (entry.Value == color) {
      ident = entry.Name;
      return true;
    }
  }
  return false;
}

void DefaultGetColorValues(const TGetStrProc& proc) {
  for (const TIdentMapEntry& entry : kStandardColors) proc(entry.Name);
}

String ColorToString(TColor color) {
  String ident;
  if (ColorToIdent(color, ident)) return ident;
  return u"$" + IntToHex(color, 8);
}

TColor StringToColor(StringView text) {
  int32_t color = 0;
  if (IdentToColor(text, color)) return color;
  return StrToInt(text);
}

const TTypeInfo& ColorTypeInfo() {
  static const TTypeInfo info = TTypeInfo::Integer(u"TColor", otSLong, INT32_MIN, INT32_MAX);
  // Through the slots, so that forms stream colours by the names in force.
  static const bool registered = (RegisterIntegerConsts(info, &IdentToColor, &ColorToIdent), true);
  (void)registered;
  return info;
}
