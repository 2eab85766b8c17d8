#include "engine/style/skin_color_platform_win.h"

#include "vcl/win_api.h"

#include "rtl/wide_string.h"

TColor TWinSkinColorPlatform::SysColor(int32_t index) const { return TColor(GetSysColor(index)); }

void TWinSkinColorPlatform::DebugOutput(const String& text) const { OutputDebugStringW(WideCStr(text)); }
