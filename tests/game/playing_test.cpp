#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "player/background/module_player.h"
#include "tests/game/game_run.h"

namespace zumbrik::testing {
namespace {

using Cells = std::vector<std::pair<int, int>>;

// The first piece of the fixed seed is an L turned once: ### over #.. at (37, 1).
Cells FirstPieceAt(int column, int row) {
    return {{column, row}, {column + 1, row}, {column + 2, row}, {column, row + 1}};
}

void ExpectPiece(const ScreenBuffer& s, const Cells& cells, ColourAttribute attribute, char16_t character = u' ') {
    for (auto [c, r] : cells) {
        EXPECT_EQ(s.At(c, r).attribute, attribute) << c << "," << r;
        EXPECT_EQ(s.At(c, r).character, character) << c << "," << r;
    }
}

void ExpectBlack(const ScreenBuffer& s, const Cells& cells) {
    for (auto [c, r] : cells) {
        EXPECT_EQ(s.At(c, r).attribute, 0) << c << "," << r;
        EXPECT_EQ(s.At(c, r).character, u' ') << c << "," << r;
    }
}

TEST(PlayingTest, PieceFallsOneRowWhenThePassCounterReachesTheInterval) {
    GameRun run;
    run.AfterPass(22, [&] { ExpectPiece(run.Screen(), FirstPieceAt(37, 1), 0xE0); });
    run.AfterPass(23, [&] {
        ExpectPiece(run.Screen(), FirstPieceAt(37, 2), 0xE0);
        ExpectBlack(run.Screen(), {{38, 1}, {39, 1}});
    });
    run.AfterPass(43, [&] { ExpectPiece(run.Screen(), FirstPieceAt(37, 2), 0xE0); });
    run.AfterPass(44, [&] { ExpectPiece(run.Screen(), FirstPieceAt(37, 3), 0xE0); });
    run.KeyAfterPass(44, kVkEscape);
    EXPECT_EQ(run.Run(), 0);
    EXPECT_EQ(run.Passes(), 44u);
}

TEST(PlayingTest, ArrowsMoveAndStopAtTheWallsWithTheGuideFollowing) {
    GameRun run;
    run.KeyAfterPass(1, kVkLeft);
    run.AfterPass(2, [&] {
        const ScreenBuffer& s = run.Screen();
        ExpectPiece(s, FirstPieceAt(36, 1), 0xE0);
        ExpectBlack(s, {{39, 1}, {39, 28}});
        EXPECT_EQ(TextAt(s, 36, 28, 3), u"+++");
    });
    // Fifteen more presses, one per pass: the wall stops it at column 26.
    for (int k = 0; k < 15; ++k) run.KeyAfterPass(2 + k, kVkLeft);
    run.AfterPass(17, [&] {
        ExpectPiece(run.Screen(), FirstPieceAt(26, 1), 0xE0);
        EXPECT_EQ(run.Screen().At(25, 1).attribute, 0x60);
    });
    for (int k = 0; k < 30; ++k) run.KeyAfterPass(17 + k, kVkRight);
    run.AfterPass(47, [&] {
        // Width 3: the rightmost place is columns 47 to 49, next to the wall.
        ExpectPiece(run.Screen(), FirstPieceAt(47, 3), 0xE0);
        EXPECT_EQ(run.Screen().At(50, 3).attribute, 0x60);
    });
    run.KeyAfterPass(47, kVkEscape);
    EXPECT_EQ(run.Run(), 0);
}

TEST(PlayingTest, UpTurnsThePieceInPlace) {
    GameRun run;
    run.KeyAfterPass(1, kVkUp);
    run.AfterPass(2, [&] {
        // ### over #.. turns into ## / .# / .#, top-left corner kept.
        ExpectPiece(run.Screen(), {{37, 1}, {38, 1}, {38, 2}, {38, 3}}, 0xE0);
        ExpectBlack(run.Screen(), {{39, 1}, {37, 2}, {39, 28}});
        EXPECT_EQ(TextAt(run.Screen(), 37, 28, 2), u"++");
    });
    run.KeyAfterPass(2, kVkEscape);
    EXPECT_EQ(run.Run(), 0);
}

TEST(PlayingTest, OnlyTheFirstQueuedEventOfAPassCounts) {
    GameRun run;
    run.AfterPass(1, [&] {
        run.script.KeyDown(kVkLeft);
        run.script.KeyDown(kVkLeft);
        run.script.KeyDown(kVkLeft);
    });
    run.AfterPass(3, [&] {
        ExpectPiece(run.Screen(), FirstPieceAt(36, 1), 0xE0);
        // A release first in the queue takes the press behind it along.
        run.script.KeyUp(kVkLeft);
        run.script.KeyDown(kVkLeft);
    });
    run.AfterPass(4, [&] {
        run.script.Focus();
        run.script.KeyDown(kVkRight);
    });
    run.AfterPass(6, [&] {
        ExpectPiece(run.Screen(), FirstPieceAt(36, 1), 0xE0);
        EXPECT_EQ(run.script.Pending(), 0u);
    });
    run.KeyAfterPass(6, kVkEscape);
    EXPECT_EQ(run.Run(), 0);
}

TEST(PlayingTest, DownDropsThePieceWhichLocksAndShowsInTheDigits) {
    GameRun run;
    run.KeyAfterPass(1, kVkDown);
    // From pass 3 the piece falls a row per pass; pass 28 draws it at row 26
    // and moves it to row 27, where it rests.
    run.AfterPass(28, [&] {
        ExpectPiece(run.Screen(), FirstPieceAt(37, 26), 0xE0);
        EXPECT_EQ(TextAt(run.Screen(), 37, 28, 3), u"+++");
        EXPECT_EQ(TextAt(run.Screen(), 1, 27, 24), std::u16string(24, u'0'));
    });
    run.AfterPass(29, [&] {
        const ScreenBuffer& s = run.Screen();
        ExpectPiece(s, FirstPieceAt(37, 27), 0xE0);
        // Resting: no guide is drawn, and the old guide and image are gone.
        ExpectBlack(s, {{38, 28}, {39, 28}, {38, 26}, {39, 26}});
        EXPECT_EQ(TextAt(s, 1, 27, 24), u"000000000001110000000000");
        EXPECT_EQ(TextAt(s, 1, 28, 24), u"000000000001000000000000");
        EXPECT_EQ(TextAt(s, 1, 26, 24), std::u16string(24, u'0'));
    });
    run.AfterPass(30, [&] {
        // The next piece (the L from the preview, unturned) appears at the top
        // at the normal speed, and the locked one stays.
        const ScreenBuffer& s = run.Screen();
        ExpectPiece(s, {{37, 1}, {37, 2}, {37, 3}, {38, 3}}, 0xE0);
        ExpectPiece(s, FirstPieceAt(37, 27), 0xE0);
        // Its guide lies over the settled L: column 37 is blocked from row 27.
        EXPECT_EQ(TextAt(s, 37, 26, 2), u"++");
    });
    run.AfterPass(50, [&] { EXPECT_EQ(run.Screen().At(37, 1).attribute, 0xE0); });
    run.AfterPass(51, [&] { EXPECT_EQ(run.Screen().At(37, 1).attribute, 0); });
    run.KeyAfterPass(51, kVkEscape);
    EXPECT_EQ(run.Run(), 0);
}

TEST(PlayingTest, FChangesTheDrawingStyleAndMTogglesTheMusic) {
    GameRun run;
    run.KeyAfterPass(1, kVkF);
    run.AfterPass(2, [&] {
        ExpectPiece(run.Screen(), FirstPieceAt(37, 1), 0xE0, u'.');
        EXPECT_FALSE(ModulePaused());
    });
    run.KeyAfterPass(2, kVkM);
    run.AfterPass(3, [&] { EXPECT_TRUE(ModulePaused()); });
    run.KeyAfterPass(3, kVkM);
    run.AfterPass(4, [&] { EXPECT_FALSE(ModulePaused()); });
    run.KeyAfterPass(4, kVkF);
    run.AfterPass(5, [&] { ExpectPiece(run.Screen(), FirstPieceAt(37, 1), 0xE0, u' '); });
    run.KeyAfterPass(5, kVkEscape);
    EXPECT_EQ(run.Run(), 0);
}

// A run that drops a few pieces with a fixed key script, returning the screen.
std::pair<std::vector<std::u16string>, std::vector<ColourAttribute>> ScriptedScreen(SystemTime time, bool enter) {
    GameRun run(time);
    const std::uint16_t keys[] = {kVkLeft, kVkUp, kVkDown, kVkRight, kVkRight, kVkDown, kVkUp, kVkLeft, kVkDown};
    for (int k = 0; k < 60; ++k) run.KeyAfterPass(1 + 7 * static_cast<std::uint64_t>(k), keys[k % 9]);
    if (enter)
        for (int k = 0; k < 60; ++k) run.KeyAfterPass(4 + 7 * static_cast<std::uint64_t>(k), kVkReturn);
    std::pair<std::vector<std::u16string>, std::vector<ColourAttribute>> screen;
    run.AfterPass(420, [&] { screen = {run.ScreenText(), run.ScreenAttributes()}; });
    run.KeyAfterPass(420, kVkEscape);
    EXPECT_EQ(run.Run(), 0);
    return screen;
}

TEST(PlayingTest, SameSeedAndKeysGiveTheSameScreenAndEnterWhilePlayingDoesNothing) {
    const SystemTime time{2026, 12, 1, 7, 10, 20, 30, 0};
    const auto first = ScriptedScreen(time, false);
    ASSERT_FALSE(first.first.empty());
    EXPECT_EQ(ScriptedScreen(time, false), first);
    EXPECT_EQ(ScriptedScreen(time, true), first);
    // Another time of day seeds other shapes.
    EXPECT_NE(ScriptedScreen(SystemTime{2026, 12, 1, 7, 3, 4, 5, 0}, false), first);
}

}  // namespace
}  // namespace zumbrik::testing
