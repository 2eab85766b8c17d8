// The test program runs inside the engine's start-up and shut-down, as the
// tool does.

#include <gtest/gtest.h>

#include "engine/engine_startup.h"

namespace {

class TEngineEnvironment : public testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(StartEngine()); }
  void TearDown() override { StopEngine(); }
};

const testing::Environment* const kEngine = testing::AddGlobalTestEnvironment(new TEngineEnvironment);

}  // namespace
