#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "platform/virtual/capture_wave_device.h"
#include "player/background/module_player.h"
#include "tests/player/offline_render.h"

namespace zumbrik {
namespace {

using test::AllZero;
using test::RenderOffline;
using test::Segments;

constexpr std::uint32_t kSegmentBytes = 4096;

class MusicPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseWaveDevice(&device_);
        SetMasterVolume(25);
    }
    void TearDown() override {
        UseWaveDevice(nullptr);
        SetMasterVolume(25);
    }

    std::uint32_t PlayFromMemory(const std::vector<std::uint8_t>& bytes, std::uint32_t flags = 0) {
        return PlayModule(reinterpret_cast<std::uintptr_t>(bytes.data()), bytes.size(), MemorySource | flags);
    }

    // Plays segment by segment, giving the output thread time to refill the
    // ring behind the play position after each one, as a sound card would.
    void PlaySegments(std::uint32_t count) {
        for (std::uint32_t i = 0; i < count; ++i) {
            device_.Advance(kSegmentBytes);
            ASSERT_TRUE(device_.WaitUntilCaughtUp()) << "the output thread fell behind at segment " << i;
        }
    }

    // Plays until the device is closed under us (a play-once song ending); false if it never is.
    bool PlayUntilClosed(std::uint32_t limit) {
        for (std::uint32_t i = 0; i < limit && device_.IsOpen(); ++i) {
            device_.Advance(kSegmentBytes);
            device_.WaitUntilCaughtUp(std::chrono::milliseconds(200));
        }
        return !device_.IsOpen();
    }

    CaptureWaveDevice device_;
    const std::vector<std::uint8_t> theme_ = test::ThemeBytes();
};

TEST_F(MusicPlayerTest, PlayedBytesEqualTheOfflineRenderOverSeveralLapsOfTheRing) {
    ASSERT_FALSE(theme_.empty());
    ASSERT_NE(PlayFromMemory(theme_), 0u);
    EXPECT_TRUE(device_.IsOpen());
    EXPECT_TRUE(device_.IsPlaying());
    EXPECT_TRUE(device_.FormatWasOutputFormat());

    PlaySegments(48);
    const test::OfflineRender reference = RenderOffline(theme_, 64);
    ASSERT_EQ(device_.Played().size(), 48u * kSegmentSamples);
    EXPECT_TRUE(device_.Played() == Segments(reference.samples, 0, 48)) << "played audio differs from the render";
    EXPECT_FALSE(AllZero(device_.Played()));

    // By now the thread has rendered 48 segments after the 16 of the start.
    EXPECT_EQ(GetElapsedMs(), reference.elapsedMs);
    EXPECT_EQ(GetPlayingLevels(), reference.levels[48 % kRingSegments]);
    EXPECT_EQ(GetPlayingPosition(), reference.positions[48 % kRingSegments]);
}

TEST_F(MusicPlayerTest, StartPausedIsSilentUntilResumedThenStartsAtTheBeginning) {
    ASSERT_NE(PlayFromMemory(theme_, StartPaused), 0u);
    EXPECT_TRUE(ModulePaused());
    PlaySegments(16);
    EXPECT_TRUE(AllZero(device_.Played()));
    EXPECT_EQ(GetElapsedMs(), 0u);
    EXPECT_EQ(GetPlayingPosition(), 0u);

    ResumeModule();
    EXPECT_FALSE(ModulePaused());
    // The 16 silent segments already queued play out first.
    PlaySegments(32);
    const test::OfflineRender reference = RenderOffline(theme_, 16);
    EXPECT_TRUE(AllZero(Segments(device_.Played(), 0, 32)));
    EXPECT_TRUE(Segments(device_.Played(), 32, 16) == reference.samples) << "the song did not start at order 0 row 0";
}

TEST_F(MusicPlayerTest, PauseSilencesLaterSegmentsAndTheSongContinuesWhereItStopped) {
    ASSERT_NE(PlayFromMemory(theme_), 0u);
    PlaySegments(20);
    PauseModule();
    const std::uint32_t elapsedAtPause = GetElapsedMs();
    const std::uint32_t positionAtPause = GetPlayingPosition();
    PlaySegments(24);
    EXPECT_EQ(GetElapsedMs(), elapsedAtPause);
    EXPECT_EQ(GetPlayingPosition(), positionAtPause);
    // What was queued before the pause still plays; everything after is silence.
    EXPECT_TRUE(AllZero(Segments(device_.Played(), 36, 8)));

    ResumeModule();
    PlaySegments(40);
    // Without the silent stretch, the audio is one unbroken render of the song.
    std::vector<std::int16_t> sounding;
    for (std::uint32_t s = 0; s < 84; ++s) {
        const std::vector<std::int16_t> segment = Segments(device_.Played(), s, 1);
        if (!AllZero(segment)) sounding.insert(sounding.end(), segment.begin(), segment.end());
    }
    const test::OfflineRender reference = RenderOffline(theme_, 84);
    ASSERT_GE(sounding.size(), 60u * kSegmentSamples);
    EXPECT_TRUE(std::vector<std::int16_t>(reference.samples.begin(),
                                          reference.samples.begin() + static_cast<std::ptrdiff_t>(sounding.size())) ==
                sounding);
    EXPECT_EQ(sounding.size(), (84u - 24u) * kSegmentSamples);
}

