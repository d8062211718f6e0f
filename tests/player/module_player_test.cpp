#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "platform/virtual/capture_wave_device.h"
#include "player/background/module_player.h"
#include "player/formats/xm_writer.h"
#include "tests/player/offline_render.h"

namespace zumbrik {
namespace {

using test::AllZero;
using test::LevelsOf;
using test::RenderOffline;
using test::Segments;

constexpr std::uint32_t kSegmentBytes = 4096;

// The song's time before `segments` whole segments, as the player counts it.
std::uint32_t MillisecondsOf(std::uint64_t frames) { return static_cast<std::uint32_t>(frames * 1000 / 48000); }

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

// What plays is the library's offline render of the song, and the level log
// describes the segment being heard: its levels, the row of its first frame
// and the song's time before it, so position and time agree.
TEST_F(MusicPlayerTest, PlaysTheOfflineRenderAndLogsWhatIsHeard) {
    ASSERT_FALSE(theme_.empty());
    ASSERT_EQ(StartModule(reinterpret_cast<std::uintptr_t>(theme_.data()), theme_.size(), MemorySource).status,
              StartStatus::Playing);
    EXPECT_TRUE(device_.IsOpen());
    EXPECT_TRUE(device_.IsPlaying());
    EXPECT_TRUE(device_.FormatWasOutputFormat());
    EXPECT_TRUE(ModulePlaying());

    const test::OfflineRender reference = RenderOffline(theme_, 64);
    std::uint32_t heard = 0;
    for (const std::uint32_t step : {0u, 1u, 6u, 13u, 28u}) {
        PlaySegments(step);
        heard += step;
        EXPECT_EQ(GetElapsedMs(), MillisecondsOf(std::uint64_t{heard} * kSegmentFrames)) << heard;
        EXPECT_EQ(GetPlayingPosition(), reference.positions[heard]) << heard;
        EXPECT_EQ(GetPlayingLevels(), LevelsOf(reference.samples, heard)) << heard;
    }
    ASSERT_EQ(device_.Played().size(), 48u * kSegmentSamples);
    EXPECT_TRUE(device_.Played() == Segments(reference.samples, 0, 48)) << "played audio differs from the render";
    EXPECT_FALSE(AllZero(device_.Played()));
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
    PlaySegments(24);
    // What was queued before the pause still plays; everything after is
    // silence, and the time and position heard stop where the song stopped.
    const test::OfflineRender reference = RenderOffline(theme_, 84);
    EXPECT_TRUE(AllZero(Segments(device_.Played(), 36, 8)));
    EXPECT_EQ(GetElapsedMs(), MillisecondsOf(36u * kSegmentFrames));
    EXPECT_EQ(GetPlayingPosition(), reference.positions[36]);
    EXPECT_EQ(GetPlayingLevels(), 0u);

    ResumeModule();
    PlaySegments(40);
    // Without the silent stretch, the audio is one unbroken render of the song.
    std::vector<std::int16_t> sounding;
    for (std::uint32_t s = 0; s < 84; ++s) {
        const std::vector<std::int16_t> segment = Segments(device_.Played(), s, 1);
        if (!AllZero(segment)) sounding.insert(sounding.end(), segment.begin(), segment.end());
    }
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
    EXPECT_EQ(StartModule(0, 0, MemorySource).status, StartStatus::NothingToPlay);
    EXPECT_FALSE(device_.IsOpen());
    EXPECT_FALSE(ModulePlaying());
    EXPECT_EQ(device_.OpenCount(), 1u);
    EXPECT_EQ(PlayModule(0, 0, 0), 0u);
    EXPECT_EQ(device_.OpenCount(), 1u);
}

// Played once, a song of any length is heard to its last frame, then
// silence: ModulePlaying turns false with the first segment heard wholly
// after the end, and the device stays open until the music is stopped.
TEST_F(MusicPlayerTest, PlayOnceIsHeardToItsEndThenSilence) {
    XmModule loopsBack = test::StepModule(4);
    loopsBack.patterns[0].cells[2 * 3] = test::Cell(43, 1, 0, 0x0B, 0);  // B00 on the last row: back to the start
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::uint64_t songFrames;
    } songs[] = {
        {"shorter than the ring", test::StepSong(2), 2 * 4800},
        {"longer than the ring", test::StepSong(8), 8 * 4800},
        {"looping back to its start", WriteXm(loopsBack), 4 * 4800},
    };
    for (const auto& song : songs) {
        SCOPED_TRACE(song.name);
        device_.ClearPlayed();
        const std::uint32_t opensBefore = device_.OpenCount();
        ASSERT_EQ(StartModule(reinterpret_cast<std::uintptr_t>(song.bytes.data()), song.bytes.size(),
                              MemorySource | PlayOnce)
                      .status,
                  StartStatus::Playing);
        const std::uint32_t lastSegment = static_cast<std::uint32_t>((song.songFrames - 1) / kSegmentFrames);
        PlaySegments(lastSegment);
        EXPECT_TRUE(ModulePlaying()) << "the segment holding the end is heard now";
        PlaySegments(1);
        EXPECT_FALSE(ModulePlaying());
        EXPECT_TRUE(PlayingPastSongEnd());
        EXPECT_EQ(GetElapsedMs(), MillisecondsOf(song.songFrames));
        PlaySegments(20);
        EXPECT_TRUE(device_.IsPlaying()) << "nothing was cut off by a reset";
        EXPECT_EQ(device_.ResetCount(), opensBefore);

        const test::OfflineRender once = RenderOffline(song.bytes, lastSegment + 21, kUnityVolume, true);
        EXPECT_EQ(once.songFrames, song.songFrames);
        EXPECT_TRUE(device_.Played() == once.samples) << "the one pass, whole, then silence";
        EXPECT_FALSE(AllZero(Segments(device_.Played(), lastSegment, 1)));
        StopModule();
        EXPECT_FALSE(device_.IsOpen());
    }
    // Played again without PlayOnce, the same song loops.
    ASSERT_NE(PlayFromMemory(songs[0].bytes), 0u);
    PlaySegments(12);
    EXPECT_TRUE(ModulePlaying());
    EXPECT_FALSE(AllZero(Segments(device_.Played(), device_.Played().size() / kSegmentSamples - 1, 1)));
}

// A module that does not load is told from a missing sound device: the
// module is loaded before the device is opened, and each failure says which.
TEST_F(MusicPlayerTest, FailuresSayWhyAndLeaveNothingOpen) {
    const std::vector<std::uint8_t> garbage(400, 0x5A);
    const auto theme = reinterpret_cast<std::uintptr_t>(theme_.data());
    const struct {
        const char* name;
        std::uintptr_t source;
        std::uintptr_t size;
        std::uint32_t flags;
        LoadResult load;
    } cases[] = {
        {"not a module", reinterpret_cast<std::uintptr_t>(garbage.data()), garbage.size(), MemorySource,
         LoadResult::NotAModule},
        {"no resource 2", 2, 0, ResourceSource, LoadResult::NotAModule},
        {"resources of another module", 1, 7, ResourceSource, LoadResult::NotAModule},
        {"no such file", reinterpret_cast<std::uintptr_t>("/nonexistent/theme.xm"), 0, FileSource,
         LoadResult::CannotOpen},
    };
    for (const auto& c : cases) {
        const StartResult result = StartModule(c.source, c.size, c.flags);
        EXPECT_EQ(result.status, StartStatus::NotLoaded) << c.name;
        EXPECT_EQ(result.load, c.load) << c.name << ": " << LoadResultText(result.load);
    }
    EXPECT_EQ(device_.OpenCount(), 0u) << "a module that does not load never opens the device";
    EXPECT_FALSE(ModulePlaying());

    CaptureWaveDevice noSoundCard(false);
    UseWaveDevice(&noSoundCard);
    EXPECT_EQ(StartModule(theme, theme_.size(), MemorySource).status, StartStatus::NoDevice);
    EXPECT_EQ(StartModule(reinterpret_cast<std::uintptr_t>(garbage.data()), garbage.size(), MemorySource).status,
              StartStatus::NotLoaded);
    UseWaveDevice(nullptr);
    EXPECT_EQ(StartModule(theme, theme_.size(), MemorySource).status, StartStatus::NoDevice);
    EXPECT_EQ(PlayFromMemory(theme_), 0u);
    EXPECT_FALSE(ModulePlaying());
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
    // The jump is applied before the next segment is rendered and taken at
    // the next row start (up to 5 segments on); it is heard a ring later.
    PlaySegments(22);
    EXPECT_EQ(GetPlayingPosition() >> 16, 3u);

    JumpToOrder(0x10000 + 2);  // only the low 16 bits count
    PlaySegments(22);
    EXPECT_EQ(GetPlayingPosition() >> 16, 2u);

    const std::uint32_t songLength = theme_[64] | theme_[65] << 8u;  // from the module header
    JumpToOrder(songLength);  // one past the last order is past the end too
    PlaySegments(22);
    EXPECT_EQ(GetPlayingPosition() >> 16, 0u);

    JumpToOrder(999);  // past the song's end: back to the start
    PlaySegments(22);
    EXPECT_EQ(GetPlayingPosition() >> 16, 0u);
}

// A tool's end of every song holds after a jump: the pass then ends where the
// song's last row plays, not after as many rows as the pass had before.
TEST_F(MusicPlayerTest, ATooledEndAfterAJumpWaitsForTheLastRow) {
    const std::vector<std::uint8_t> song = test::StepSong(8);  // 8 rows of 4800 frames
    EndSongsAfter(8, 7);  // one pass: 8 row starts, the last one order 0, row 7
    ASSERT_NE(PlayFromMemory(song), 0u);
    PlaySegments(2);
    JumpToOrder(0);  // taken at the row start after the ring ahead (row 3 or 4)
    PlaySegments(45);  // a count of 8 rows from the start would have ended the song by now
    EXPECT_TRUE(ModulePlaying());
    PlaySegments(25);
    EXPECT_TRUE(PlayingPastSongEnd());
    EndSongsAfter(0, 0);
}

// Two threads start and stop songs as fast as they can while a third turns
// every other knob and plays the device on: no crash, no hang and no data
// race (scripts/tsan.sh runs this under ThreadSanitizer), and the player is
// whole afterwards.
TEST(MusicStormTest, TwoThreadsStartingAndStoppingNeverCollide) {
    CaptureWaveDevice device;
    device.SetRecording(false);  // the ring is the player's: this thread only moves the position
    UseWaveDevice(&device);
    const std::vector<std::uint8_t> theme = test::ThemeBytes();
    const std::vector<std::uint8_t> songs[] = {test::StepSong(2), test::StepSong(8), theme};
    std::atomic<int> playing{0};
    auto storm = [&](int seed) {
        for (int i = 0; i < 300; ++i) {
            const std::vector<std::uint8_t>& bytes = songs[(i + seed) % 3];
            const std::uint32_t flags = MemorySource | (i % 2 != 0 ? PlayOnce : 0) | (i % 5 == 0 ? StartPaused : 0);
            if (StartModule(reinterpret_cast<std::uintptr_t>(bytes.data()), bytes.size(), flags).status ==
                StartStatus::Playing) {
                playing.fetch_add(1);
            }
            StopModule();
        }
    };
    std::atomic<bool> stormOver{false};
    std::thread knobs([&] {
        for (std::uint32_t i = 0; !stormOver.load(); ++i) {
            i % 2 != 0 ? PauseModule() : ResumeModule();
            SetMasterVolume(i % 26);
            JumpToOrder(i % 3);
            (void)(GetPlayingLevels() + GetPlayingPosition() + GetElapsedMs() + ModulePlaying() + PlayingPastSongEnd());
            device.Advance(kSegmentBytes);
            if (i % 64 == 0) UseWaveDevice(&device);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    std::thread first(storm, 0);
    std::thread second(storm, 1);
    first.join();
    second.join();
    stormOver.store(true);
    knobs.join();

    EXPECT_EQ(playing.load(), 600);
    EXPECT_FALSE(ModulePlaying());
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.OpenCount(), device.CloseCount());
    ResumeModule();
    SetMasterVolume(25);
    device.SetRecording(true);
    ASSERT_NE(PlayModule(reinterpret_cast<std::uintptr_t>(theme.data()), theme.size(), MemorySource), 0u);
    device.ClearPlayed();
    for (int i = 0; i < 4; ++i) {
        device.Advance(kSegmentBytes);
        ASSERT_TRUE(device.WaitUntilCaughtUp());
    }
    EXPECT_TRUE(device.Played() == RenderOffline(theme, 4).samples);
    UseWaveDevice(nullptr);
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
