#include <gtest/gtest.h>

#include <vector>

#include "platform/virtual/manual_clock.h"

namespace zumbrik {
namespace {

TEST(ManualClockTest, SleepRunsScheduledActionsInTimeOrder) {
    ManualClock clock;
    std::vector<int> seen;
    clock.At(50, [&] { seen.push_back(2); });
    clock.At(20, [&] { seen.push_back(1); });
    clock.Sleep(20);
    EXPECT_EQ(seen, std::vector<int>{1});
    clock.Sleep(20);
    EXPECT_EQ(seen, std::vector<int>{1});
    clock.Sleep(20);
    EXPECT_EQ(seen, (std::vector<int>{1, 2}));
    EXPECT_EQ(clock.NowMs(), 60u);
    EXPECT_EQ(clock.SleepCount(), 3u);
}

TEST(ManualClockTest, TimeLimitEndsARunawayScript) {
    ManualClock clock;
    clock.SetTimeLimit(100);
    clock.Sleep(100);
    EXPECT_THROW(clock.Sleep(1), ManualClock::TimeLimitExceeded);
}

}  // namespace
}  // namespace zumbrik
