#include "runtime/clock.h"

#include <gtest/gtest.h>

namespace dfx {
namespace {

TEST(Clock, VirtualSleepAdvancesTheTickAtOnce) {
  UseVirtualClock(0xFFFFFFF0u);
  EXPECT_EQ(TickCount(), 0xFFFFFFF0u);
  SleepMs(120);
  // The tick count wraps like the platform's 32-bit counter.
  EXPECT_EQ(TickCount(), 0xFFFFFFF0u + 120u);
  UseRealClock();
  EXPECT_FALSE(UsingVirtualClock());
  uint32_t before = TickCount();
  SleepMs(15);
  EXPECT_GE(TickCount() - before, 14u);
}

}  // namespace
}  // namespace dfx
