#include "engine/image/picture/image_engine_startup_win.h"

#include "vcl/win_api.h"

#include "engine/image/picture/image_dc_registry_win.h"
#include "engine/image/picture/scratch_images_win.h"
#include "vcl/file_formats.h"

namespace {

bool g_started = false;

// The process-wide list of shared decoded image data comes with the
// shared-data work; its start and stop go here, first and last.
void CreateSharedImageDataList() {}
void FreeSharedImageDataList() {}

}  // namespace

bool StartImageEngine() {
  if (g_started) return false;
  CreateSharedImageDataList();
  CreateScratchImagePool(GetCurrentThreadId());
  CreateImageDcRegistries();
  RegisterFileFormat(u"png", u"Portable Network Graphics", &TPngImage::StaticClass());
  g_started = true;
  return true;
}

void StopImageEngine() {
  if (!g_started) return;
  UnregisterGraphicClass(&TPngImage::StaticClass());
  FreeScratchImagePool();
  FreeImageDcRegistries();
  FreeSharedImageDataList();
  g_started = false;
}

bool ImageEngineStarted() { return g_started; }
