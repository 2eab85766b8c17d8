#include "vcl/colors.h"

#include "vcl/win_api.h"

#include "rtl/sysutils.h"
#include "vcl/replaceable.h"

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
