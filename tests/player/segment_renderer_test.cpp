#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "player/mixer/mixer.h"
#include "player/background/segment_renderer.h"
#include "player/play/song_pass.h"
#include "player/engine/song_scan.h"
#include "tests/player/song_stepper.h"

namespace zumbrik {
namespace {

using test::Cell;
using test::SteppedSong;

constexpr std::uint8_t kC4 = 49;

// The one-channel tone module over one pattern of `rows` rows.
XmModule ToneSong(std::uint16_t rows, std::uint16_t tempo, std::vector<std::pair<int, std::vector<XmCell>>> cells) {
    XmModule module = test::ToneModule(1, tempo);
    module.orders = {0};
    module.patterns = {test::PatternOf(rows, 1, std::move(cells))};
    return module;
}

TEST(Conversion, TempoAndMasterVolumeTables) {
    Play state{};
    state.outputRate = 48000;
    SetTempoBpm(state, 125);
    EXPECT_EQ(state.samplesPerTick, 960);
    SetTempoBpm(state, 32);
    EXPECT_EQ(state.samplesPerTick, 3750);
    SetTempoBpm(state, 0);
    EXPECT_EQ(state.samplesPerTick, 120000);

    EXPECT_EQ(MasterVolumeForLevel(25), kUnityVolume);
    EXPECT_EQ(MasterVolumeForLevel(1000), kUnityVolume);
    EXPECT_EQ(MasterVolumeForLevel(1), 130u);
    for (std::uint32_t level = 2; level <= 25; ++level) {
        const double decibels = 20 * std::log10(double(MasterVolumeForLevel(level)) / MasterVolumeForLevel(level - 1));
        EXPECT_NEAR(decibels, 2.0, 0.05) << level;
    }
}

struct Renderer {
    std::unique_ptr<SteppedSong> song;
    MixBuffer mix{};
    RenderControl control;
    std::vector<std::int16_t> ring = std::vector<std::int16_t>(kRingSegments * kSegmentSamples, 1);
};

TEST(SegmentRendering, RendersTheToneAndLogsPositionLevelsAndTime) {
    Renderer r;
    r.song = test::LoadSong(ToneSong(64, 1, {{0, {Cell(kC4, 1)}}}));
    ASSERT_EQ(RenderSegment(r.song->state, r.mix, r.control, r.ring.data()), SegmentOutcome::Rendered);
    // Panned to the middle at full volume: 127 x 128 / 255 = 63 on each side.
    const std::int16_t steady = ConvertAccumulator(VoiceContribution(16384 * 64, 63 * 128), kUnityVolume);
    EXPECT_EQ(r.ring[0], 0);  // the note ramps in from silence
    EXPECT_EQ(r.ring[2 * 1000], steady);
    EXPECT_EQ(r.ring[2 * 1000 + 1], steady);
    EXPECT_EQ(r.ring[2 * 1024], 1);  // the next segment is untouched
    EXPECT_EQ(r.control.writeSegment, 1u);
    EXPECT_EQ(r.control.levelLog.elapsedMs.load(), 10u + 10u + 1u);  // 480 + 480 + 64 frames
    EXPECT_EQ(r.control.levelLog.entries[0].position.load(), 2u);   // order 0, row 2
    std::uint32_t sums[2] = {0, 0};
    for (std::uint32_t i = 0; i < kSegmentSamples; ++i) sums[i & 1] += std::uint32_t(std::abs(r.ring[i]));
    const std::uint32_t levels = r.control.levelLog.entries[1].levels.load();
    EXPECT_EQ(levels, ((sums[0] >> 10) << 16) | (sums[1] >> 10));
    EXPECT_LT(levels >> 16, std::uint32_t(steady));  // the ramp-in pulls the mean down
}

TEST(SegmentRendering, PausedSegmentsAreSilentAndHoldTheSong) {
    Renderer r;
    r.song = test::LoadSong(ToneSong(64, 6, {{0, {Cell(kC4, 1)}}}));
    r.control.pauseFlag = 1;
    r.control.writeSegment = 15;
    ASSERT_EQ(RenderSegment(r.song->state, r.mix, r.control, r.ring.data()), SegmentOutcome::Rendered);
    for (std::uint32_t i = 15 * kSegmentSamples; i < 16 * kSegmentSamples; ++i) ASSERT_EQ(r.ring[i], 0);
    EXPECT_EQ(r.control.writeSegment, 0u);
    EXPECT_EQ(r.control.levelLog.elapsedMs.load(), 0u);
    EXPECT_EQ(r.song->state.pendingOrder, 0);  // not started
    EXPECT_EQ(r.song->state.tickFramesLeft, 0);
}

TEST(SegmentRendering, PlayOnceReportsTheSongsEnd) {
    Renderer r;
    r.song = test::LoadSong(ToneSong(2, 1, {}));
    r.control.playOnce = 1;
    EXPECT_EQ(RenderSegment(r.song->state, r.mix, r.control, r.ring.data()), SegmentOutcome::SongEnded);
}

// A tool's song end: the song plays exactly the one-pass render, then
// silence; the segment wholly after the end is flagged, the one holding the
// end is not. After a jump, the song ends once its end row has played.
TEST(SegmentRendering, AToolsSongEndIsTheOnePassEndThenSilence) {
    // Five rows of one tick, the last jumping back to the start: the song never runs off its end.
    const XmModule module = ToneSong(5, 1, {{0, {Cell(kC4, 1)}}, {4, {test::Effect(0x0B, 0)}}});
    const SongScan scan = ScanSong(test::LoadSong(module)->song);
    ASSERT_EQ(scan.rowStarts, 5u);
    auto reference = test::LoadSong(module);
    SongPass pass(reference->state, true);
    std::vector<std::int16_t> expected(kSegmentSamples * 4, 0);
    std::uint32_t frames = 0;
    while (std::uint32_t n = pass.Render(expected.data() + 2 * frames, kSegmentFrames)) frames += n;
    ASSERT_EQ(frames, 5u * 480u);  // past the first segment, short of the third

    for (const bool jumped : {false, true}) {
        Renderer r;
        r.song = test::LoadSong(module);
        r.control.endRows = jumped ? 1000 : 5;
        r.control.endPosition = 4;  // order 0, row 4
        r.control.jumped = jumped;
        for (int segment = 0; segment < 4; ++segment) {
            ASSERT_EQ(RenderSegment(r.song->state, r.mix, r.control, r.ring.data()), SegmentOutcome::Rendered);
        }
        const std::vector<std::int16_t> played(r.ring.begin(), r.ring.begin() + kSegmentSamples * 4);
        EXPECT_EQ(played, expected) << "jumped " << jumped;
        EXPECT_EQ(r.control.levelLog.entries[2].pastSongEnd.load(), 0) << "holds the song's last frames";
        EXPECT_EQ(r.control.levelLog.entries[3].pastSongEnd.load(), 1);
        EXPECT_EQ(r.control.levelLog.entries[3].position.load(), 4u) << "where the song ended";
    }
}

}  // namespace
}  // namespace zumbrik
