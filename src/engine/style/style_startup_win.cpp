#include "engine/style/style_startup_win.h"

#include "engine/style/drawing_redirection_win.h"
#include "engine/style/skin_color_slots.h"
#include "engine/style/skin_colors.h"

bool StartStyleColors() {
  if (!InstallSkinColors()) return false;
  InstallDrawingRedirection();
  SkinColors()->MergeVclColor();
  return true;
}

void StopStyleColors() {
  if (!SkinColors()) return;
  RemoveDrawingRedirection();
  UninstallSkinColors();
}
