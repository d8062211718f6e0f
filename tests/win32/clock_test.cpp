#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "platform/win32/win32_clock.h"

namespace zumbrik {
namespace {

TEST(Win32ClockTest, TimeOfDayIsUtcAndSleepWaitsAtLeastItsLength) {
    Win32Clock clock;
    const auto before = std::chrono::steady_clock::now();
    clock.Sleep(40);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(35));

    const SystemTime t = clock.GetSystemTime();
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const long long secondsOfDay = std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch).count() % 86400;
    const long long ours = t.wHour * 3600LL + t.wMinute * 60LL + t.wSecond;
    // Allow for a midnight between the two readings.
    const long long apart = std::llabs(secondsOfDay - ours);
    EXPECT_TRUE(apart <= 2 || apart >= 86398) << ours << " vs " << secondsOfDay;
    EXPECT_GE(t.wYear, 2024);
    EXPECT_LT(t.wMilliseconds, 1000);
}

}  // namespace
}  // namespace zumbrik
