#pragma once
// Per-function instruction-set attributes for the vector variants. The build
// itself never raises the baseline (the 32-bit Windows build must run on
// processors without SSE2); each variant is entered only after
// ActiveSimdLevel() said that its instructions exist.

#if defined(__x86_64__) || defined(__i386__)
#define RD_PIXELS_X86 1
#define RD_TARGET_SSE2 __attribute__((target("sse2")))
#define RD_TARGET_SSSE3 __attribute__((target("ssse3")))
#define RD_TARGET_AVX2 __attribute__((target("avx2")))
#else
#define RD_PIXELS_X86 0
#endif
