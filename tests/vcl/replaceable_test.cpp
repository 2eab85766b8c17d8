#include "vcl/replaceable.h"

#include <gtest/gtest.h>

#include "vcl/colors.h"

namespace {

TColor Purple(TColor) { return clPurple; }
TColor Teal(TColor) { return clTeal; }

// Restores the slot whatever the test's outcome.
struct SlotGuard {
  ~SlotGuard() { ColorToRGBSlot.Restore(); }
};

TEST(ReplaceableSlot, HoldsTheFrameworkFunctionUntilReplaced) {
  EXPECT_FALSE(ColorToRGBSlot.Replaced());
  EXPECT_EQ(ColorToRGBSlot.Current(), &DefaultColorToRGB);
  EXPECT_EQ(ColorToRGB(clRed), clRed);
}

TEST(ReplaceableSlot, ReplaceRefuseAndRestore) {
  SlotGuard guard;
  ASSERT_TRUE(ColorToRGBSlot.Replace(&Purple));
  EXPECT_TRUE(ColorToRGBSlot.Replaced());
  // The framework's public function goes through the slot.
  EXPECT_EQ(ColorToRGB(clRed), clPurple);
  EXPECT_EQ(ColorToRGBSlot.Original()(clRed), clRed);

  // A second replacement is refused and changes nothing.
  EXPECT_FALSE(ColorToRGBSlot.Replace(&Teal));
  EXPECT_EQ(ColorToRGB(clRed), clPurple);

  ColorToRGBSlot.Restore();
  EXPECT_FALSE(ColorToRGBSlot.Replaced());
  EXPECT_EQ(ColorToRGB(clRed), clRed);
  // After the restore a new replacement is accepted again.
  EXPECT_TRUE(ColorToRGBSlot.Replace(&Teal));
  EXPECT_EQ(ColorToRGB(clRed), clTeal);
}

TEST(ReplaceableSlot, NullReplacementIsRefused) {
  EXPECT_FALSE(ColorToRGBSlot.Replace(nullptr));
  EXPECT_FALSE(ColorToRGBSlot.Replaced());
}

TEST(ReplaceableSlot, IdentifierSlotsReachStreaming) {
  // A replaced IdentToColor is what the colour property type uses.
  struct Guard {
    ~Guard() { IdentToColorSlot.Restore(); }
  } guard;
  ASSERT_TRUE(IdentToColorSlot.Replace([](StringView ident, int32_t& value) {
    if (ident != u"skinAccent") return false;
    value = 0x00ABCDEF;
    return true;
  }));
  int32_t value = 0;
  ASSERT_NE(FindIdentToInt(ColorTypeInfo()), nullptr);
  EXPECT_TRUE(FindIdentToInt(ColorTypeInfo())(u"skinAccent", value));
  EXPECT_EQ(value, 0x00ABCDEF);
  EXPECT_FALSE(FindIdentToInt(ColorTypeInfo())(u"clRed", value));
}

}  // namespace
