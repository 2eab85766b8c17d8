#include "rtl/cpu_features.h"

#include <algorithm>
#include <atomic>

namespace {

TSimdLevel Detect() {
#if defined(__x86_64__) || defined(__i386__)
  // The compiler's run-time check also asks the operating system whether it
  // saves the AVX registers, so Avx2 is only reported where it is usable.
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return TSimdLevel::Avx2;
  if (__builtin_cpu_supports("sse4.1")) return TSimdLevel::Sse41;
  if (__builtin_cpu_supports("ssse3")) return TSimdLevel::Ssse3;
  if (__builtin_cpu_supports("sse2")) return TSimdLevel::Sse2;
#endif
  return TSimdLevel::Scalar;
}

std::atomic<TSimdLevel> g_limit{TSimdLevel::Avx2};

}  // namespace

TSimdLevel DetectedSimdLevel() {
  static const TSimdLevel detected = Detect();
  return detected;
}

TSimdLevel ActiveSimdLevel() {
  return std::min(DetectedSimdLevel(), g_limit.load(std::memory_order_relaxed));
}

void SetSimdLevelLimit(TSimdLevel limit) { g_limit.store(limit, std::memory_order_relaxed); }

TSimdLevel SimdLevelLimit() { return g_limit.load(std::memory_order_relaxed); }

const char* SimdLevelName(TSimdLevel level) {
  switch (level) {
    case TSimdLevel::Scalar: return "scalar";
    case TSimdLevel::Sse2: return "sse2";
    case TSimdLevel::Ssse3: return "ssse3";
    case TSimdLevel::Sse41: return "sse4.1";
    case TSimdLevel::Avx2: return "avx2";
  }
  return "?";
}