TEST_F(MusicPlayerTest, StopIsHarmlessWhenIdleAndWhenRepeated) {
    StopModule();
    StopModule();
    EXPECT_EQ(device_.OpenCount(), 0u);
    EXPECT_EQ(device_.ResetCount(), 0u);

    ASSERT_NE(PlayFromMemory(theme_), 0u);
    PlaySegments(3);
    StopModule();
    StopModule();
    EXPECT_FALSE(device_.IsOpen());
    EXPECT_FALSE(device_.IsPlaying());
    EXPECT_EQ(device_.ResetCount(), 1u);
    EXPECT_EQ(device_.CloseCount(), 1u);
    EXPECT_EQ(GetElapsedMs(), 0u);
    EXPECT_EQ(GetPlayingLevels(), 0u);
}

// An output that stops taking audio leaves the output thread waiting on a
// position that never moves; stopping must still end it at once.
TEST_F(MusicPlayerTest, StopEndsTheOutputThreadPromptlyWhenTheDeviceTakesNothing) {
    ASSERT_NE(PlayFromMemory(theme_), 0u);
    PlaySegments(3);
    device_.SetStalled(true);
    const std::uint32_t stalledAt = device_.GetPosition();
    const std::size_t playedBefore = device_.Played().size();
    for (int i = 0; i < 4; ++i) device_.Advance(kSegmentBytes);
    EXPECT_EQ(device_.GetPosition(), stalledAt);
    EXPECT_EQ(device_.Played().size(), playedBefore);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the thread idles on the frozen position

    const auto start = std::chrono::steady_clock::now();
    StopModule();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    EXPECT_FALSE(device_.IsPlaying());
    EXPECT_EQ(device_.CloseCount(), 1u);
    device_.SetStalled(false);
}

TEST_F(MusicPlayerTest, ASecondSongReplacesTheFirstCompletely) {
    ASSERT_NE(PlayFromMemory(theme_), 0u);
    PlaySegments(5);
    const std::vector<std::uint8_t> second = test::StepSong(64);
    ASSERT_NE(PlayFromMemory(second), 0u);
    EXPECT_EQ(device_.OpenCount(), 2u);
    EXPECT_EQ(device_.CloseCount(), 1u);
    EXPECT_EQ(device_.ResetCount(), 1u);

    device_.ClearPlayed();
    PlaySegments(20);
    const test::OfflineRender reference = RenderOffline(second, 20);
    EXPECT_TRUE(device_.Played() == reference.samples);
}

TEST_F(MusicPlayerTest, ASourceOfZeroStopsTheSongAndStartsNothing) {
    ASSERT_NE(PlayFromMemory(theme_), 0u);
    EXPECT_EQ(PlayModule(0, 0, MemorySource), 0u);
    EXPECT_FALSE(device_.IsOpen());
    EXPECT_EQ(device_.OpenCount(), 1u);
    EXPECT_EQ(PlayModule(0, 0, 0), 0u);
    EXPECT_EQ(device_.OpenCount(), 1u);
}

TEST_F(MusicPlayerTest, PlayOnceEndsTheSongAndTearsThePlayerDown) {
    // 8 rows of 5 ticks: 37.5 segments, longer than the ring.
    const std::vector<std::uint8_t> song = test::StepSong(8);
    ASSERT_NE(PlayFromMemory(song, PlayOnce), 0u);
    ASSERT_TRUE(PlayUntilClosed(100));
    EXPECT_FALSE(device_.IsPlaying());
    EXPECT_EQ(device_.ResetCount(), 1u);
    EXPECT_EQ(GetElapsedMs(), 0u);
    // The song's last rendered segments are cut off with the reset, as a real device would.
    const test::OfflineRender reference = RenderOffline(song, 37);
    const std::size_t heard = device_.Played().size();
    ASSERT_LE(heard, reference.samples.size());
    EXPECT_TRUE(std::equal(device_.Played().begin(), device_.Played().end(), reference.samples.begin()));

    // The ended thread is joined by the next stop or start; playing again works.
    StopModule();
    ASSERT_NE(PlayFromMemory(theme_), 0u);
    device_.ClearPlayed();
    PlaySegments(2);
    EXPECT_TRUE(device_.Played() == RenderOffline(theme_, 2).samples);
}

