#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "tests/player/song_stepper.h"
#include "player/mixer.h"
#include "player/segment_renderer.h"

namespace zumbrik {
namespace {

using test::Cell;
using test::Effect;
using test::Song;
using Position = std::pair<std::int32_t, std::int32_t>;

constexpr std::uint8_t kC4 = 49;

// A tone module with `orders.size()` order positions over patterns of
// `rows` rows; cells[(pattern, row)] hold the rows' cells.
XmModule FlowModule(std::vector<std::uint8_t> orders, int patterns, std::uint16_t rows, std::uint16_t channels,
                    std::vector<std::pair<std::pair<int, int>, std::vector<XmCell>>> cells, std::uint16_t tempo = 1) {
    XmModule module = test::ToneModule(channels, tempo);
    module.orders = std::move(orders);
    for (int p = 0; p < patterns; ++p) {
        std::vector<std::pair<int, std::vector<XmCell>>> filled;
        for (auto& [where, row] : cells) {
            if (where.first == p) filled.push_back({where.second, row});
        }
        module.patterns.push_back(test::PatternOf(rows, channels, filled));
    }
    return module;
}

// The (order, row) of each of the next `count` rows started.
std::vector<Position> RowsPlayed(Song& song, int count, bool playOnce = false) {
    std::vector<Position> rows;
    for (int guard = 0; guard < 100000 && static_cast<int>(rows.size()) < count && !song.ended; ++guard) {
        const bool rowStart = song.state.tick == 0;
        song.Tick(playOnce);
        if (rowStart && !song.ended) rows.push_back({song.state.orderIndex, song.state.row});
    }
    return rows;
}

std::vector<Position> Rows(int order, int first, int last) {
    std::vector<Position> rows;
    for (int r = first; r <= last; ++r) rows.push_back({order, r});
    return rows;
}

TEST(SongFlow, StartsAtOrderZeroAndWrapsToTheRestartPosition) {
    XmModule module = FlowModule({0, 1}, 2, 2, 1, {});
    module.restartPosition = 1;
    auto song = test::LoadSong(module);
    EXPECT_EQ(RowsPlayed(*song, 6), (std::vector<Position>{{0, 0}, {0, 1}, {1, 0}, {1, 1}, {1, 0}, {1, 1}}));

    module.restartPosition = 2;  // beyond the song: order 0
    auto wrapped = test::LoadSong(module);
    EXPECT_EQ(RowsPlayed(*wrapped, 5), (std::vector<Position>{{0, 0}, {0, 1}, {1, 0}, {1, 1}, {0, 0}}));
}

TEST(SongFlow, PlayOnceEndsAfterTheLastRow) {
    // The end is found when the last row starts, so that row is not heard.
    auto song = test::LoadSong(FlowModule({0, 1}, 2, 2, 1, {}));
    EXPECT_EQ(RowsPlayed(*song, 10, true), (std::vector<Position>{{0, 0}, {0, 1}, {1, 0}}));
    EXPECT_TRUE(song->ended);
}

TEST(SongFlow, JumpAndBreakInOneRowFollowChannelOrder) {
    std::vector<std::uint8_t> orders{0, 0, 0, 0, 0, 0, 0};
    auto jumpThenBreak = test::LoadSong(FlowModule(orders, 1, 32, 2, {{{0, 0}, {Effect(0xB, 5), Effect(0xD, 0x10)}}}));
    EXPECT_EQ(RowsPlayed(*jumpThenBreak, 2), (std::vector<Position>{{0, 0}, {5, 10}}));
    auto breakThenJump = test::LoadSong(FlowModule(orders, 1, 32, 2, {{{0, 0}, {Effect(0xD, 0x10), Effect(0xB, 5)}}}));
    EXPECT_EQ(RowsPlayed(*breakThenJump, 2), (std::vector<Position>{{0, 0}, {5, 0}}));
    auto tooFar = test::LoadSong(FlowModule(orders, 1, 32, 1, {{{0, 0}, {Effect(0xB, 9)}}}));
    EXPECT_EQ(RowsPlayed(*tooFar, 2), (std::vector<Position>{{0, 0}, {0, 0}}));
}

TEST(SongFlow, BreakOnTheLastOrderGoesToOrderZeroEvenInPlayOnce) {
    auto song = test::LoadSong(FlowModule({0, 1}, 2, 64, 1, {{{1, 0}, {Effect(0xD, 0x32)}}}));
    song->state.pendingOrder = 1;
    EXPECT_EQ(RowsPlayed(*song, 2, true), (std::vector<Position>{{1, 0}, {0, 32}}));
    EXPECT_FALSE(song->ended);
}

TEST(SongFlow, BreakToARowThePatternLacksPlaysAnEmptyRowThenMovesOn) {
    auto song = test::LoadSong(FlowModule({0, 1, 0}, 2, 16, 1, {{{0, 0}, {Cell(kC4, 1, 0, 0xD, 0x40)}}}));
    EXPECT_EQ(RowsPlayed(*song, 3), (std::vector<Position>{{0, 0}, {1, 40}, {2, 0}}));
    EXPECT_EQ(song->Channel().period, 4608);  // the empty row left the channel as it was
}

TEST(SongFlow, PatternLoopPlaysItsRowsThreeTimes) {
    auto song = test::LoadSong(
        FlowModule({0}, 1, 16, 1, {{{0, 4}, {Effect(0xE, 0x60)}}, {{0, 8}, {Effect(0xE, 0x62)}}}));
    std::vector<Position> expected = Rows(0, 0, 8);
    for (int pass = 0; pass < 2; ++pass) {
        auto again = Rows(0, 4, 8);
        expected.insert(expected.end(), again.begin(), again.end());
    }
    expected.push_back({0, 9});
    EXPECT_EQ(RowsPlayed(*song, static_cast<int>(expected.size())), expected);
}

TEST(SongFlow, PatternDelayLengthensOnlyItsRow) {
    auto song = test::LoadSong(FlowModule({0}, 1, 4, 1, {{{0, 0}, {Effect(0xE, 0xE2)}}}, 6));
    int ticks = 0;
    do {
        song->Tick();
        ++ticks;
    } while (song->state.tick != 0);
    EXPECT_EQ(ticks, 18);
    ticks = 0;
    do {
        song->Tick();
        ++ticks;
    } while (song->state.tick != 0);
    EXPECT_EQ(ticks, 6);
}

TEST(SongFlow, SpeedZeroMakesEveryTickARowAndTempoSetsTheTickLength) {
    auto song = test::LoadSong(FlowModule({0}, 1, 8, 1, {{{0, 0}, {Effect(0xF, 0x00)}}, {{0, 2}, {Effect(0xF, 0x20)}}}, 6));
    EXPECT_EQ(RowsPlayed(*song, 3), Rows(0, 0, 2));
    EXPECT_EQ(song->state.samplesPerTick, 3750);
    EXPECT_EQ(song->state.tick, 0);
}

TEST(SongFlow, APatternWithoutDataTouchesNoChannel) {
    XmModule module = FlowModule({0, 1}, 2, 4, 1, {{{0, 0}, {Cell(kC4, 1, 0, 0xA, 0x01)}}}, 2);
    module.patterns[1].encoding = XmPatternEncoding::NoData;
    auto song = test::LoadSong(module);
    song->Ticks(8);
    const std::int32_t volume = song->Channel().volume;
    const MixVoice voice = song->Voice();
    EXPECT_EQ(RowsPlayed(*song, 4), Rows(1, 0, 3));
    EXPECT_EQ(song->Channel().volume, volume);
    EXPECT_EQ(song->Voice().volume, voice.volume);
    EXPECT_NE(song->Voice().sample, nullptr);
}

TEST(SongSafety, NoInstrumentsOrAStrayInstrumentIndexStaySilent) {
    XmModule module = FlowModule({0}, 1, 4, 2, {{{0, 0}, {Cell(kC4, 1, 0x40), Cell(kC4, 0, 0, 0xE, 0x5F)}}});
    module.instruments.clear();
    auto song = test::LoadSong(module);
    ASSERT_NE(song, nullptr);
    std::vector<std::int32_t> out(2048, 0);
    ASSERT_TRUE(RenderFrames(song->state, out.data(), 1024, false, song->clock));
    for (std::int32_t value : out) ASSERT_EQ(value, 0);
    EXPECT_EQ(song->Voice().volume, 0u);

    auto stray = test::LoadSong(FlowModule({0}, 1, 4, 1, {{{0, 1}, {Cell(kC4)}}}));
    stray->Tick();
    stray->Channel().instrument = 200;  // no such record
    stray->Ticks(3);
    EXPECT_EQ(stray->Voice().volume, 0u);
}

TEST(Conversion, RoundsHalfUpAndSaturatesSymmetrically) {
    EXPECT_EQ(ConvertAccumulator(-2147483647 - 1, kUnityVolume), -32767);
    EXPECT_EQ(ConvertAccumulator(2147483647, kUnityVolume), 32767);
    EXPECT_EQ(ConvertAccumulator(16320 * 1000 + 8160, kUnityVolume), 1001);
    EXPECT_EQ(ConvertAccumulator(16320 * 1000 + 8159, kUnityVolume), 1000);
    EXPECT_EQ(ConvertAccumulator(-(16320 * 1000 + 8160), kUnityVolume), -1001);
    EXPECT_EQ(ConvertAccumulator(16320 * 1000, MasterVolumeForLevel(13)), (1000 * 2068) >> 15);
    EXPECT_EQ(ConvertAccumulator(16320 * 30000, MasterVolumeForLevel(0)), 0);
    EXPECT_EQ(ConvertAccumulator(16320 * 30000, 5 * kUnityVolume), 30000);  // above unity counts as unity
}

TEST(Conversion, MatchesTheIntegerFormulaAcrossTheRange) {
    const auto reference = [](std::int32_t a, std::uint32_t volume) {
        const std::uint32_t magnitude = a < 0 ? 0u - static_cast<std::uint32_t>(a) : static_cast<std::uint32_t>(a);
        std::uint64_t m = magnitude / 16320 + (magnitude % 16320 >= 8160 ? 1 : 0);
        m = m > 32767 ? 32767 : m;
        const auto v = static_cast<std::int32_t>((m * volume) >> 15);
        return static_cast<std::int16_t>(a < 0 ? -v : v);
    };
    std::vector<std::int32_t> accumulators;
    for (std::int64_t a = -(std::int64_t{1} << 31); a < (std::int64_t{1} << 31); a += 4099) {
        accumulators.push_back(static_cast<std::int32_t>(a));
    }
    for (std::int32_t k = 0; k < 40000; ++k) {  // every rounding edge of the audible range
        accumulators.push_back(16320 * k + 8159);
        accumulators.push_back(16320 * k + 8160);
        accumulators.push_back(-16320 * k - 8160);
    }
    for (std::uint32_t volume : {kUnityVolume, 26029u, 130u, 1u}) {
        std::vector<std::int16_t> samples(accumulators.size());
        ConvertAccumulators(accumulators.data(), samples.data(), static_cast<std::uint32_t>(samples.size()), volume);
        for (std::size_t i = 0; i < accumulators.size(); ++i) {
            ASSERT_EQ(samples[i], reference(accumulators[i], volume)) << accumulators[i] << " at " << volume;
        }
    }
}

TEST(Conversion, TempoAndMasterVolumeTables) {
    PlayerState state{};
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
    std::unique_ptr<Song> song;
    MixBuffer mix{};
    RenderControl control;
    std::vector<std::int16_t> ring = std::vector<std::int16_t>(kRingSegments * kSegmentSamples, 1);
};

TEST(SegmentRendering, RendersTheToneAndLogsPositionLevelsAndTime) {
    Renderer r;
    r.song = test::LoadSong(FlowModule({0}, 1, 64, 1, {{{0, 0}, {Cell(kC4, 1)}}}, 1));
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
    r.song = test::LoadSong(FlowModule({0}, 1, 64, 1, {{{0, 0}, {Cell(kC4, 1)}}}, 6));
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
    r.song = test::LoadSong(FlowModule({0}, 1, 2, 1, {}, 1));
    r.control.playOnce = 1;
    EXPECT_EQ(RenderSegment(r.song->state, r.mix, r.control, r.ring.data()), SegmentOutcome::SongEnded);
}

}  // namespace
}  // namespace zumbrik
