#include "rtl/cpu_features.h"

#include <gtest/gtest.h>

TEST(CpuFeatures, LimitCapsTheActiveLevelForAScope) {
  const TSimdLevel detected = DetectedSimdLevel();
#if defined(__x86_64__)
  EXPECT_GE(detected, TSimdLevel::Sse2) << "every x86-64 processor has SSE2";
#endif
  EXPECT_EQ(ActiveSimdLevel(), detected);
  {
    TSimdLevelLimit scalar_only(TSimdLevel::Scalar);
    EXPECT_EQ(ActiveSimdLevel(), TSimdLevel::Scalar);
    {
      TSimdLevelLimit wider(TSimdLevel::Avx2);
      EXPECT_EQ(ActiveSimdLevel(), detected) << "a limit never raises the level above what was detected";
    }
    EXPECT_EQ(ActiveSimdLevel(), TSimdLevel::Scalar);
  }
  EXPECT_EQ(ActiveSimdLevel(), detected);
  EXPECT_STREQ(SimdLevelName(TSimdLevel::Sse41), "sse4.1");
}
