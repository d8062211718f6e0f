#include <gtest/gtest.h>

#include "console/screen_layout.h"
#include "tests/game/game_run.h"

namespace zumbrik::testing {
namespace {

constexpr ColourAttribute kFrame = 0x60;

void ExpectText(const ScreenBuffer& s, int column, int row, const std::u16string& text, ColourAttribute attribute) {
    EXPECT_EQ(TextAt(s, column, row, static_cast<int>(text.size())), text) << "at " << column << "," << row;
    EXPECT_TRUE(AttributeRun(s, column, row, static_cast<int>(text.size()), attribute)) << "at " << column << "," << row;
}

TEST(StartScreenTest, EveryFixedElementStandsWhereAndHowItShould) {
    GameRun run;
    bool checked = false;
    run.AfterPass(1, [&] {
        checked = true;
        const ScreenBuffer& s = run.Screen();
        EXPECT_EQ(run.console.Title(), u"Console Zumbrik 1.0");
        EXPECT_FALSE(run.console.StandardOutputActive());
        EXPECT_EQ(run.console.OpenBuffers(), 3u);
        EXPECT_FALSE(s.CursorVisible());
        EXPECT_EQ(s.Width(), 80);
        EXPECT_EQ(s.Height(), 30);
        ASSERT_EQ(run.console.WindowMoves().size(), 1u);
        EXPECT_EQ(run.console.WindowMoves()[0].right - run.console.WindowMoves()[0].left, 1000);
        EXPECT_EQ(run.console.WindowMoves()[0].bottom - run.console.WindowMoves()[0].top, 1000);

        // Frame: full top and bottom rows, four columns, the divider; corners and joints included.
        for (int c = 0; c < 80; ++c) {
            for (int row : {0, 29}) {
                EXPECT_EQ(s.At(c, row).character, u' ');
                EXPECT_EQ(s.At(c, row).attribute, kFrame) << c << "," << row;
            }
        }
        for (int row = 1; row < 29; ++row)
            for (int c : {0, 25, 50, 79}) {
                EXPECT_EQ(s.At(c, row).character, u' ');
                EXPECT_EQ(s.At(c, row).attribute, kFrame) << c << "," << row;
            }
        EXPECT_TRUE(AttributeRun(s, 50, 4, 30, kFrame));
        EXPECT_NE(s.At(51, 3).attribute, kFrame);
        EXPECT_NE(s.At(78, 5).attribute, kFrame);

        const std::u16string header = TextAt(s, 56, 2, 23);
        EXPECT_EQ(header.substr(0, 11), u"ЗУМБРИК 1.0");
        EXPECT_LE(std::u16string(kHeaderText).size(), 23u);
        ExpectText(s, 56, 2, kHeaderText, 0x0E);
        ExpectText(s, 52, 6, u"СЧЁТ: 0              ", 0x0B);
        ExpectText(s, 52, 8, u"СЛОЖНОСТЬ: 1            ", 0x0B);
        ExpectText(s, 52, 10, u"До следующей: 100     ", 0x09);
        ExpectText(s, 52, 20, u"Далее:", 0x0E);
        ExpectText(s, 52, 25, u"F   - сменить рисование", 0x0E);
        ExpectText(s, 52, 26, u"P   - пауза", 0x0E);
        ExpectText(s, 52, 27, u"M   - музыка вкл/выкл", 0x0E);
        ExpectText(s, 52, 28, u"ESC - выход", 0x0E);
        // No game-over text at start.
        EXPECT_EQ(TextAt(s, 52, 15, 15), std::u16string(15, u' '));

        // The digits view of the empty well.
        for (int row = 1; row <= 28; ++row) ExpectText(s, 1, row, std::u16string(24, u'0'), 0x07);

        // The preview shows the next shape (an L) unturned at (62, 19).
        for (auto [c, r] : {std::pair{62, 19}, {62, 20}, {62, 21}, {63, 21}}) EXPECT_EQ(s.At(c, r).attribute, 0xE0);
        EXPECT_NE(s.At(63, 19).attribute, 0xE0);

        // The first piece, an L turned once (### over #..), at the spawn point,
        // with its guide on the floor row under its whole box.
        for (auto [c, r] : {std::pair{37, 1}, {38, 1}, {39, 1}, {37, 2}}) {
            EXPECT_EQ(s.At(c, r).attribute, 0xE0) << c << "," << r;
            EXPECT_EQ(s.At(c, r).character, u' ');
        }
        ExpectText(s, 37, 28, u"+++", 0x0E);
        EXPECT_NE(s.At(36, 28).character, u'+');
    });
    run.KeyAfterPass(1, kVkEscape);
    EXPECT_EQ(run.Run(), 0);
    EXPECT_TRUE(checked);
}

TEST(StartScreenTest, QuitRestoresTheStandardOutputAndClosesBothBuffers) {
    GameRun run;
    run.KeyAfterPass(3, kVkEscape);
    EXPECT_EQ(run.Run(), 0);
    EXPECT_TRUE(run.console.StandardOutputActive());
    EXPECT_EQ(run.console.OpenBuffers(), 1u);
    // Escape quits in the pass that reads it, before that pass sleeps.
    EXPECT_EQ(run.Passes(), 3u);
}

}  // namespace
}  // namespace zumbrik::testing
