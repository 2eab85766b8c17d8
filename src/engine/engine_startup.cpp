#include "engine/engine_startup.h"

#include "engine/image/picture/image_engine_startup_win.h"
#include "engine/style/style_startup_win.h"

namespace {
bool g_engine_started = false;
}  // namespace

bool StartEngine() {
  if (g_engine_started) return false;
  StartImageEngine();
  StartStyleColors();
  g_engine_started = true;
  return true;
}

void StopEngine() {
  if (!g_engine_started) return;
  StopStyleColors();
  StopImageEngine();
  g_engine_started = false;
}
