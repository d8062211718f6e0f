#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "player/background/segment_renderer.h"
#include "player/mixer/mixer.h"
#include "player/engine/song_scan.h"
#include "player/formats/song_loader.h"
#include "player/play/offline_play.h"
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
    state.outputRate = 44100;
    SetTempoBpm(state, 127);  // 868.1 frames: the whole ones, the fraction carried from tick to tick
    EXPECT_EQ(state.samplesPerTick, 868);

    EXPECT_EQ(MasterVolumeForLevel(25), kUnityVolume);
    EXPECT_EQ(MasterVolumeForLevel(1000), kUnityVolume);
    EXPECT_EQ(MasterVolumeForLevel(1), 130u);
    for (std::uint32_t level = 2; level <= 25; ++level) {
        const double decibels = 20 * std::log10(double(MasterVolumeForLevel(level)) / MasterVolumeForLevel(level - 1));
        EXPECT_NEAR(decibels, 2.0, 0.05) << level;
    }
}

// A ring renderer over a loaded song, its ring filled with 1s so untouched samples show.
struct Renderer {
    explicit Renderer(const XmModule& module, PlayEnd end = PlayEnd{})
        : song(test::LoadSong(module)), renderer(song->state, end) {}
    void Render(int segments = 1) {
        for (int i = 0; i < segments; ++i) RenderRingSegment(renderer, mix, control, ring.data());
    }
    const LevelLogEntry& Entry(std::uint32_t segment) const { return control.levelLog.entries[segment]; }

    std::unique_ptr<SteppedSong> song;
    PlayRenderer renderer;
    MixBuffer mix{};
    RenderControl control;
    std::vector<std::int16_t> ring = std::vector<std::int16_t>(kRingSegments * kSegmentSamples, 1);
};

// Each segment's entry describes that segment: its own levels, the row of
// its first frame and the song's frames before it.
TEST(SegmentRendering, RendersTheToneAndLogsEachSegmentsLevelsPositionAndTime) {
    Renderer r(ToneSong(64, 1, {{0, {Cell(kC4, 1)}}}));  // rows of one 480-frame tick
    r.Render();
    // Panned to the middle at full volume: 127 x 128 / 255 = 63 on each side.
    const std::int16_t steady = ConvertAccumulator(VoiceContribution(16384 * 64, 63 * 128), kUnityVolume);
    EXPECT_EQ(r.ring[0], 0);  // the note ramps in from silence
    EXPECT_EQ(r.ring[2 * 1000], steady);
    EXPECT_EQ(r.ring[2 * 1000 + 1], steady);
    EXPECT_EQ(r.ring[2 * 1024], 1);  // the next segment is untouched
    EXPECT_EQ(r.control.writeSegment, 1u);
    std::uint32_t sums[2] = {0, 0};
    for (std::uint32_t i = 0; i < kSegmentSamples; ++i) sums[i & 1] += std::uint32_t(std::abs(r.ring[i]));
    const std::uint32_t levels = r.Entry(0).levels.load();
    EXPECT_EQ(levels, ((sums[0] >> 10) << 16) | (sums[1] >> 10));
    EXPECT_LT(levels >> 16, std::uint32_t(steady));  // the ramp-in pulls the mean down

    r.Render(2);
    const struct {
        std::uint32_t segment;
        std::uint32_t row;  // of the segment's first frame: frame 1024 is in row 2, 2048 in row 4
        std::uint64_t songFrames;
    } expected[] = {{0, 0, 0}, {1, 2, 1024}, {2, 4, 2048}};
    for (const auto& e : expected) {
        EXPECT_EQ(r.Entry(e.segment).position.load(), e.row) << e.segment;
        EXPECT_EQ(r.Entry(e.segment).songFrames.load(), e.songFrames) << e.segment;
        EXPECT_EQ(r.Entry(e.segment).pastSongEnd.load(), 0) << e.segment;
    }
}

TEST(SegmentRendering, PausedSegmentsAreSilentAndHoldTheSong) {
    Renderer r(ToneSong(64, 6, {{0, {Cell(kC4, 1)}}}));
    r.Render();
    r.control.pauseFlag = 1;
    r.control.writeSegment = 15;
    r.Render(2);
    for (std::uint32_t i = 15 * kSegmentSamples; i < 16 * kSegmentSamples; ++i) ASSERT_EQ(r.ring[i], 0);
    EXPECT_EQ(r.control.writeSegment, 1u);
    for (const std::uint32_t segment : {15u, 0u}) {
        EXPECT_EQ(r.Entry(segment).songFrames.load(), 1024u) << "the song stands where it stopped";
        EXPECT_EQ(r.Entry(segment).position.load(), 0u);
        EXPECT_EQ(r.Entry(segment).levels.load(), 0u);
        EXPECT_EQ(r.Entry(segment).pastSongEnd.load(), 0);
    }
    EXPECT_EQ(r.renderer.Frames(), 1024u);
}

// A song that plays once: exactly the one-pass render, then silence; the
// segment holding the end is not past it, the next ones are and keep the
// last row. After a jump the row count says nothing; the song then ends once
// its end row has played.
TEST(SegmentRendering, AOnePassSongEndsAtItsEndRowThenSilence) {
    // Five rows of one tick, the last jumping back to the start: the song never runs off its end.
    const XmModule module = ToneSong(5, 1, {{0, {Cell(kC4, 1)}}, {4, {test::Effect(0x0B, 0)}}});
    const SongScan scan = ScanSong(test::LoadSong(module)->song);
    ASSERT_EQ(scan.rowStarts, 5u);
    const std::vector<std::uint8_t> bytes = WriteXm(module);
    OfflinePlay reference(LoadSongFromMemory(bytes.data(), bytes.size()).song);
    std::vector<std::int16_t> expected(kSegmentSamples * 4, 0);
    // Past the first segment, short of the third.
    ASSERT_EQ(reference.Render(expected.data(), 4 * kSegmentFrames), 5u * 480u);

    for (const bool jumped : {false, true}) {
        Renderer r(module, PlayEnd{true, jumped ? 1000u : scan.rowStarts});
        if (jumped) {
            r.control.endRowKnown = true;
            r.control.endOrder = scan.endOrder;
            r.control.endRow = scan.endRow;
            JumpInRenderer(r.renderer, r.song->state, r.control, 0);
        }
        r.Render(4);
        const std::vector<std::int16_t> played(r.ring.begin(), r.ring.begin() + kSegmentSamples * 4);
        EXPECT_EQ(played, expected) << "jumped " << jumped;
        EXPECT_EQ(r.Entry(2).pastSongEnd.load(), 0) << "holds the song's last frames";
        EXPECT_EQ(r.Entry(3).pastSongEnd.load(), 1);
        EXPECT_EQ(r.Entry(3).position.load(), 4u) << "where the song ended";
        EXPECT_EQ(r.Entry(3).songFrames.load(), 5u * 480u);
    }
}

}  // namespace
}  // namespace zumbrik
