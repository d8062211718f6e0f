#include <gtest/gtest.h>

#include "platform/virtual/manual_clock.h"
#include "platform/virtual/scripted_input.h"

namespace zumbrik {
namespace {

TEST(ScriptedInputTest, PeekKeepsTheRecordUntilAFlush) {
    ManualClock clock;
    ScriptedInput input(clock);
    input.KeyDown(kVkLeft);
    input.KeyUp(kVkLeft);
    InputRecord r{};
    ASSERT_TRUE(input.PeekConsoleInputW(&r));
    ASSERT_TRUE(input.PeekConsoleInputW(&r));
    EXPECT_EQ(r.Event.KeyEvent.wVirtualKeyCode, kVkLeft);
    EXPECT_EQ(r.Event.KeyEvent.bKeyDown, 1);
    EXPECT_EQ(input.Pending(), 2u);
    input.FlushConsoleInputBuffer();
    EXPECT_FALSE(input.PeekConsoleInputW(&r));
}

TEST(ScriptedInputTest, WaitingPassesVirtualTimeUntilAScheduledKey) {
    ManualClock clock;
    ScriptedInput input(clock);
    input.KeyDownAt(300, kVkReturn);
    EXPECT_FALSE(input.WaitForInput(100));
    EXPECT_EQ(clock.NowMs(), 100u);
    EXPECT_TRUE(input.WaitForInput(1000));
    EXPECT_EQ(clock.NowMs(), 300u);
}

}  // namespace
}  // namespace zumbrik
