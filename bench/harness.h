#pragma once
// A small timing harness shared by the benchmarks: best-of-N wall time of a
// callable, and one printed row per measurement with its ratio to a reference.

#include <chrono>
#include <cstdio>
#include <string>

namespace bench {

// Fastest of `repeats` runs of `work`, in seconds. The best run is the one
// least disturbed by the rest of the machine.
template <class Work>
double BestSeconds(Work&& work, int repeats = 5) {
  double best = 1e300;
  for (int i = 0; i < repeats; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (took.count() < best) best = took.count();
  }
  return best;
}

inline void PrintHeader(const char* title) {
  std::printf("\n%s\n%-44s %12s %10s\n", title, "case", "ms", "ratio");
}

// ratio = seconds / reference_seconds: below 1.0 means faster than the reference.
inline void PrintRow(const std::string& name, double seconds, double reference_seconds) {
  std::printf("%-44s %12.3f %10.3f\n", name.c_str(), seconds * 1e3, seconds / reference_seconds);
}

}  // namespace bench
