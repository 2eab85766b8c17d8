// The colour model's read paths: ns per ColorToRGB and per IdentToColor for
// each kind of colour, with the heap allocations and mutex locks they make
// (both must be 0). Peers: std::unordered_map<uint32_t, uint32_t>::find of
// the same key for ColorToRGB, and a case-insensitive linear search of the
// 52 standard names (the framework's own IdentToColor) for IdentToColor.

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/harness.h"
#include "engine/style/color_name_key.h"
#include "engine/style/skin_colors.h"

// ---- Counting allocations and mutex locks of this process.

namespace {
std::atomic<long> g_allocations{0};
std::atomic<long> g_locks{0};
}  // namespace

void* operator new(size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex) {
  using Fn = int (*)(pthread_mutex_t*);
  static const Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
  g_locks.fetch_add(1, std::memory_order_relaxed);
  return real(mutex);
}

namespace {

constexpr int kCalls = 1000000;

class TBenchPlatform : public TSkinColorPlatform {
 public:
  TColor SysColor(int32_t index) const override { return 0x00C0C0C0 + index; }
  void DebugOutput(const String&) const override {}
};

// Results go to g_sink and keys pass through g_zero, so that no call is
// optimised away or hoisted out of its loop.
volatile int32_t g_sink = 0;
volatile int32_t g_zero = 0;

struct TCounts {
  long allocations;
  long locks;
};

template <class Work>
TCounts CountsOf(Work&& work) {
  const long a = g_allocations.load(), l = g_locks.load();
  work();
  return {g_allocations.load() - a, g_locks.load() - l};
}

void Row(const std::string& name, double seconds, double reference, const TCounts& counts) {
  std::printf("%-44s %10.2f %10.3f %8ld %8ld\n", name.c_str(), seconds * 1e9 / kCalls, seconds / reference,
              counts.allocations, counts.locks);
}

void Header(const char* title) {
  std::printf("\n%s\n%-44s %10s %10s %8s %8s\n", title, "case", "ns/call", "ratio", "allocs", "locks");
}

bool SameTextAscii(StringView a, StringView b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'a' && x <= u'z') x = char16_t(x - 32);
    if (y >= u'a' && y <= u'z') y = char16_t(y - 32);
    if (x != y) return false;
  }
  return true;
}

// The framework's way: the standard names, one after the other.
bool LinearIdentToColor(StringView ident, int32_t& color) {
  for (const TIdentMapEntry& e : StandardColors()) {
    if (SameTextAscii(ident, e.Name)) {
      color = e.Value;
      return true;
    }
  }
  return false;
}

}  // namespace

int main() {
  TBenchPlatform platform;
  TSkinColors colors(platform);
  colors.MergeVclColor();
  auto accent = std::make_unique<TRccColorItem>();
  accent->Name = u"Accent";
  accent->State = 1;
  accent->RGB = 0x80336699;
  accent->Value = int32_t(NameKey(u"Accent"));
  colors.PutItem(std::move(accent));
  int32_t unresolved = 0;
  colors.IdentToColor(u"PanelGlow", unresolved);

  // The peer map holds the same keys as the table.
  std::unordered_map<uint32_t, uint32_t> peer;
  for (const TIdentMapEntry& e : StandardColors()) {
    peer[uint32_t(e.Value)] = uint32_t(e.Value);
    peer[NameKey(e.Name)] = uint32_t(e.Value);
  }
  peer[NameKey(u"Accent")] = 0x80336699;
  peer[uint32_t(unresolved)] = 0xE6;

  const struct {
    const char* name;
    TColor value;
  } to_rgb[] = {
      {"plain RGB", 0x00336699},
      {"RGB with alpha", TColor(0x80336699)},
      {"clNone", clNone},
      {"system colour (clBtnFace)", clBtnFace},
      {"resolved skin colour", TColor(NameKey(u"Accent"))},
      {"standard colour by name key", TColor(NameKey(u"clRed"))},
      {"unresolved name", unresolved},
      {"reference missing from the table", TColor(0xFF123456)},
  };
  Header("ColorToRGB (reference: unordered_map::find of the key)");
  for (const auto& c : to_rgb) {
    const uint32_t key = uint32_t(c.value);
    const double reference = bench::BestSeconds([&] {
      for (int i = 0; i < kCalls; ++i) {
        auto it = peer.find(key + uint32_t(g_zero));
        g_sink = it == peer.end() ? 0 : int32_t(it->second);
      }
    });
    auto work = [&] {
      for (int i = 0; i < kCalls; ++i) g_sink = colors.ColorToRGB(c.value + g_zero);
    };
    const double seconds = bench::BestSeconds(work);
    Row(c.name, seconds, reference, CountsOf(work));
  }

  const struct {
    const char* name;
    const char16_t* text;
  } to_color[] = {
      {"standard name (clBtnFace)", u"clBtnFace"},
      {"standard name, other case (CLWINDOWTEXT)", u"CLWINDOWTEXT"},
      {"integer text ($00336699)", u"$00336699"},
      {"resolved skin colour name (Accent)", u"Accent"},
      {"unresolved name, known (PanelGlow)", u"PanelGlow"},
  };
  Header("IdentToColor (reference: linear search of the 52 standard names)");
  const double linear = bench::BestSeconds([&] {
    for (int i = 0; i < kCalls; ++i) {
      int32_t v = 0;
      LinearIdentToColor(StringView(u"clWindowText").substr(size_t(g_zero)), v);
      g_sink = v;
    }
  });
  for (const auto& c : to_color) {
    const StringView text(c.text);
    auto work = [&] {
      for (int i = 0; i < kCalls; ++i) {
        int32_t v = 0;
        colors.IdentToColor(text.substr(size_t(g_zero)), v);
        g_sink = v;
      }
    };
    const double seconds = bench::BestSeconds(work);
    Row(c.name, seconds, linear, CountsOf(work));
  }
  std::printf("\n(reference of the IdentToColor block: clWindowText, the 52nd name, %.2f ns/call)\n",
              linear * 1e9 / kCalls);
  return 0;
}
