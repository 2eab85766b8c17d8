#include "engine/style/drawing_redirection_win.h"

#include "vcl/win_api.h"

#include <commctrl.h>

#include <array>
#include <cstring>
#include <vector>

#include "engine/style/import_patch_win.h"

namespace {

struct TRow {
  const char* Dll;
  const char* Name;
  void* Replacement;
  void* Replaced;  // the import entry's previous address; null while not redirected
  void* Platform;  // the function obtained by name
};

// The function a replacement calls: what its entry held, else the platform's.
void* Target(TRedirectedFunction f);

// One forwarding replacement per function type, generated from the
// platform's own declaration so that the calling convention and arguments
// match exactly.
template <TRedirectedFunction F, class Fn>
struct TForwarder;
template <TRedirectedFunction F, class R, class... A>
struct TForwarder<F, R(WINAPI*)(A...)> {
  static R WINAPI Call(A... args) { return reinterpret_cast<R(WINAPI*)(A...)>(Target(F))(args...); }
};

template <TRedirectedFunction F, auto Declared>
void* ForwarderOf() {
  return reinterpret_cast<void*>(&TForwarder<F, decltype(Declared)>::Call);
}

using TF = TRedirectedFunction;

std::array<TRow, kRedirectedFunctionCount> g_rows = {{
    {"user32.dll", "FillRect", ForwarderOf<TF::FillRect, &::FillRect>(), nullptr, nullptr},
    {"user32.dll", "FrameRect", ForwarderOf<TF::FrameRect, &::FrameRect>(), nullptr, nullptr},
    {"user32.dll", "DrawEdge", ForwarderOf<TF::DrawEdge, &::DrawEdge>(), nullptr, nullptr},
    {"user32.dll", "DrawFrameControl", ForwarderOf<TF::DrawFrameControl, &::DrawFrameControl>(),
     nullptr, nullptr},
    {"user32.dll", "DrawTextW", ForwarderOf<TF::DrawTextW, &::DrawTextW>(), nullptr, nullptr},
    {"user32.dll", "DrawTextExW", ForwarderOf<TF::DrawTextExW, &::DrawTextExW>(), nullptr, nullptr},
    {"user32.dll", "DrawIconEx", ForwarderOf<TF::DrawIconEx, &::DrawIconEx>(), nullptr, nullptr},
    {"gdi32.dll", "StretchBlt", ForwarderOf<TF::StretchBlt, &::StretchBlt>(), nullptr, nullptr},
    {"gdi32.dll", "SetPixel", ForwarderOf<TF::SetPixel, &::SetPixel>(), nullptr, nullptr},
    {"gdi32.dll", "BitBlt", ForwarderOf<TF::BitBlt, &::BitBlt>(), nullptr, nullptr},
    {"gdi32.dll", "Rectangle", ForwarderOf<TF::Rectangle, &::Rectangle>(), nullptr, nullptr},
    {"gdi32.dll", "LineTo", ForwarderOf<TF::LineTo, &::LineTo>(), nullptr, nullptr},
    {"gdi32.dll", "Polyline", ForwarderOf<TF::Polyline, &::Polyline>(), nullptr, nullptr},
    {"gdi32.dll", "Ellipse", ForwarderOf<TF::Ellipse, &::Ellipse>(), nullptr, nullptr},
    {"gdi32.dll", "RoundRect", ForwarderOf<TF::RoundRect, &::RoundRect>(), nullptr, nullptr},
    {"gdi32.dll", "TextOutW", ForwarderOf<TF::TextOutW, &::TextOutW>(), nullptr, nullptr},
    {"gdi32.dll", "ExtTextOutW", ForwarderOf<TF::ExtTextOutW, &::ExtTextOutW>(), nullptr, nullptr},
    {"comctl32.dll", "ImageList_DrawEx",
     ForwarderOf<TF::ImageList_DrawEx, &::ImageList_DrawEx>(), nullptr, nullptr},
}};

TRow& RowOf(TRedirectedFunction f) { return g_rows[size_t(f)]; }

void* Target(TRedirectedFunction f) {
  const TRow& row = RowOf(f);
  return row.Replaced ? row.Replaced : row.Platform;
}

constexpr const char* kDlls[] = {"user32.dll", "gdi32.dll", "comctl32.dll"};

// Patches the executable's entries of `dll` for the rows of that DLL, each
// to what `value` gives (a row it gives null for is left alone).
template <class Value>
int32_t PatchRowsOf(const char* dll, Value&& value, bool save) {
  std::vector<TImportPatch> patches;
  for (TRow& row : g_rows) {
    if (std::strcmp(row.Dll, dll) != 0) continue;
    if (void* to = value(row)) patches.push_back({row.Name, to, save ? &row.Replaced : nullptr});
  }
  if (patches.empty()) return 0;
  const int32_t patched = PatchImports(nullptr, dll, patches);
  return patched > 0 ? patched : 0;
}

thread_local bool t_in_platform_text = false;

}  // namespace

int32_t InstallDrawingRedirection() {
  for (TRow& row : g_rows) {
    if (HMODULE module = GetModuleHandleA(row.Dll)) {
      row.Platform = reinterpret_cast<void*>(GetProcAddress(module, row.Name));
    }
  }
  int32_t total = 0;
  for (const char* dll : kDlls) {
    // Only functions with a platform address to fall back on are redirected.
    total += PatchRowsOf(dll, [](const TRow& row) { return row.Platform ? row.Replacement : nullptr; }, true);
  }
  return total;
}

int32_t RemoveDrawingRedirection() {
  int32_t total = 0;
  for (const char* dll : kDlls) total += PatchRowsOf(dll, [](const TRow& row) { return row.Replaced; }, false);
  for (TRow& row : g_rows) row.Replaced = nullptr;
  return total;
}

void* ReplacedAddress(TRedirectedFunction function) { return RowOf(function).Replaced; }
void* PlatformAddress(TRedirectedFunction function) { return RowOf(function).Platform; }
void* ReplacementAddress(TRedirectedFunction function) { return RowOf(function).Replacement; }

bool InPlatformTextDrawing() { return t_in_platform_text; }

TPlatformTextDrawingScope::TPlatformTextDrawingScope() : outer_(t_in_platform_text) { t_in_platform_text = true; }
TPlatformTextDrawingScope::~TPlatformTextDrawingScope() { t_in_platform_text = outer_; }
