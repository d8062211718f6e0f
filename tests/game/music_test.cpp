#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/virtual/capture_wave_device.h"
#include "player/background/module_player.h"
#include "tests/game/game_run.h"
#include "tests/player/offline_render.h"

namespace zumbrik {
namespace {

// The game with a sound device: it starts the theme from resource 1, M and P
// drive the pause flag, and Escape returns while the music keeps playing.
TEST(MusicGameTest, TheGameStartsTheThemeAndItsKeysPauseAndResumeIt) {
    CaptureWaveDevice device;
    UseWaveDevice(&device);
    testing::GameRun run;
    std::vector<bool> pausedAfterPass(1, false);
    // The sound card plays on as the game's time passes: 20 ms of audio per pass.
    run.everyPass = [&](std::uint64_t) { device.Advance(3840); };

    run.AfterPass(1, [&] {
        EXPECT_TRUE(device.IsPlaying());
        EXPECT_FALSE(ModulePaused());
    });
    run.KeyAfterPass(2, kVkM);
    run.AfterPass(3, [&] { EXPECT_TRUE(ModulePaused()) << "M switches the music off"; });
    // With the music off, the pause screen neither pauses nor resumes it.
    run.KeyAfterPass(4, kVkP);
    run.AfterPauseFrame(1, [&] {
        EXPECT_TRUE(ModulePaused());
        run.script.KeyDown(kVkP);
    });
    run.AfterPass(6, [&] { EXPECT_TRUE(ModulePaused()); });
    run.KeyAfterPass(6, kVkM);
    run.AfterPass(7, [&] { EXPECT_FALSE(ModulePaused()) << "M switches it on again"; });
    // With the music on, the pause screen silences it and leaving it resumes.
    run.KeyAfterPass(8, kVkP);
    run.AfterPauseFrame(3, [&] {
        EXPECT_TRUE(ModulePaused());
        run.script.KeyDown(kVkP);
    });
    run.AfterPass(10, [&] { EXPECT_FALSE(ModulePaused()); });
    run.KeyAfterPass(10, kVkEscape);

    EXPECT_EQ(run.Run(), 0);
    EXPECT_EQ(run.Passes(), 10u) << "Escape ends the game in the pass that reads it";
    // Quitting does not stop the music: it ends with the process.
    EXPECT_TRUE(device.IsPlaying());
    EXPECT_EQ(device.OpenCount(), 1u);
    // What played so far was pre-rendered at start-up: the theme's opening.
    const std::vector<std::int16_t> played = device.Played();
    const test::OfflineRender reference = test::RenderOffline(test::ThemeBytes(), 16);
    ASSERT_GT(played.size(), 0u);
    ASSERT_LE(played.size(), reference.samples.size());
    EXPECT_TRUE(std::equal(played.begin(), played.end(), reference.samples.begin()));

    UseWaveDevice(nullptr);
    EXPECT_FALSE(device.IsOpen());
}

// --no-music: the theme starts as always, switched off as if by M, and M
// switches it on.
TEST(MusicGameTest, WithoutMusicTheThemeStartsSwitchedOff) {
    CaptureWaveDevice device;
    UseWaveDevice(&device);
    testing::GameRun run;
    run.options.music = false;
    run.AfterPass(1, [&] {
        EXPECT_TRUE(device.IsPlaying());
        EXPECT_TRUE(ModulePaused());
    });
    run.KeyAfterPass(2, kVkM);
    run.AfterPass(3, [&] { EXPECT_FALSE(ModulePaused()) << "M switches it on"; });
    run.KeyAfterPass(3, kVkEscape);
    EXPECT_EQ(run.Run(), 0);
    UseWaveDevice(nullptr);
}

// Without a sound device the game runs on silently, and its keys still set the flag.
TEST(MusicGameTest, WithoutASoundDeviceTheGamePlaysOnSilently) {
    UseWaveDevice(nullptr);
    testing::GameRun run;
    run.KeyAfterPass(1, kVkM);
    run.AfterPass(2, [&] { EXPECT_TRUE(ModulePaused()); });
    run.KeyAfterPass(2, kVkM);
    run.AfterPass(3, [&] { EXPECT_FALSE(ModulePaused()); });
    run.KeyAfterPass(3, kVkEscape);
    EXPECT_EQ(run.Run(), 0);
}

}  // namespace
}  // namespace zumbrik
