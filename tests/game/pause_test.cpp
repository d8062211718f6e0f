#include <gtest/gtest.h>

#include "console/pause_picture.h"
#include "player/background/module_player.h"
#include "tests/game/game_run.h"

namespace zumbrik::testing {
namespace {

// The picture cell at (column, row) of the pause buffer, as drawn from (24, 1).
char16_t PictureAt(int column, int row) { return PausePicture[(row - 1) * 80 + column - 24]; }

void ExpectWholePicture(const ScreenBuffer& s) {
    for (int row = 1; row <= 29; ++row)
        for (int c = 0; c < 80; ++c) {
            if (row == 1 && c < 24) continue;
            if (row == 29 && c > 65) continue;
            if (row == 29 && c >= 27 && c <= 51) continue;  // under the second title
            ASSERT_EQ(s.At(c, row).character, PictureAt(c, row)) << c << "," << row;
            ASSERT_EQ(s.At(c, row).attribute, 0x06) << c << "," << row;
        }
}

TEST(PauseTest, PShowsThePictureWithTitlesAndTheBlinkRunsThenPReturns) {
    GameRun run;
    std::vector<std::u16string> gameScreen;
    run.AfterPass(1, [&] { gameScreen = run.ScreenText(); });
    run.KeyAfterPass(1, kVkP);
    run.AfterPauseFrame(1, [&] {
        const ScreenBuffer& s = run.Screen();
        EXPECT_TRUE(ModulePaused());
        EXPECT_EQ(run.console.WindowMoves().size(), 2u);
        ExpectWholePicture(s);
        EXPECT_EQ(TextAt(s, 37, 0, 5), u"ПАУЗА");
        EXPECT_TRUE(AttributeRun(s, 37, 0, 5, 0x0E));
        EXPECT_EQ(TextAt(s, 27, 29, 25), u"Для продолжения нажмите P");
        EXPECT_TRUE(AttributeRun(s, 27, 29, 25, 0x0E));
    });
    // Frame 14 (the fifteenth) closes the top strip; frames 14..18 close all five.
    run.AfterPauseFrame(14, [&] { EXPECT_EQ(TextAt(run.Screen(), 54, 13, 5), u",...:"); });
    run.AfterPauseFrame(15, [&] {
        EXPECT_EQ(TextAt(run.Screen(), 54, 13, 5), u"~~~~~");
        EXPECT_TRUE(AttributeRun(run.Screen(), 54, 13, 5, 0x08));
        EXPECT_EQ(TextAt(run.Screen(), 53, 14, 6), u"......");
    });
    run.AfterPauseFrame(16, [&] {
        EXPECT_EQ(TextAt(run.Screen(), 53, 14, 6), u"~~~~~~");
        // Keys other than P are thrown away here, together with what follows them.
        run.script.KeyDown(kVkLeft);
        run.script.KeyDown(kVkP);
    });
    run.AfterPauseFrame(17, [&] {
        EXPECT_EQ(run.script.Pending(), 0u);
        run.script.KeyDown(kVkP);
    });
    run.AfterPass(2, [&] {
        EXPECT_EQ(run.PauseFrames(), 17u);
        EXPECT_FALSE(ModulePaused());
        EXPECT_EQ(run.ScreenText(), gameScreen);
        EXPECT_EQ(run.console.ActiveSwitches(), 3u);
    });
    // A second pause shows the picture whole again, though the first left strips closed.
    run.KeyAfterPass(2, kVkP);
    run.AfterPauseFrame(18, [&] {
        ExpectWholePicture(run.Screen());
        run.script.KeyDown(kVkP);
    });
    run.KeyAfterPass(3, kVkEscape);
    EXPECT_EQ(run.Run(), 0);
}

TEST(PauseTest, EscapeOnThePauseScreenEndsTheProgramAfterOneMorePass) {
    GameRun run;
    run.KeyAfterPass(1, kVkP);
    run.AfterPauseFrame(5, [&] { run.script.KeyDown(kVkEscape); });
    EXPECT_EQ(run.Run(), 0);
    // The pass that paused sleeps its 20 ms; the next one reads Escape and quits.
    EXPECT_EQ(run.Passes(), 2u);
    EXPECT_EQ(run.PauseFrames(), 5u);
    // Game buffer, pause buffer, game buffer again, then the saved output.
    EXPECT_EQ(run.console.ActiveSwitches(), 4u);
    EXPECT_TRUE(run.console.StandardOutputActive());
    EXPECT_EQ(run.console.OpenBuffers(), 1u);
    EXPECT_FALSE(ModulePaused());
}

TEST(PauseTest, PausingWithTheMusicOffLeavesItOff) {
    GameRun run;
    run.KeyAfterPass(1, kVkM);
    run.KeyAfterPass(2, kVkP);
    run.AfterPauseFrame(2, [&] {
        EXPECT_TRUE(ModulePaused());
        run.script.KeyDown(kVkP);
    });
    run.AfterPass(3, [&] { EXPECT_TRUE(ModulePaused()); });
    run.KeyAfterPass(3, kVkM);
    run.AfterPass(4, [&] { EXPECT_FALSE(ModulePaused()); });
    run.KeyAfterPass(4, kVkEscape);
    EXPECT_EQ(run.Run(), 0);
}

}  // namespace
}  // namespace zumbrik::testing
