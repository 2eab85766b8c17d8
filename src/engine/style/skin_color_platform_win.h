#pragma once
// The colour model's platform on Windows: GetSysColor and OutputDebugStringW.

#include "engine/style/skin_colors.h"

class TWinSkinColorPlatform : public TSkinColorPlatform {
 public:
  TColor SysColor(int32_t index) const override;
  void DebugOutput(const String& text) const override;
};
