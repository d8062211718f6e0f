#include <gtest/gtest.h>

#include <vector>

#include "game/game_loop.h"
#include "game/piece_rules.h"
#include "player/background/module_player.h"
#include "tests/game/game_run.h"

namespace zumbrik::testing {
namespace {

// The loop's own passes on a prepared well: start-up as usual, then the test
// puts settled cells and a falling piece in place.
class PassSeamTest : public ::testing::Test {
protected:
    PassSeamTest() : io{run.console, run.input, run.clock} { StartGame(io, state); }

    void Settle(int x, int y, ColourAttribute attribute) {
        state.well.Set(x, y, 1);
        const Coord at{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)};
        const char16_t blank = u' ';
        run.console.WriteConsoleOutputCharacterW(state.buffers.gameBuffer, &blank, 1, at);
        run.console.WriteConsoleOutputAttribute(state.buffers.gameBuffer, &attribute, 1, at);
    }
    void Fall(int shape, int turns, int column, int row) {
        PieceShape piece = state.catalogue[static_cast<std::size_t>(shape)];
        piece.column = static_cast<std::int16_t>(column);
        piece.row = static_cast<std::int16_t>(row);
        for (int k = 0; k < turns; ++k) RotateClockwise(piece);
        state.fallingPiece = piece;
        state.previousPiece = piece;
        state.pieceActive = true;
        state.needsErase = false;
    }
    const Cell& At(int c, int r) { return run.Screen().At(c, r); }

