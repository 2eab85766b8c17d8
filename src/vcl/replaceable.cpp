#include "vcl/replaceable.h"

#include "vcl/win_api.h"

#include "rtl/wide_string.h"
#include "vcl/colors.h"
#include "vcl/picture.h"

void ReportSlotRefusal(const char16_t* slot_name, const char16_t* reason) {
  const String text = String(u"Replaceable slot ") + slot_name + u": " + reason;
  OutputDebugStringW(WideCStr(text));
}

// Constant-initialised: every slot holds its original before any code runs.
constinit TReplaceableSlot<TColor(TColor)> ColorToRGBSlot(u"ColorToRGB", &DefaultColorToRGB);
constinit TReplaceableSlot<bool(StringView, int32_t&)> IdentToColorSlot(u"IdentToColor", &DefaultIdentToColor);
constinit TReplaceableSlot<bool(int32_t, String&)> ColorToIdentSlot(u"ColorToIdent", &DefaultColorToIdent);
constinit TReplaceableSlot<void(const TGetStrProc&)> GetColorValuesSlot(u"GetColorValues", &DefaultGetColorValues);

constinit TReplaceableSlot<void(TPicture&, TFiler&)> PictureDefinePropertiesSlot(u"TPicture.DefineProperties",
                                                                                &DefaultPictureDefineProperties);
constinit TReplaceableSlot<void(TPicture&, const String&)> PictureLoadFromFileSlot(u"TPicture.LoadFromFile",
                                                                                  &DefaultPictureLoadFromFile);
