#pragma once
// Redirection of the platform's drawing functions that the program imports
// (18 of user32, gdi32 and comctl32) to the engine's replacements, and their
// restoration.
//
// Every row keeps the platform's own address of its function, obtained by
// name when the redirection is installed, and the address its import entry
// held before (0 while not redirected). A replacement forwards to the latter
// when there is one, else to the platform's own address, so that it is never
// left without a function to call. For now every replacement forwards its
// call unchanged; the alpha-preserving drawing builds on them.

#include <cstdint>

// The redirected functions, in table order.
enum class TRedirectedFunction : int32_t {
  FillRect, FrameRect, DrawEdge, DrawFrameControl, DrawTextW, DrawTextExW, DrawIconEx,
  StretchBlt, SetPixel, BitBlt, Rectangle, LineTo, Polyline, Ellipse, RoundRect, TextOutW, ExtTextOutW,
  ImageList_DrawEx,
};
inline constexpr int32_t kRedirectedFunctionCount = 18;

// Points the executable's import entries at the replacements; a function
// whose entry is already redirected is not redirected again. The number of
// entries redirected by this call.
int32_t InstallDrawingRedirection();
// Puts the saved addresses back; the number of entries restored.
int32_t RemoveDrawingRedirection();

// What the import entry held before the replacement (null when not
// redirected), and the platform's own address of the function.
void* ReplacedAddress(TRedirectedFunction function);
void* PlatformAddress(TRedirectedFunction function);
// The replacement the entry is pointed at.
void* ReplacementAddress(TRedirectedFunction function);

// Set on a thread while a replacement draws text through the platform, so
// that text functions the platform reaches from there forward unchanged.
bool InPlatformTextDrawing();
class TPlatformTextDrawingScope {
 public:
  TPlatformTextDrawingScope();
  ~TPlatformTextDrawingScope();
  TPlatformTextDrawingScope(const TPlatformTextDrawingScope&) = delete;
  TPlatformTextDrawingScope& operator=(const TPlatformTextDrawingScope&) = delete;

 private:
  bool outer_;
};
