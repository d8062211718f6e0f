#include <gtest/gtest.h>

#include "player/module_player.h"
#include "tests/game/game_run.h"

namespace zumbrik::testing {
namespace {

constexpr char16_t kGameOverLine[] = u"ИГРА ОКОНЧЕНА! ";
constexpr char16_t kGameOverHint[] = u"ENTER - заново";

bool GameOverShown(const ScreenBuffer& s) { return TextAt(s, 52, 15, 15) == kGameOverLine; }

// Drops pieces straight down (Down every third pass) until the stack in the
// middle reaches the top; then runs `atGameOver` once.
void StackUntilGameOver(GameRun& run, std::function<void()> atGameOver) {
    auto over = std::make_shared<bool>(false);
    run.everyPass = [&run, over, atGameOver](std::uint64_t pass) {
        if (*over) return;
        if (GameOverShown(run.Screen())) {
            *over = true;
            atGameOver();
            return;
        }
        if (pass % 3 == 1) run.script.KeyDown(kVkDown);
    };
}

TEST(GameOverTest, ALockInTheTopRowEndsTheGameAndEnterStartsAFreshOne) {
    GameRun run;
    ColourAttribute previewAttribute = 0;
    std::u16string scoreAtGameOver;
    std::uint64_t gameOverPass = 0;
    StackUntilGameOver(run, [&] {
        const ScreenBuffer& s = run.Screen();
        gameOverPass = run.Passes();
        EXPECT_TRUE(GameOverShown(s));
        EXPECT_EQ(TextAt(s, 52, 16, 14), kGameOverHint);
        EXPECT_TRUE(AttributeRun(s, 52, 15, 15, 0x09));
        EXPECT_TRUE(AttributeRun(s, 52, 16, 14, 0x09));
        // The piece that ended the game is in the well and in the digits.
        EXPECT_NE(TextAt(s, 1, 1, 24).find(u'1'), std::u16string::npos);
        EXPECT_NE(s.At(37, 1).attribute, 0);
        // The preview's colour: the one piece colour in its 4 by 4 area.
        for (int row = 19; row <= 22; ++row)
            for (int c = 62; c <= 65; ++c)
                if ((s.At(c, row).attribute & 0xF0) != 0) previewAttribute = s.At(c, row).attribute;
        EXPECT_NE(previewAttribute, 0);
        scoreAtGameOver = TextAt(s, 52, 6, 21);
        // Keys other than Enter and Escape do nothing here; the game waits.
        const std::uint64_t now = run.clock.NowMs();
        run.script.KeyDownAt(now + 200, kVkP);
        run.script.KeyDownAt(now + 400, kVkF);
        run.script.KeyDownAt(now + 600, kVkM);
        run.script.KeyDownAt(now + 800, kVkLeft);
        run.script.KeyDownAt(now + 1000, kVkReturn);
    });
    bool restarted = false;
    // Only set-up has switched buffers: the game buffer became active once.
    const std::uint64_t switchesBefore = 1;
    run.everyPass = [&, inner = run.everyPass](std::uint64_t pass) {
        if (gameOverPass == 0 || pass != gameOverPass + 1) {
            inner(pass);
            return;
        }
        restarted = true;
        const ScreenBuffer& s = run.Screen();
        EXPECT_EQ(run.console.ActiveSwitches(), switchesBefore) << "no pause screen after P in game over";
        EXPECT_FALSE(ModulePaused()) << "M does nothing in game over";
        EXPECT_EQ(TextAt(s, 52, 15, 22), std::u16string(22, u' '));
        EXPECT_EQ(TextAt(s, 52, 16, 22), std::u16string(22, u' '));
        EXPECT_TRUE(AttributeRun(s, 52, 15, 22, 0x09));
        EXPECT_EQ(TextAt(s, 52, 6, 21), u"СЧЁТ: 0              ");
        EXPECT_EQ(TextAt(s, 52, 8, 24), u"СЛОЖНОСТЬ: 1            ");
        EXPECT_EQ(TextAt(s, 52, 10, 22), u"До следующей: 100     ");
        for (int row = 1; row <= 28; ++row) EXPECT_EQ(TextAt(s, 1, row, 24), std::u16string(24, u'0'));
        // The well area holds only the new piece, which is the shape the
        // preview showed, drawn in the plain style (F was ignored), and its guide.
        int pieceCells = 0;
        for (int row = 1; row <= 28; ++row)
            for (int c = 26; c <= 49; ++c) {
                const Cell& cell = s.At(c, row);
                if (cell.attribute == previewAttribute) {
                    ++pieceCells;
                    EXPECT_EQ(cell.character, u' ');
                } else if (row == 28 && cell.character == u'+') {
                    EXPECT_EQ(cell.attribute, 0x0E);
                } else {
                    EXPECT_EQ(cell.attribute, 0) << c << "," << row;
                    EXPECT_EQ(cell.character, u' ') << c << "," << row;
                }
            }
        EXPECT_GE(pieceCells, 4);
        run.script.KeyDown(kVkEscape);
    };
    EXPECT_EQ(run.Run(), 0);
    EXPECT_TRUE(restarted);
    EXPECT_GT(gameOverPass, 0u);
    EXPECT_FALSE(scoreAtGameOver.empty());
    EXPECT_TRUE(run.console.StandardOutputActive());
    EXPECT_EQ(run.console.OpenBuffers(), 1u);
}

TEST(GameOverTest, WaitingForEnterLetsTimePassInsteadOfSpinning) {
    GameRun run;
    std::uint64_t waitsAtGameOver = 0;
    std::uint64_t peeksAtGameOver = 0;
    std::uint64_t timeAtGameOver = 0;
    StackUntilGameOver(run, [&] {
        waitsAtGameOver = run.input.waits;
        peeksAtGameOver = run.input.peeks;
        timeAtGameOver = run.clock.NowMs();
        run.script.KeyDownAt(timeAtGameOver + 5000, kVkEscape);
    });
    EXPECT_EQ(run.Run(), 0);
    ASSERT_GT(timeAtGameOver, 0u);
    const std::uint64_t waits = run.input.waits - waitsAtGameOver;
    const std::uint64_t peeks = run.input.peeks - peeksAtGameOver;
    // Five seconds of waiting in steps of about 100 ms: one look per wait.
    EXPECT_GE(waits, 40u);
    EXPECT_LE(waits, 60u);
    EXPECT_LE(peeks, waits + 1);
    EXPECT_GE(run.clock.NowMs(), timeAtGameOver + 5000);
    EXPECT_TRUE(run.console.StandardOutputActive());
}

}  // namespace
}  // namespace zumbrik::testing
