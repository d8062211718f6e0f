#include <gtest/gtest.h>

#include "console/well_effects.h"
#include "platform/virtual/manual_clock.h"
#include "tests/console/console_fixture.h"

namespace zumbrik::testing {
namespace {

using WellEffectsTest = ConsoleFixture;

TEST_F(WellEffectsTest, RowFlashIsWhiteForItsSleepThenBlack) {
    Paint(30, 12, u'.', 0xD0);
    ManualClock clock;
    bool whileFlashing = false;
    clock.OnEverySleep([&](std::uint32_t ms) {
        EXPECT_EQ(ms, 200u);
        whileFlashing = AttributeRun(26, 12, 24, 0xF0) && TextAt(26, 12, 24) == std::u16string(24, u' ');
    });
    RowFlash(buffer, clock, 12);
    EXPECT_TRUE(whileFlashing);
    EXPECT_TRUE(AttributeRun(26, 12, 24, 0));
    EXPECT_EQ(TextAt(26, 12, 24), std::u16string(24, u' '));
    // Only the well's cells of that row.
    EXPECT_EQ(Screen().At(25, 12).attribute, ScreenBuffer::kDefaultAttribute);
    EXPECT_EQ(Screen().At(50, 12).attribute, ScreenBuffer::kDefaultAttribute);
    EXPECT_EQ(clock.NowMs(), 200u);
}

TEST_F(WellEffectsTest, ScreenRowCopyMovesCharacterAndColourOneRowDown) {
    Paint(33, 9, u'.', 0xA0);
    ScreenRowCopy(buffer, 7, 10);
    EXPECT_EQ(TextAt(33, 10, 1), u".");
    EXPECT_EQ(Screen().At(33, 10).attribute, 0xA0);
    EXPECT_EQ(Screen().At(33, 9).attribute, 0xA0);
}

TEST_F(WellEffectsTest, ClearWellAreaBlanksExactlyTheWell) {
    for (int row = 0; row < 30; ++row)
        for (int c = 0; c < 80; ++c) Paint(c, row, u'x', 0x55);
    ClearWellArea(buffer);
    for (int row = 0; row < 30; ++row)
        for (int c = 0; c < 80; ++c) {
            const bool inWell = row >= 1 && row <= 28 && c >= 26 && c <= 49;
            EXPECT_EQ(Screen().At(c, row).attribute, inWell ? 0 : 0x55) << c << "," << row;
            EXPECT_EQ(Screen().At(c, row).character, inWell ? u' ' : u'x') << c << "," << row;
        }
}

}  // namespace
}  // namespace zumbrik::testing
