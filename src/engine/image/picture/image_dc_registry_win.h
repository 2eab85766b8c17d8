#pragma once
// The two process-wide registries of device contexts that the drawing code
// asks about a destination: the memory DCs of 32-bit images (DC → its
// image) and the DCs other parts of the engine mark as alpha-preserving
// surfaces. Each is a pointer hash of 512 buckets taken under its own lock;
// both exist from the image engine's start to its stop (before and after,
// nothing is registered and nothing is found).

#include "vcl/win_api.h"

#include <cstdint>

class TPngImage;

void CreateImageDcRegistries();
void FreeImageDcRegistries();

void RegisterImageDc(HDC dc, TPngImage* image);
void UnregisterImageDc(HDC dc);
// The image whose DC this is, or nullptr.
TPngImage* ImageOfDc(HDC dc);
int32_t RegisteredImageDcCount();

void AddAlphaPreservingDc(HDC dc);
void RemoveAlphaPreservingDc(HDC dc);
bool IsAlphaPreservingDc(HDC dc);
