#include <gtest/gtest.h>

#include "console/panel_text.h"
#include "tests/console/console_fixture.h"

namespace zumbrik::testing {
namespace {

using PanelTextTest = ConsoleFixture;

TEST_F(PanelTextTest, ScoreZeroWipesALongerScore) {
    ShowScore(buffer, 4294967295u);
    EXPECT_EQ(TextAt(52, 6, 16), u"СЧЁТ: 4294967295");
    EXPECT_TRUE(AttributeRun(52, 6, 16, 0x0B));
    EXPECT_EQ(Screen().At(68, 6).attribute, ScreenBuffer::kDefaultAttribute);
    ShowScore(buffer, 0);
    EXPECT_EQ(TextAt(52, 6, 21), u"СЧЁТ: 0              ");
    EXPECT_TRUE(AttributeRun(52, 6, 21, 0x0B));
}

TEST_F(PanelTextTest, LevelLinesFromTheTopLevelBackToTheFirst) {
    ShowLevel(buffer, 18, 300000);
    EXPECT_EQ(TextAt(52, 8, 13), u"СЛОЖНОСТЬ: 19");
    EXPECT_EQ(TextAt(52, 10, 25), u"До следующей: 300000     ");
    ShowLevel(buffer, 19, 0);
    EXPECT_EQ(TextAt(52, 8, 13), u"СЛОЖНОСТЬ: 20");
    EXPECT_EQ(TextAt(52, 10, 26), u"Сложность максимальна     ");
    EXPECT_TRUE(AttributeRun(52, 10, 26, 0x09));
    EXPECT_TRUE(AttributeRun(52, 8, 13, 0x0B));
    // A new game: no stray digits or letters left in either line.
    ShowLevel(buffer, 18, 300000);
    ShowLevel(buffer, 0, 100);
    EXPECT_EQ(TextAt(52, 8, 24), u"СЛОЖНОСТЬ: 1            ");
    EXPECT_EQ(TextAt(52, 10, 25), u"До следующей: 100        ");
}

TEST_F(PanelTextTest, GameOverLinesAndTheirWipe) {
    ShowGameOver(buffer);
    EXPECT_EQ(TextAt(52, 15, 15), u"ИГРА ОКОНЧЕНА! ");
    EXPECT_EQ(TextAt(52, 16, 14), u"ENTER - заново");
    EXPECT_TRUE(AttributeRun(52, 15, 15, 0x09));
    EXPECT_TRUE(AttributeRun(52, 16, 14, 0x09));
    WipeGameOver(buffer);
    EXPECT_EQ(TextAt(52, 15, 22), std::u16string(22, u' '));
    EXPECT_EQ(TextAt(52, 16, 22), std::u16string(22, u' '));
    EXPECT_TRUE(AttributeRun(52, 16, 22, 0x09));
}

TEST_F(PanelTextTest, WellDigitsMirrorTheWellRowForRow) {
    Well well{};
    well.Set(26, 1, 1);
    well.Set(49, 28, 1);
    well.Set(30, 0, 1);   // rows 0 and 29 are not shown
    well.Set(30, 29, 1);
    ShowWellDigits(buffer, well);
    EXPECT_EQ(TextAt(1, 1, 24), u"100000000000000000000000");
    EXPECT_EQ(TextAt(1, 28, 24), u"000000000000000000000001");
    for (int row = 2; row <= 27; ++row) EXPECT_EQ(TextAt(1, row, 24), std::u16string(24, u'0')) << row;
    for (int row = 1; row <= 28; ++row) EXPECT_TRUE(AttributeRun(1, row, 24, 0x07)) << row;
    EXPECT_EQ(TextAt(0, 0, 26), std::u16string(26, u' '));
    EXPECT_EQ(TextAt(0, 29, 26), std::u16string(26, u' '));
    EXPECT_EQ(Screen().At(25, 5).attribute, ScreenBuffer::kDefaultAttribute);
}

}  // namespace
}  // namespace zumbrik::testing
