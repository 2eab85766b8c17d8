#include "vcl/replaceable.h"

#include "vcl/win_api.h"

#include "rtl/wide_string.h"
#include "vcl/colors.h"
#include "vcl/control_access.h"
#include "vcl/picture.h"
#include "vcl/scrolling_win_control.h"

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

constinit TReplaceableSlot<void(TControl&, bool, bool)> InvalidateControlSlot(u"TControl.InvalidateControl",
                                                                             &DefaultInvalidateControl);
constinit TReplaceableSlot<void(TControl&, int32_t, int32_t, int32_t, int32_t)> SetBoundsSlot(u"TControl.SetBounds",
                                                                                             &DefaultSetBounds);
constinit TReplaceableSlot<void(TControl&)> ResizeSlot(u"TControl.Resize", &DefaultResize);
constinit TReplaceableSlot<void(TControl&)> UpdateAnchorRulesSlot(u"TControl.UpdateAnchorRules",
                                                                  &DefaultUpdateAnchorRules);
constinit TReplaceableSlot<void(TControl&)> RequestAlignSlot(u"TControl.RequestAlign", &DefaultRequestAlign);
constinit TReplaceableSlot<void(TControl&, int32_t&, int32_t&, int32_t&, int32_t&)> ConstrainedResizeSlot(
    u"TControl.ConstrainedResize", &DefaultConstrainedResize);
constinit TReplaceableSlot<void(TScrollingWinControl&, TRect&)> ScrollingAdjustClientRectSlot(
    u"TScrollingWinControl.AdjustClientRect", &DefaultScrollingAdjustClientRect);
constinit TReplaceableSlot<TRect(const TControl&)> GetBoundsRectSlot(u"TControl.GetBoundsRect", &DefaultGetBoundsRect);
constinit TReplaceableSlot<void(TControl&, const TRect&)> SetBoundsRectSlot(u"TControl.SetBoundsRect",
                                                                           &DefaultSetBoundsRect);
constinit TReplaceableSlot<TPoint(const TControl&)> GetClientOriginSlot(u"TControl.GetClientOrigin",
                                                                       &DefaultGetClientOrigin);
constinit TReplaceableSlot<TPoint(const TControl&, TPoint)> ClientToScreenSlot(u"TControl.ClientToScreen",
                                                                              &DefaultClientToScreen);
constinit TReplaceableSlot<TPoint(const TControl&, TPoint)> ScreenToClientSlot(u"TControl.ScreenToClient",
                                                                              &DefaultScreenToClient);
constinit TReplaceableSlot<TPoint(const TControl&, TPoint, TWinControl*)> ParentToClientSlot(
    u"TControl.ParentToClient", &DefaultParentToClient);
constinit TReplaceableSlot<TPoint(const TControl&, TPoint, TWinControl*)> ClientToParentSlot(
    u"TControl.ClientToParent", &DefaultClientToParent);
constinit TReplaceableSlot<void(TControl&, TMessage&)> ControlWMMouseMoveSlot(u"TControl.WMMouseMove",
                                                                             &DefaultControlWMMouseMove);
constinit TReplaceableSlot<void(TControl&, TMessage&)> ControlWMLButtonUpSlot(u"TControl.WMLButtonUp",
                                                                             &DefaultControlWMLButtonUp);
constinit TReplaceableSlot<void(TControl&, TMessage&, TMouseButton, TSet<TShiftStateFlag>)> DoMouseDownSlot(
    u"TControl.DoMouseDown", &DefaultDoMouseDown);
constinit TReplaceableSlot<void(TControl&, TMessage&, TMouseButton)> DoMouseUpSlot(u"TControl.DoMouseUp",
                                                                                  &DefaultDoMouseUp);
constinit TReplaceableSlot<void(TControl&, TMessage&)> ControlCMMouseWheelSlot(u"TControl.CMMouseWheel",
                                                                              &DefaultControlCMMouseWheel);
constinit TReplaceableSlot<void(TWinControl&, TMessage&)> WinControlWMWindowPosChangingSlot(
    u"TWinControl.WMWindowPosChanging", &DefaultWinControlWMWindowPosChanging);
constinit TReplaceableSlot<void(TWinControl&, TMessage&)> WinControlWMSetCursorSlot(u"TWinControl.WMSetCursor",
                                                                                   &DefaultWinControlWMSetCursor);
constinit TReplaceableSlot<void(TWinControl&, TMessage&)> WinControlWndProcSlot(u"TWinControl.WndProc",
                                                                               &DefaultWinControlWndProc);
