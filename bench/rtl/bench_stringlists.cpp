// Look-ups in string lists and writes into an in-memory INI file.
//
// Reference for look-ups: the plain TStringList's linear IndexOfName, the
// path a THashedStringList replaces. Reference for INI writes: n writes of
// distinct keys into an INI of 1000 keys; the ratios show how the cost grows
// with n (each write of a new key invalidates the name hash, so the next
// write rebuilds it: the plain TMemIniFile grows quadratically).

#include <cstdio>

#include "bench/harness.h"
#include "rtl/hashed_stringlist.h"
#include "rtl/inifiles.h"
#include "rtl/numbers.h"

namespace {

template <class List>
void Fill(List& list, int n) {
  for (int i = 0; i < n; ++i) list.Add(u"Key" + IntToStr(i) + u"=value" + IntToStr(i));
}

template <class List>
double LookUpAll(List& list, int n) {
  volatile int32_t sink = 0;
  return bench::BestSeconds([&] {
    for (int i = 0; i < n; ++i) sink = sink + list.IndexOfName(u"KEY" + IntToStr(i));
  });
}

double IniWrites(int n) {
  return bench::BestSeconds(
      [&] {
        TMemIniFile ini;
        for (int i = 0; i < n; ++i) ini.WriteString(u"Section", u"Key" + IntToStr(i), u"v");
      },
      3);
}

}  // namespace

int main() {
  const int n = 4000;
  TStringList plain;
  THashedStringList hashed;
  Fill(plain, n);
  Fill(hashed, n);
  const double linear = LookUpAll(plain, n);
  bench::PrintHeader("IndexOfName of every key, 4000 name=value lines (ignoring case)");
  bench::PrintRow("TStringList (linear scan, reference)", linear, linear);
  bench::PrintRow("THashedStringList (name hash)", LookUpAll(hashed, n), linear);

  bench::PrintHeader("TMemIniFile: n writes of new keys into one section");
  double base = 0;
  for (int count : {1000, 2000, 4000}) {
    const double seconds = IniWrites(count);
    if (base == 0) base = seconds;
    char name[64];
    std::snprintf(name, sizeof name, "n = %d (reference n = 1000)", count);
    bench::PrintRow(name, seconds, base);
  }
  return 0;
}