TEST_F(MusicPlayerTest, APlayOnceSongShorterThanTheRingFailsToStart) {
    // 2 rows: 9.4 segments, over before the first 16 are rendered.
    EXPECT_EQ(PlayFromMemory(test::StepSong(2), PlayOnce), 0u);
    EXPECT_FALSE(device_.IsOpen());
    EXPECT_EQ(device_.OpenCount(), device_.CloseCount());
    // Looping, the same song plays.
    EXPECT_NE(PlayFromMemory(test::StepSong(2)), 0u);
}

TEST_F(MusicPlayerTest, FailuresLeaveNothingOpen) {
    const std::vector<std::uint8_t> garbage(400, 0x5A);
    EXPECT_EQ(PlayFromMemory(garbage), 0u);
    EXPECT_FALSE(device_.IsOpen());
    EXPECT_EQ(device_.OpenCount(), device_.CloseCount());

    EXPECT_EQ(PlayModule(2, 0, ResourceSource), 0u) << "there is no resource 2";
    EXPECT_EQ(PlayModule(1, 7, ResourceSource), 0u) << "only the program itself has resources";
    EXPECT_EQ(PlayModule(reinterpret_cast<std::uintptr_t>("/nonexistent/theme.xm"), 0, FileSource), 0u);
    EXPECT_FALSE(device_.IsOpen());

    CaptureWaveDevice noSoundCard(false);
    UseWaveDevice(&noSoundCard);
    EXPECT_EQ(PlayFromMemory(theme_), 0u);
    UseWaveDevice(nullptr);
    EXPECT_EQ(PlayFromMemory(theme_), 0u);
}

TEST_F(MusicPlayerTest, TheEmbeddedResourceAndAFileBothPlayTheTheme) {
    const test::OfflineRender reference = RenderOffline(theme_, 20);

    ASSERT_NE(PlayModule(1, 0, ResourceSource), 0u);
    PlaySegments(20);
    EXPECT_TRUE(device_.Played() == reference.samples);

    device_.ClearPlayed();
    // With both source bits set, memory wins.
    ASSERT_NE(PlayModule(reinterpret_cast<std::uintptr_t>(theme_.data()), theme_.size(), MemorySource | FileSource),
              0u);
    PlaySegments(20);
    EXPECT_TRUE(device_.Played() == reference.samples);

    device_.ClearPlayed();
    ASSERT_NE(PlayModule(reinterpret_cast<std::uintptr_t>(ZUMBRIK_THEME_PATH), 0, FileSource), 0u);
    PlaySegments(20);
    EXPECT_TRUE(device_.Played() == reference.samples);
}

TEST_F(MusicPlayerTest, MasterVolumeScalesFromTheTableAndClampsAboveTheTop) {
    SetMasterVolume(13);
    ASSERT_NE(PlayFromMemory(theme_), 0u);
    PlaySegments(18);
    EXPECT_TRUE(device_.Played() == RenderOffline(theme_, 18, MasterVolumeForLevel(13)).samples);

    SetMasterVolume(1000);
    ASSERT_NE(PlayFromMemory(theme_), 0u);
    device_.ClearPlayed();
    PlaySegments(4);
    EXPECT_TRUE(device_.Played() == RenderOffline(theme_, 4).samples);
}

TEST_F(MusicPlayerTest, JumpToOrderMovesTheSongAtTheNextRow) {
    ASSERT_NE(PlayFromMemory(theme_), 0u);
    PlaySegments(2);
    JumpToOrder(3);
    // The jump is applied before the next segment is rendered; it is heard a ring later.
    PlaySegments(18);
    EXPECT_EQ(GetPlayingPosition() >> 16, 3u);

    JumpToOrder(0x10000 + 2);  // only the low 16 bits count
    PlaySegments(18);
    EXPECT_EQ(GetPlayingPosition() >> 16, 2u);

    const std::uint32_t songLength = theme_[64] | theme_[65] << 8u;  // from the module header
    JumpToOrder(songLength);  // one past the last order is past the end too
    PlaySegments(18);
    EXPECT_EQ(GetPlayingPosition() >> 16, 0u);

    JumpToOrder(999);  // past the song's end: back to the start
    PlaySegments(18);
    EXPECT_EQ(GetPlayingPosition() >> 16, 0u);
}

// A hang at exit ends by signal, which fails the expectation; on Windows
// ctest's time limit catches it instead.
void LimitTimeToExit() {
#ifndef _WIN32
    alarm(20);
#endif
}

// A program that quits while the music plays, without stopping it, must exit
// cleanly: no hang on the output thread and no crash in static destructors.
TEST(MusicExitTest, TheProcessExitsCleanlyWhileTheMusicPlays) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            LimitTimeToExit();
            static CaptureWaveDevice device;
            UseWaveDevice(&device);
            static const std::vector<std::uint8_t> theme = test::ThemeBytes();
            if (PlayModule(reinterpret_cast<std::uintptr_t>(theme.data()), theme.size(), MemorySource) == 0) {
                std::exit(3);
            }
            // Leave the thread with segments to render as the process ends.
            for (int i = 0; i < 6; ++i) device.Advance(4096);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace zumbrik
