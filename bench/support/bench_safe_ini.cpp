// Writes of many keys into one INI section: TSafeIniFile keeps its hashes
// valid across appends and replacements, so n writes cost about n hash
// updates; TMemIniFile (the reference) drops the section's hashes on every
// write and rebuilds them on the next lookup, so n writes cost about n
// rebuilds of a growing list. Printed: the time of n writes for growing n,
// and the ratio to the reference.

#include <cstdint>
#include <string>

#include "bench/harness.h"
#include "engine/support/safe_ini_file.h"
#include "rtl/numbers.h"

namespace {

template <class Ini>
void WriteKeys(int32_t count, bool twice) {
  Ini ini;
  for (int pass = 0; pass < (twice ? 2 : 1); ++pass) {
    for (int32_t i = 0; i < count; ++i) ini.WriteString(u"Section", u"key" + IntToStr(i), IntToStr(i + pass));
  }
}

}  // namespace

int main() {
  for (const bool twice : {false, true}) {
    bench::PrintHeader(twice ? "n new keys, then the same n keys replaced (ratio to TMemIniFile)"
                             : "n new keys in one section (ratio to TMemIniFile)");
    for (const int32_t count : {500, 1000, 2000, 4000}) {
      const double reference = bench::BestSeconds([&] { WriteKeys<TMemIniFile>(count, twice); }, 3);
      const double safe = bench::BestSeconds([&] { WriteKeys<TSafeIniFile>(count, twice); }, 3);
      bench::PrintRow("TMemIniFile n=" + std::to_string(count), reference, reference);
      bench::PrintRow("TSafeIniFile n=" + std::to_string(count), safe, reference);
    }
  }
  return 0;
}
