#pragma once
// Which SIMD instruction sets the pixel and codec kernels may use.
//
// Every kernel has a portable scalar version (the reference) and optional
// variants for wider instruction sets, compiled with per-function target
// attributes (the 32-bit Windows build has no SSE2 baseline). A kernel picks
// its variant from ActiveSimdLevel() each time it is chosen, so a limit set
// by a test or a benchmark takes effect at once:
//
//   TSimdLevelLimit scalar_only(TSimdLevel::Scalar);   // compare against the reference
//   ...                                                // limit lifted at scope end

#include <cstdint>

enum class TSimdLevel : uint8_t {
  Scalar,  // portable C++ only
  Sse2,
  Ssse3,
  Sse41,
  Avx2,    // with the operating system saving the wide registers
};

// The highest level the processor and the operating system support; detected once.
TSimdLevel DetectedSimdLevel();

// min(detected, limit): what kernels use now.
TSimdLevel ActiveSimdLevel();

// Caps the level kernels may use (Avx2 = no cap). Process-wide; meant for
// tests and benchmarks, set while no kernel runs on another thread.
void SetSimdLevelLimit(TSimdLevel limit);
TSimdLevel SimdLevelLimit();

// Sets a limit for a scope and puts the previous one back.
class [[nodiscard]] TSimdLevelLimit {
 public:
  explicit TSimdLevelLimit(TSimdLevel limit) : previous_(SimdLevelLimit()) { SetSimdLevelLimit(limit); }
  ~TSimdLevelLimit() { SetSimdLevelLimit(previous_); }
  TSimdLevelLimit(const TSimdLevelLimit&) = delete;
  TSimdLevelLimit& operator=(const TSimdLevelLimit&) = delete;

 private:
  TSimdLevel previous_;
};

// Names for test output: "scalar", "sse2", "ssse3", "sse4.1", "avx2".
const char* SimdLevelName(TSimdLevel level);
