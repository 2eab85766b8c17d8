#include <windows.h>

#include <algorithm>
#include <climits>

#include "rtl/case_mapping.h"

namespace {

// The invariant locale, not the user's: a Turkish user gets the same keys as
// everyone else. LCMapStringW (rather than LCMapStringEx) exists on every
// Windows version the program runs on.
void MapText(DWORD flag, StringView source, char16_t* dest) {
  // A call takes at most INT_MAX code units; a piece never ends between the
  // two halves of a surrogate pair.
  while (!source.empty()) {
    size_t count = std::min<size_t>(source.size(), INT_MAX);
    if (count < source.size() && source[count - 1] >= 0xD800 && source[count - 1] <= 0xDBFF) --count;
    const auto* in = reinterpret_cast<const wchar_t*>(source.data());
    auto* out = reinterpret_cast<wchar_t*>(dest);
    // Fails only for arguments a caller cannot pass here; the text then stays.
    if (LCMapStringW(LOCALE_INVARIANT, flag, in, int(count), out, int(count)) != int(count)) {
      std::copy_n(source.data(), count, dest);
    }
    source.remove_prefix(count);
    dest += count;
  }
}

}  // namespace

void SystemUpperCase(StringView source, char16_t* dest) { MapText(LCMAP_UPPERCASE, source, dest); }
void SystemLowerCase(StringView source, char16_t* dest) { MapText(LCMAP_LOWERCASE, source, dest); }
