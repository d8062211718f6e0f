#include <gtest/gtest.h>

#include <string>

#include "game/line_clearing.h"
#include "platform/memory_console/memory_console.h"
#include "platform/virtual/manual_clock.h"

namespace zumbrik {
namespace {

std::u16string TextAt(const ScreenBuffer& s, int column, int row, int length) {
    std::u16string text;
    for (int k = 0; k < length; ++k) text.push_back(s.At(column + k, row).character);
    return text;
}

class LineClearingTest : public ::testing::Test {
protected:
    LineClearingTest() : buffer{console, console.CreateConsoleScreenBuffer()} { FillLevelThresholds(thresholds); }
    const ScreenBuffer& Screen() { return *console.Buffer(buffer.handle); }
    void FillRow(int y) {
        for (int x = 26; x <= 49; ++x) well.Set(x, y, 1);
    }
    void Paint(int x, int y, char16_t ch, ColourAttribute attribute) {
        const Coord at{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)};
        console.WriteConsoleOutputCharacterW(buffer.handle, &ch, 1, at);
        console.WriteConsoleOutputAttribute(buffer.handle, &attribute, 1, at);
    }

    MemoryConsole console;
    ConsoleBuffer buffer;
    ManualClock clock;
    Well well{};
    LevelThresholds thresholds{};
    ScoreState progress{};
};

TEST_F(LineClearingTest, OneRowFromANewGame) {
    FillRow(28);
    well.Set(40, 27, 1);
    Paint(40, 27, u'.', 0xD0);
    // Row 0 is the frame on the game screen; nothing of it may come down.
    for (int x = 26; x <= 49; ++x) Paint(x, 0, u' ', 0x60);
    ClearRowsAndScore(buffer, clock, well, progress, thresholds);
    for (int x = 26; x <= 49; ++x) EXPECT_NE(Screen().At(x, 1).attribute, 0x60) << x;
    EXPECT_EQ(progress.score, 100u);
    EXPECT_EQ(progress.levelIndex, 1u);
    EXPECT_EQ(progress.baseSpeed, 20u);
    EXPECT_EQ(TextAt(Screen(), 52, 6, 9), u"СЧЁТ: 100");
    EXPECT_EQ(TextAt(Screen(), 52, 8, 12), u"СЛОЖНОСТЬ: 2");
    EXPECT_EQ(TextAt(Screen(), 52, 10, 22), u"До следующей: 200     ");
    // The row above came down with its character and colour.
    EXPECT_EQ(well.At(40, 28), 1);
    EXPECT_EQ(well.At(40, 27), 0);
    EXPECT_EQ(Screen().At(40, 28).character, u'.');
    EXPECT_EQ(Screen().At(40, 28).attribute, 0xD0);
    EXPECT_EQ(clock.NowMs(), 200u);
}

TEST_F(LineClearingTest, FullRowsAreClearedTopFirstAroundARowThatStays) {
    FillRow(26);
    FillRow(28);
    for (int x = 26; x <= 40; ++x) well.Set(x, 27, 1);
    std::vector<int> flashedRows;
    clock.OnEverySleep([&](std::uint32_t) {
        for (int y = 1; y <= 28; ++y)
            if (Screen().At(26, y).attribute == 0xF0) flashedRows.push_back(y);
    });
    ClearRowsAndScore(buffer, clock, well, progress, thresholds);
    // Row 26 flashes first; row 28 has not moved by then.
    EXPECT_EQ(flashedRows, (std::vector<int>{26, 28}));
    EXPECT_EQ(progress.score, 100u + 2 * 2 * 100u);
    for (int x = 26; x <= 49; ++x) EXPECT_EQ(well.At(x, 28), x <= 40 ? 1 : 0) << x;
    for (int y = 1; y <= 27; ++y)
        for (int x = 26; x <= 49; ++x) ASSERT_EQ(well.At(x, y), 0);
}

TEST_F(LineClearingTest, TheTopLevelIsNeverPassed) {
    progress = ScoreState{299000, 18, 3};
    FillRow(28);
    ClearRowsAndScore(buffer, clock, well, progress, thresholds);
    EXPECT_EQ(progress.score, 299700u);
    EXPECT_EQ(progress.levelIndex, 18u);
    FillRow(28);
    ClearRowsAndScore(buffer, clock, well, progress, thresholds);
    EXPECT_EQ(progress.levelIndex, 19u);
    EXPECT_EQ(progress.baseSpeed, 2u);
    EXPECT_EQ(TextAt(Screen(), 52, 8, 13), u"СЛОЖНОСТЬ: 20");
    EXPECT_EQ(TextAt(Screen(), 52, 10, 26), u"Сложность максимальна     ");
    for (int k = 0; k < 3; ++k) {
        FillRow(28);
        ClearRowsAndScore(buffer, clock, well, progress, thresholds);
    }
    EXPECT_EQ(progress.levelIndex, 19u);
    EXPECT_EQ(progress.score, 300400u + 3 * 800u);
}

TEST(ScoringTest, AwardGrowsWithTheRowOfTheCascadeAndTheLevel) {
    EXPECT_EQ(RowAward(21, 1), 100u);
    EXPECT_EQ(RowAward(18, 4), 800u);
    EXPECT_EQ(RowAward(12, 1), 400u);
    EXPECT_EQ(RowAward(2, 3), 2400u);
    LevelThresholds t{};
    FillLevelThresholds(t);
    EXPECT_EQ(t[0], 100u);
    EXPECT_EQ(t[5], 2500u);
    EXPECT_EQ(t[18], 300000u);
    EXPECT_EQ(t[19], 0u);
}

}  // namespace
}  // namespace zumbrik
