#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "resources/theme/compose_theme.h"
#include "player/formats/xm_loader.h"
#include "tests/player/offline_render.h"

namespace zumbrik {
namespace {

// The committed module is what the composer writes today: the two never drift.
TEST(MusicThemeTest, TheComposerRewritesTheCommittedModuleByteForByte) {
    const std::vector<std::uint8_t> committed = test::ThemeBytes();
    ASSERT_FALSE(committed.empty());
    const std::vector<std::uint8_t> composed = theme::ComposeTheme();
    ASSERT_EQ(composed.size(), committed.size());
    EXPECT_TRUE(composed == committed) << "run: cmake --build build --target compose_theme";
}

class MusicThemeModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        source_ = MakeMemorySource(bytes_.data(), static_cast<std::uint32_t>(bytes_.size()));
        ASSERT_EQ(LoadModule(source_, arena_, state_), LoadResult::Loaded);
        source_.Close();
    }

    // Seconds taken by orders [first, last), 5 ticks of 20 ms per row.
    double Seconds(int first, int last) const {
        double seconds = 0;
        for (int order = first; order < last; ++order) {
            seconds += state_.patterns[state_.orderTable[order]].rows * 5 * 0.02;
        }
        return seconds;
    }

    std::vector<std::uint8_t> bytes_ = test::ThemeBytes();
    ModuleSource source_;
    ModuleArena arena_;
    Song state_{};
};

TEST_F(MusicThemeModuleTest, HasTheGamesFormat) {
    EXPECT_EQ(state_.channelCount, 4);
    EXPECT_EQ(state_.moduleFlags & 1, 1) << "linear frequency table";
    EXPECT_EQ(state_.defaultTempo, 5);
    EXPECT_EQ(state_.defaultBpm, 125);
    EXPECT_LT(state_.restartPosition, state_.songLength);
    EXPECT_GE(state_.instrumentCount, 1);
}

TEST_F(MusicThemeModuleTest, PatternsHoldOnlyNotesInstrumentsAndKeyOffs) {
    int notes = 0, keyOffs = 0;
    for (int p = 0; p < state_.patternCount; ++p) {
        const PatternRecord& pattern = state_.patterns[p];
        ASSERT_NE(pattern.cells, nullptr);
        for (int i = 0; i < pattern.rows * state_.channelCount; ++i) {
            const PatternCell& cell = pattern.cells[i];
            EXPECT_EQ(cell.volume, 0);
            EXPECT_EQ(cell.effect, 0);
            EXPECT_EQ(cell.param, 0);
            EXPECT_LE(cell.note, 97);
            EXPECT_LE(cell.instrument, state_.instrumentCount);
            if (cell.note >= 1 && cell.note <= 96) {
                ++notes;
                EXPECT_NE(cell.instrument, 0) << "every note names its instrument";
            }
            if (cell.note == 97) ++keyOffs;
        }
    }
    EXPECT_GT(notes, 300);
    EXPECT_GT(keyOffs, 0);
}

TEST_F(MusicThemeModuleTest, LastsBetweenHalfAMinuteAndAMinuteAndAHalfBeforeRepeating) {
    const double firstPass = Seconds(0, state_.songLength);
    const double loop = Seconds(state_.restartPosition, state_.songLength);
    EXPECT_GE(loop, 30.0);
    EXPECT_LE(firstPass, 90.0);
}

// Two passes through the loop: never clipping and never stopping, the restart
// included. The tune breathes before some downbeats, so a single quiet
// segment is allowed, a quiet stretch is not.
TEST_F(MusicThemeModuleTest, PlaysWithoutClippingOrGapsAcrossTheRestart) {
    const double seconds = Seconds(0, state_.songLength) + Seconds(state_.restartPosition, state_.songLength) + 5;
    const auto segments = static_cast<std::uint32_t>(seconds * 48000 / kSegmentFrames);
    const test::OfflineRender render = test::RenderOffline(bytes_, segments);
    ASSERT_EQ(render.samples.size(), std::size_t{segments} * kSegmentSamples);
    int peak = 0;
    for (std::int16_t s : render.samples) peak = std::max(peak, std::abs(int{s}));
    EXPECT_LT(peak, 32000) << "the mix comes close to clipping";
    EXPECT_GT(peak, 8000) << "the mix is too quiet";
    int quietRun = 0;
    for (std::uint32_t s = 0; s < segments; ++s) {
        long sum = 0;
        for (std::uint32_t i = 0; i < kSegmentSamples; ++i) sum += std::abs(int{render.samples[s * kSegmentSamples + i]});
        quietRun = sum / kSegmentSamples < 100 ? quietRun + 1 : 0;
        EXPECT_LT(quietRun, 2) << "quiet stretch ending at segment " << s;
    }
}

}  // namespace
}  // namespace zumbrik