    GameRun run;
    GameIo io;
    GameState state;
};

TEST_F(PassSeamTest, UpNextToASettledCellKicksTheTurnedBarLeft) {
    Settle(42, 10, 0x70);
    Fall(1, 0, 40, 10);  // the bar upright at column 40, rows 10..13
    run.script.KeyDown(kVkUp);
    ASSERT_TRUE(WholePass(io, state));
    EXPECT_EQ(state.fallingPiece.column, 38);
    EXPECT_EQ(state.fallingPiece.width, 4);
    for (int c = 38; c <= 41; ++c) EXPECT_EQ(At(c, 10).attribute, 0xC0) << c;
    EXPECT_EQ(At(42, 10).attribute, 0x70);
    // The old upright image is erased below the new row.
    EXPECT_EQ(At(40, 11).attribute, 0);
    EXPECT_EQ(At(40, 13).attribute, 0);
}

TEST_F(PassSeamTest, FourRowsAtOnceScoreTheCascadeAndRaiseTheLevel) {
    // Rows 25..28 full but for column 49; one marked cell above them.
    for (int y = 25; y <= 28; ++y)
        for (int x = 26; x <= 48; ++x) Settle(x, y, 0x20);
    Settle(30, 24, 0x50);
    Settle(31, 24, 0x90);
    Fall(1, 0, 49, 25);  // upright bar in the gap, resting on the floor
    state.passCounter = state.fallInterval;
    // Each row flashes white on its own, the upper ones first, for the
    // rules' 200 ms wait (drawing itself never sleeps).
    std::vector<int> flashedRows;
    std::vector<std::uint32_t> flashSleeps;
    run.clock.OnEverySleep([&](std::uint32_t ms) {
        for (int y = 1; y <= 28; ++y)
            if (At(26, y).attribute == 0xF0 && At(49, y).attribute == 0xF0) {
                flashedRows.push_back(y);
                flashSleeps.push_back(ms);
            }
    });

    ASSERT_TRUE(WholePass(io, state));

    EXPECT_EQ(flashedRows, (std::vector<int>{25, 26, 27, 28}));
    EXPECT_EQ(flashSleeps, (std::vector<std::uint32_t>(4, 200)));
    EXPECT_EQ(state.progress.score, 2300u);
    EXPECT_EQ(state.progress.levelIndex, 5u);
    EXPECT_EQ(state.progress.baseSpeed, 16u);
    // The interval was taken before the cascade: the next piece still falls at 21.
    EXPECT_EQ(state.fallInterval, 21u);
    EXPECT_FALSE(state.gameOver);
    EXPECT_EQ(TextAt(run.Screen(), 52, 6, 10), u"СЧЁТ: 2300");
    EXPECT_EQ(state.progress.lines, 4u);
    EXPECT_EQ(TextAt(run.Screen(), 52, 8, 24), u"СЛОЖНОСТЬ: 6            ");
    EXPECT_EQ(TextAt(run.Screen(), 52, 10, 23), u"До следующей: 2500     ");
    // The two marked cells came down four rows with their colours; the rest of
    // row 28 is what row 24 held, the fresh buffer's blanks.
    EXPECT_EQ(state.well.At(30, 28), 1);
    EXPECT_EQ(state.well.At(31, 28), 1);
    EXPECT_EQ(TextAt(run.Screen(), 1, 28, 24), u"000011000000000000000000");
    for (int y = 1; y <= 27; ++y) EXPECT_EQ(TextAt(run.Screen(), 1, y, 24), std::u16string(24, u'0')) << y;
    for (int x = 26; x <= 49; ++x) {
        const ColourAttribute kept = x == 30 ? 0x50 : x == 31 ? 0x90 : ScreenBuffer::kDefaultAttribute;
        EXPECT_EQ(At(x, 28).attribute, kept) << x;
        // The frame above row 1 never comes down into the well.
        EXPECT_NE(At(x, 1).attribute, 0x60) << x;
    }
}

// The loop as a host without sleep sees it: each step hands back its wait
// and never sleeps itself. A cascade is one step per row flash.
TEST_F(PassSeamTest, ACascadeIsOneStepPerFlashAndTheGameNeverSleepsItself) {
    for (int y = 27; y <= 28; ++y)
        for (int x = 26; x <= 48; ++x) Settle(x, y, 0x20);
    Fall(1, 0, 49, 25);
    state.passCounter = state.fallInterval;
    auto lit = [&](int y) { return At(26, y).attribute == 0xF0 && At(49, y).attribute == 0xF0; };

    EXPECT_EQ(GameStep(io, state), NextStep::After(200));
    EXPECT_TRUE(lit(27));
    EXPECT_EQ(state.well.At(26, 27), 0) << "the row leaves the well as it lights";
    EXPECT_EQ(state.progress.score, 0u);

    EXPECT_EQ(GameStep(io, state), NextStep::After(200));
    EXPECT_FALSE(lit(27));
    EXPECT_TRUE(lit(28));
    EXPECT_EQ(state.progress.score, 100u);

    EXPECT_EQ(GameStep(io, state), NextStep::After(20));
    EXPECT_EQ(state.progress.score, 500u) << "the second row of the cascade at level 2";
    EXPECT_EQ(state.phase, LoopPhase::Pass);
    EXPECT_EQ(state.passCounter, 1u);
    // The bar's two cells above the cleared rows came down into them.
    EXPECT_EQ(TextAt(run.Screen(), 1, 27, 24), u"000000000000000000000001");
    EXPECT_EQ(TextAt(run.Screen(), 1, 28, 24), u"000000000000000000000001");
    EXPECT_EQ(run.clock.SleepCount(), 0u);
}

TEST_F(PassSeamTest, PauseStepsBlinkUntilPThenThePassHasItsWait) {
    Fall(0, 0, 37, 5);
    const std::uint32_t counter = state.passCounter;
    run.script.KeyDown(kVkP);
    EXPECT_EQ(GameStep(io, state), NextStep::After(50));
    EXPECT_EQ(state.phase, LoopPhase::Paused);
    EXPECT_EQ(TextAt(run.Screen(), 37, 0, 5), u"ПАУЗА");
    EXPECT_TRUE(ModulePaused());
    const std::uint32_t frame = state.pause.blinkFrame;
    EXPECT_EQ(GameStep(io, state), NextStep::After(50));
    EXPECT_EQ(state.pause.blinkFrame, frame + 1);
    EXPECT_EQ(state.fallingPiece.row, 5) << "nothing falls behind the pause screen";

    run.script.KeyDown(kVkP);
    EXPECT_EQ(GameStep(io, state), NextStep::After(20));
    EXPECT_EQ(state.phase, LoopPhase::Pass);
    EXPECT_FALSE(ModulePaused());
    EXPECT_NE(TextAt(run.Screen(), 37, 0, 5), u"ПАУЗА");
    EXPECT_EQ(state.passCounter, counter + 1) << "the pass that paused is counted once";
    EXPECT_EQ(run.clock.SleepCount(), 0u);
}

TEST_F(PassSeamTest, AfterGameOverAStepWaitsForAKeyAndEnterRestartsAtOnce) {
    state.gameOver = true;
    EXPECT_EQ(GameStep(io, state), NextStep::KeyOrAfter(100));
    run.script.KeyDown(kVkReturn);
    EXPECT_EQ(GameStep(io, state), NextStep::Now());
    EXPECT_FALSE(state.gameOver);
    run.script.KeyDown(kVkEscape);
    EXPECT_EQ(GameStep(io, state), NextStep::Quit());
}

TEST_F(PassSeamTest, APieceMovedOffItsSupportFallsAgain) {
    Settle(37, 10, 0x70);
    Fall(7, 0, 37, 8);  // domino resting on the settled cell
    state.passCounter = 5;
    ASSERT_TRUE(WholePass(io, state));
    EXPECT_TRUE(state.pieceActive);
    run.script.KeyDown(kVkRight);
    ASSERT_TRUE(WholePass(io, state));
    EXPECT_EQ(state.fallingPiece.column, 38);
    while (state.passCounter < state.fallInterval) ASSERT_TRUE(WholePass(io, state));
    ASSERT_TRUE(WholePass(io, state));
    EXPECT_EQ(state.fallingPiece.row, 9);
    EXPECT_TRUE(state.pieceActive);
}

TEST_F(PassSeamTest, TheSixExtraShapesComeFromTheNinthLevelOn) {
    std::array<int, kShapeCount> seen{};
    for (int k = 0; k < 400; ++k) {
        if (k == 200) state.progress.levelIndex = 8;
        SpawnPiece(io, state);
        ++seen[state.nextShape];
        if (k < 200) {
            ASSERT_LT(state.nextShape, 7u);
        }
    }
    for (int shape = 0; shape < kShapeCount; ++shape) EXPECT_GT(seen[static_cast<std::size_t>(shape)], 0) << shape;
}

}  // namespace
}  // namespace zumbrik::testing
