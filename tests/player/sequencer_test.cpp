#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "player/play/play_renderer.h"
#include "tests/player/song_stepper.h"

namespace zumbrik {
namespace {

using test::Cell;
using test::Effect;
using test::SteppedSong;
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
std::vector<Position> RowsPlayed(SteppedSong& song, int count, bool playOnce = false) {
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
    EXPECT_EQ(song->clock.songEnds, 2u);  // counted as each last row starts

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

// Rendering by frames and by segments cut the runs alike on the segments'
// grid, so they must add the same samples of every voice of every channel.
TEST(SongFlow, RenderingByFramesMixesWhatTheSegmentsMix) {
    auto byFrames = test::LoadSong(test::BusyModule());
    auto bySegments = test::LoadSong(test::BusyModule());
    ASSERT_NE(byFrames, nullptr);
    ASSERT_NE(bySegments, nullptr);
    PlayRenderer renderer(bySegments->state, PlayEnd{});
    std::vector<std::int32_t> frames(2 * 4 * kSegmentFrames, 0), segments(2 * 4 * kSegmentFrames, 0);
    for (std::size_t s = 0; s < 4; ++s) {
        ASSERT_TRUE(RenderFrames(byFrames->state, frames.data() + 2 * s * kSegmentFrames, kSegmentFrames, false,
                                 byFrames->clock));
        ASSERT_EQ(renderer.RenderSegment(segments.data() + 2 * s * kSegmentFrames), std::uint32_t{kSegmentFrames});
    }
    EXPECT_TRUE(frames == segments);
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

}  // namespace
}  // namespace zumbrik
