#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "player/formats/song_loader.h"
#include "player/engine/play_records.h"
#include "player/mixer/mix_buffer.h"
#include "player/play/offline_play.h"
#include "player/engine/song_scan.h"
#include "tests/player/song_stepper.h"

namespace zumbrik {
namespace {

using test::Effect;
using test::PatternOf;

struct ScanCase {
    std::string name;
    XmModule module;
    std::uint32_t passes;
    std::uint64_t rowStarts;
    std::int32_t endOrder;
    std::int32_t endRow;
    bool ranOffEnd;
    std::uint64_t frames;  // 0: one tick of 480 frames per row
};

// Two channels, speed 1 at 480 frames a tick: a row is 480 frames unless a case changes that.
XmModule Song(std::vector<std::uint8_t> orders, std::vector<XmPattern> patterns, std::uint16_t restart = 0) {
    XmModule module = test::ToneModule(2, 1);
    module.orders = std::move(orders);
    module.patterns = std::move(patterns);
    module.restartPosition = restart;
    return module;
}

XmPattern Rows(std::uint16_t rows, std::vector<std::pair<int, std::vector<XmCell>>> filled = {}) {
    return PatternOf(rows, 2, std::move(filled));
}

// Loops one after another, each of two rows played 16 times: 15 loop states each.
XmPattern ManyLoops(int loops) {
    std::vector<std::pair<int, std::vector<XmCell>>> filled;
    for (int k = 0; k < loops; ++k) {
        filled.push_back({2 * k, {Effect(0xE, 0x60)}});
        filled.push_back({2 * k + 1, {Effect(0xE, 0x6F)}});
    }
    return Rows(static_cast<std::uint16_t>(2 * loops), filled);
}

std::vector<ScanCase> Cases() {
    return {
        {"runs off its last order", Song({0, 1}, {Rows(4), Rows(4)}), 1, 8, 1, 3, true, 0},
        {"jumps back to an earlier order", Song({0, 1}, {Rows(4), Rows(4, {{3, {Effect(0xB, 0)}}})}), 1, 8, 1, 3,
         false, 0},
        {"jumps back, two passes", Song({0, 1}, {Rows(4), Rows(4, {{3, {Effect(0xB, 0)}}})}), 2, 16, 1, 3, false, 0},
        {"jumps back to the middle, two passes", Song({0, 1}, {Rows(4), Rows(4, {{3, {Effect(0xB, 1)}}})}), 2, 12,
         1, 3, false, 0},
        {"breaks into an order already played (B and D on one row)",
         Song({0, 1}, {Rows(4), Rows(4, {{1, {Effect(0xB, 0), Effect(0xD, 2)}}})}), 1, 6, 1, 1, false, 0},
        {"a later B overwrites an earlier D's order",
         Song({0, 1, 2}, {Rows(4), Rows(4, {{1, {Effect(0xD, 2), Effect(0xB, 1)}}}), Rows(4)}), 1, 6, 1, 1, false, 0},
        {"a break to a row past the pattern's end, then off the last order",
         Song({0}, {Rows(4, {{1, {Effect(0xD, 0x12)}}})}), 1, 3, 0, 12, true, 0},
        {"jumps to itself", Song({0}, {Rows(4, {{0, {Effect(0xB, 0)}}})}), 1, 1, 0, 0, false, 0},
        {"a pattern loop plays out before the song ends",
         Song({0}, {Rows(4, {{1, {Effect(0xE, 0x60)}}, {2, {Effect(0xE, 0x62)}}, {3, {Effect(0xB, 0)}}})}), 1,
         8, 0, 3, false, 0},
        {"a loop with no start row loops from row 0",
         Song({0}, {Rows(3, {{1, {Effect(0xE, 0x61)}}})}), 1, 5, 0, 2, true, 0},
        // The same position with the other channel's loop running is a new state, as is both running.
        {"loops in two channels nest",
         Song({0}, {Rows(4, {{1, {Effect(0xE, 0x61)}}, {2, {XmCell{}, Effect(0xE, 0x61)}}, {3, {Effect(0xB, 0)}}})}),
         1, 11, 0, 3, false, 0},
        {"a pattern delay counts speed times its ticks",
         Song({0}, {Rows(2, {{0, {Effect(0xF, 2), Effect(0xE, 0xE3)}}})}), 1, 2, 0, 1, true, (8 + 2) * 480},
        {"speed and tempo change in the middle",
         Song({0}, {Rows(4, {{2, {Effect(0xF, 3), Effect(0xF, 125)}}})}), 1, 4, 0, 3, true, 2 * 480 + 2 * 3 * 960},
        {"speed 0 plays one tick a row", Song({0}, {Rows(3, {{0, {Effect(0xF, 0)}}})}), 1, 3, 0, 2, true, 0},
        {"the second pass starts at the restart position", Song({0, 1}, {Rows(4), Rows(4)}, 1), 2, 12, 1, 3, true,
         0},
        {"an order naming a missing pattern plays 64 empty rows", Song({0, 7}, {Rows(4)}), 1, 68, 1, 63, true, 0},
        {"a restart position past the song restarts at order 0", Song({0, 1}, {Rows(4), Rows(4)}, 2), 2, 16, 1, 3,
         true, 0},
        // Order 1 loops back to row 4, where B01 D04 holds it: the repeat comes with the loop running.
        {"a row that repeats while a pattern loop runs",
         Song({0, 1}, {Rows(5, {{4, {Effect(0xE, 0x60), Effect(0xB, 1)}}}),
                       Rows(5, {{0, {Effect(0xE, 0x61)}}, {4, {Effect(0xB, 1), Effect(0xD, 4)}}})}),
         1, 7, 1, 4, false, 0},
        // A set of loops met again after other sets: it must be known as the same set.
        {"loop sets that come back after others",
         Song({0}, {Rows(5, {{0, {XmCell{}, Effect(0xE, 0x63)}},
                             {1, {XmCell{}, Effect(0xE, 0x62)}},
                             {2, {XmCell{}, Effect(0xE, 0x61)}},
                             {3, {Effect(0xB, 0), Effect(0xE, 0x61)}}})}),
         1, 5, 0, 1, false, 0},
        {"270 loop states, more than the tables first hold", Song({0}, {ManyLoops(18)}), 1, 18 * 32, 0, 35, true, 0},
    };
}

TEST(SongScan, EndsWhereTheFlowRepeatsOrRunsOff) {
    for (const ScanCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        auto song = test::LoadSong(c.module);
        ASSERT_NE(song, nullptr);
        const SongScan scan = ScanSong(song->song, c.passes);
        EXPECT_FALSE(scan.capped);
        EXPECT_EQ(scan.rowStarts, c.rowStarts);
        EXPECT_EQ(scan.endOrder, c.endOrder);
        EXPECT_EQ(scan.endRow, c.endRow);
        EXPECT_EQ(scan.ranOffEnd, c.ranOffEnd);
        EXPECT_EQ(scan.frames, c.frames != 0 ? c.frames : c.rowStarts * 480);

        // The real sequencer, rendering the passes, takes exactly the scanned time.
        OfflinePlay pass(LoadSongFromMemory(song->bytes.data(), song->bytes.size()).song);
        ASSERT_TRUE(pass.SetRepeat(static_cast<std::int32_t>(c.passes) - 1));
        std::vector<std::int16_t> out(2 * kSegmentFrames);
        std::uint64_t frames = 0;
        while (const std::size_t got = pass.Render(out.data(), kSegmentFrames)) frames += got;
        EXPECT_EQ(frames, scan.frames);
        EXPECT_EQ(pass.Order(), scan.endOrder);
        EXPECT_EQ(pass.Row(), scan.endRow);
    }
}

// 256 orders of a 256-row pattern played 16 times: a million rows, no state
// twice. The scan stops at its bound, and a play takes the longest pass.
TEST(SongScan, ASongLongerThanTheBoundIsCutThereAndPlaysTheLongestPass) {
    XmPattern looped = Rows(256, {{0, {Effect(0xE, 0x60)}}, {255, {Effect(0xE, 0x6F)}}});
    auto song = test::LoadSong(Song(std::vector<std::uint8_t>(256, 0), {looped}));
    ASSERT_NE(song, nullptr);
    const SongScan scan = ScanSong(song->song);
    EXPECT_TRUE(scan.capped);
    EXPECT_EQ(scan.rowStarts, kMaxScanRowStarts);
    EXPECT_EQ(scan.frames, kMaxScanRowStarts * 480);
    OfflinePlay play(LoadSongFromMemory(song->bytes.data(), song->bytes.size()).song);
    EXPECT_TRUE(play.DurationIsBound());
    EXPECT_EQ(play.DurationFrames(), std::uint64_t{OfflinePlay::kLongestPassSeconds} * 48000);
}

}  // namespace
}  // namespace zumbrik
