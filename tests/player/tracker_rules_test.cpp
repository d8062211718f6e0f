// The rules by which MOD and S3M modules play where they differ from XM,
// each pinned on a small module from the builders: the same cells in an XM
// play otherwise, as the XM cases beside some of them show.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "player/engine/pitch.h"
#include "player/formats/s3m_layout.h"
#include "player/formats/song_loader.h"
#include "player/play/offline_play.h"
#include "tests/player/song_stepper.h"
#include "tests/support/tracker_builders.h"

namespace zumbrik {
namespace {

using test::ModCell;
using test::S3mCell;
using test::S3mEffect;
using test::S3mNote;
using test::SteppedSong;
using Rows = std::vector<std::pair<int, std::vector<ModCell>>>;
using S3mRows = std::vector<std::pair<int, std::vector<S3mCell>>>;

constexpr std::uint16_t kC2 = 428;  // ProTracker's C-2: the engine's C-4, period 1712
constexpr std::uint8_t kS3mC4 = 0x40;

std::unique_ptr<SteppedSong> Mod(const test::ModModule& module) {
    auto song = test::LoadSongBytes(test::WriteMod(module));
    EXPECT_NE(song, nullptr);
    return song;
}
std::unique_ptr<SteppedSong> Mod(Rows rows) { return Mod(test::ModSongOf(std::move(rows))); }
std::unique_ptr<SteppedSong> S3m(const test::S3mModule& module) {
    auto song = test::LoadSongBytes(test::WriteS3m(module));
    EXPECT_NE(song, nullptr);
    return song;
}
std::unique_ptr<SteppedSong> S3m(S3mRows rows) { return S3m(test::S3mSongOf(std::move(rows))); }

TEST(ModRules, VolumesStayWithinZeroAndSixtyFourWhileXmVolumesRunOn) {
    auto mod = Mod({{0, {{kC2, 1, 0xA, 0xF0}}}, {1, {{0, 0, 0xA, 0x0F}}}, {2, {{0, 0, 0xA, 0x0F}}}});
    mod->Ticks(6);
    EXPECT_EQ(mod->Channel().volume, 64);
    mod->Ticks(6);
    EXPECT_EQ(mod->Channel().volume, 0);
    mod->Ticks(1);
    EXPECT_EQ(mod->Channel().volume, 0) << "a slide from 0 down stays at 0";

    XmModule xm = test::ToneModule(1);
    xm.patterns = {test::PatternOf(4, 1, {{0, {test::Cell(49, 1, 0, 0xA, 0xF0)}}})};
    auto song = test::LoadSong(xm);
    song->Ticks(6);
    EXPECT_GT(song->Channel().volume, 64);
}

TEST(ModRules, SlidesWithoutAParameterDoNothing) {
    auto song = Mod({{0, {{kC2, 1, 0x1, 0x08}}}, {1, {{0, 0, 0x1, 0x00}}}, {2, {{0, 0, 0xA, 0x00}}},
                     {3, {{0, 0, 0xE, 0x10}}}});
    song->Ticks(6);
    const std::int32_t slid = song->Channel().period;
    EXPECT_EQ(slid, 1712 - 5 * 4 * 8);
    song->Ticks(18);
    EXPECT_EQ(song->Channel().period, slid);
    EXPECT_EQ(song->Channel().volume, 64);
}

TEST(ModRules, SampleOffsetPastTheEndPlaysTheLoopOrNothing) {
    test::ModModule module = test::ModSongOf({{0, {{kC2, 1, 0x9, 0x02}, {kC2, 2, 0x9, 0x02}}}});
    module.samples = {test::ModSquare(256, true), test::ModSquare(256, false)};
    module.samples[0].loopStart = 64;
    module.samples[0].loopLength = 128;
    auto song = Mod(module);
    song->Ticks(1);
    EXPECT_EQ(song->Voice(0).sample, song->song.instruments[0].samples[0]);
    EXPECT_GE(song->Voice(0).position, 64u) << "the offset 512 lies past the 256 frames: the loop plays";
    EXPECT_LT(song->Voice(0).position, 192u);
    EXPECT_EQ(song->Voice(1).sample, nullptr);
}

TEST(ModRules, FinetuneNibbleIsSigned) {
    auto song = Mod({{0, {{kC2, 1, 0xE, 0x5F}}}});
    song->Ticks(1);
    EXPECT_EQ(song->state.finetunes[song->song.instruments[0].samples[0]->index], -16);
}

TEST(ModRules, SpeedZeroIsIgnoredAndThirtyTwoIsATempo) {
    auto song = Mod({{0, {{0, 0, 0xF, 0x00}}}, {1, {{0, 0, 0xF, 0x1F}}}, {2, {{0, 0, 0xF, 0x20}}}});
    song->Ticks(1);
    EXPECT_EQ(song->state.speed, 6);
    song->Ticks(6);
    EXPECT_EQ(song->state.speed, 31);
    song->Ticks(31);
    EXPECT_EQ(song->state.speed, 31);
    EXPECT_EQ(song->state.samplesPerTick, 120000 / 32);
}

TEST(ModRules, CutAndDelayOfZeroActOnTheRowTick) {
    auto song = Mod({{0, {{kC2, 1, 0xE, 0xC0}, {kC2, 1, 0xE, 0xD0}}}});
    song->Ticks(1);
    EXPECT_EQ(song->Channel(0).volume, 0);
    EXPECT_NE(song->Voice(1).sample, nullptr);
    EXPECT_GT(song->Voice(1).volume, 0u);
}

TEST(ModRules, AmigaChannelsPanHardLeftRightRightLeft) {
    auto song = Mod(test::ModSongOf({{0, {{kC2, 1}, {kC2, 1}, {kC2, 1}, {kC2, 1}, {kC2, 1}, {kC2, 1}}}}, 6));
    song->Ticks(1);
    const std::uint32_t expected[] = {0, 255, 255, 0, 0, 255};
    for (int c = 0; c < 6; ++c) EXPECT_EQ(song->Voice(c).panning, expected[c]) << "channel " << c;
}

TEST(ModRules, PortamentosStopAtTheAmigaLimits) {
    auto song = Mod({{0, {{113, 1, 0x1, 0xFF}, {856, 1, 0x2, 0xFF}}}});
    song->Ticks(6);
    EXPECT_EQ(song->Channel(0).period, 4 * 108);
    EXPECT_EQ(song->Channel(1).period, 4 * 907);
    // Notes written beyond the range move its limits out to them.
    auto wide = Mod({{0, {{100, 1, 0x1, 0xFF}, {1000, 1, 0x2, 0xFF}}}});
    wide->Ticks(6);
    EXPECT_EQ(wide->Channel(0).period, 4 * 100);
    EXPECT_EQ(wide->Channel(1).period, 4 * 1000);
}

TEST(ModRules, PeriodsCountThePalClock) {
    auto song = Mod({{0, {{kC2, 1}}}});
    song->Ticks(1);
    EXPECT_EQ(song->Channel().period, 1712);
    EXPECT_EQ(PeriodFrequency(song->state, 1712, 0), 4u * 3546895 / 1712);
}

TEST(S3mRules, FastVolumeSlidesAlsoSlideOnTheRowTick) {
    // The flag, or the one tracker version that slid so; D, and K and L, which slide as D does.
    for (const char letter : {'D', 'K', 'L'}) {
        for (const int how : {0, 1, 2}) {
            test::S3mModule module = test::S3mSongOf({{0, {S3mNote(kS3mC4, 1, 40, letter, 0x04)}}});
            module.flags = how == 1 ? s3m::kFastVolumeSlides : 0;
            if (how == 2) module.version = s3m::kVersionWithFastSlides;
            const bool fast = how != 0;
            auto song = S3m(module);
            song->Ticks(1);
            EXPECT_EQ(song->Channel().volume, fast ? 36 : 40) << letter << how;
            song->Ticks(5);
            EXPECT_EQ(song->Channel().volume, fast ? 16 : 20) << letter << how;
        }
    }
}

TEST(S3mRules, SpeedsGoPastThirtyOne) {
    auto song = S3m({{0, {S3mEffect('A', 0x29)}}, {1, {S3mEffect('T', 0x20)}}, {2, {S3mEffect('T', 0x21)}}});
    song->Ticks(1);
    EXPECT_EQ(song->state.speed, 0x29);
    song->Ticks(0x29);
    EXPECT_EQ(song->state.speed, 0x29) << "a tempo below 33 is ignored";
    EXPECT_EQ(song->state.samplesPerTick, 120000 / 125);
    song->Ticks(0x29);
    EXPECT_EQ(song->state.samplesPerTick, 120000 / 0x21);

    // The scan times such speeds as the sequencer plays them.
    const std::vector<std::uint8_t> bytes =
        test::WriteS3m(test::S3mSongOf({{0, {S3mEffect('A', 0x29)}}, {1, {S3mEffect('T', 0x21)}}}));
    OfflinePlay play(LoadSongFromMemory(bytes.data(), bytes.size()).song);
    std::vector<std::int16_t> out(2 * 4096);
    std::uint64_t frames = 0;
    while (const std::size_t got = play.Render(out.data(), 4096)) frames += got;
    EXPECT_EQ(frames, play.DurationFrames());
}

TEST(S3mRules, EffectsShareOneMemoryPerChannel) {
    // D04 then E00: the portamento down takes the 04 the slide left.
    auto song = S3m({{0, {S3mNote(kS3mC4, 1, -1, 'D', 0x04)}}, {1, {S3mEffect('E', 0x00)}}});
    song->Ticks(6);
    const std::int32_t before = song->Channel().period;
    song->Ticks(6);
    EXPECT_EQ(song->Channel().period, before + (5 * 4 * 4 << kFinePeriodShift)) << "in sixteenths of XM's periods";
}

TEST(S3mRules, ChannelPanningFollowsTheStereoFlagAndTheTable) {
    test::S3mModule module = test::S3mSongOf({});
    module.panning = {0x20 | 0x7, 0, 0x20 | 0xF};
    auto stereo = S3m(module);
    EXPECT_EQ(stereo->Voice(0).panning, 7u * 17);
    EXPECT_EQ(stereo->Voice(1).panning, 12u * 17) << "no table entry: the right side's default";
    EXPECT_EQ(stereo->Voice(2).panning, 15u * 17);
    EXPECT_EQ(stereo->Voice(3).panning, 12u * 17);
    module.panning = {0x7};  // a pan without the bit that says it is set
    EXPECT_EQ(S3m(module)->Voice(0).panning, 3u * 17);
    module.panning.clear();
    EXPECT_EQ(S3m(module)->Voice(0).panning, 3u * 17) << "without a table: the left side's default";
    module.masterVolume = 0x30;
    auto mono = S3m(module);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(mono->Voice(c).panning, 128u);
}

TEST(S3mRules, GlobalAndMasterVolumeScaleTheChannels) {
    test::S3mModule module = test::S3mSongOf({{0, {S3mNote(kS3mC4, 1)}}});
    module.masterVolume = 0x40;
    auto full = S3m(module);
    full->Ticks(1);
    module.masterVolume = 0x20;
    module.globalVolume = 32;
    auto quarter = S3m(module);
    EXPECT_EQ(quarter->state.globalVolume, 32);
    quarter->Ticks(1);
    EXPECT_EQ(quarter->Voice().volume, full->Voice().volume / 4);
}

TEST(S3mRules, TheC4SpeedSetsThePeriod) {
    test::S3mModule module = test::S3mSongOf({{0, {S3mNote(kS3mC4, 1), S3mNote(0x31, 1)}}});
    module.samples[0].c2Speed = 2 * 8363;
    auto song = S3m(module);
    song->Ticks(1);
    EXPECT_EQ(song->Channel(0).period, 856 << kFinePeriodShift);
    EXPECT_EQ(song->Channel(1).period, 25855) << "C#-3 at twice the speed: C#-4's 1615.9, in sixteenths";
    EXPECT_EQ(PeriodFrequency(song->state, song->Channel(0).period, 0), 16726u);
}

TEST(S3mRules, PortamentosStopAtTheAmigaLimitsOnlyWhenTheHeaderAsks) {
    test::S3mModule module = test::S3mSongOf({{0, {S3mNote(0x60, 1, -1, 'F', 0xDF)}}});
    module.flags = 0x10;  // Amiga limits
    auto limited = S3m(module);
    limited->Ticks(6);
    EXPECT_EQ(limited->Channel().period, (4 * 113) << kFinePeriodShift);
    module.flags = 0;
    auto free = S3m(module);
    free->Ticks(6);
    EXPECT_LT(free->Channel().period, (4 * 113) << kFinePeriodShift);
}

TEST(S3mRules, SynthesisedInstrumentsLoadSilentWithAWarning) {
    test::S3mModule module = test::S3mSongOf({{0, {S3mNote(kS3mC4, 2)}}});
    module.samples.push_back(test::S3mSquare());
    module.samples[1].type = 2;
    auto song = S3m(module);
    EXPECT_NE(song->song.warnings & kSongSilentInstruments, 0u);
    song->Ticks(1);
    EXPECT_EQ(song->Voice().volume, 0u);
}

TEST(S3mRules, NoteCutSilencesAndDelayOfZeroPlaysAtOnce) {
    auto song = S3m({{0, {S3mNote(kS3mC4, 1), S3mNote(kS3mC4, 1, -1, 'S', 0xD0)}}, {1, {S3mNote(254, 0)}}});
    song->Ticks(1);
    EXPECT_GT(song->Voice(1).volume, 0u);
    song->Ticks(6);
    EXPECT_EQ(song->Voice(0).volume, 0u);
}

}  // namespace
}  // namespace zumbrik
