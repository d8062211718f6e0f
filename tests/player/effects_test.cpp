#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/player/song_stepper.h"

namespace zumbrik {
namespace {

using test::Cell;
using test::Effect;
using test::SteppedSong;

constexpr std::uint8_t kC4 = 49;  // real note 48: period 4608 in linear mode

// A one-channel tone song whose rows hold the given cells.
std::unique_ptr<SteppedSong> SongOf(std::vector<XmCell> rows, std::uint16_t tempo = 6,
                             void (*adjust)(XmModule&) = nullptr) {
    XmModule module = test::ToneModule(1, tempo);
    std::vector<std::pair<int, std::vector<XmCell>>> filled;
    for (std::size_t r = 0; r < rows.size(); ++r) filled.push_back({static_cast<int>(r), {rows[r]}});
    module.patterns = {test::PatternOf(16, 1, filled)};
    if (adjust != nullptr) adjust(module);
    auto song = test::LoadSong(module);
    EXPECT_NE(song, nullptr);
    return song;
}

// Runs `ticks` ticks and samples a value after each.
template <typename Probe>
std::vector<std::int32_t> EachTick(SteppedSong& song, int ticks, Probe probe) {
    std::vector<std::int32_t> values;
    for (int i = 0; i < ticks; ++i) {
        song.Tick();
        values.push_back(static_cast<std::int32_t>(probe(song)));
    }
    return values;
}

auto Period = [](SteppedSong& s) { return s.Channel().period; };
auto Volume = [](SteppedSong& s) { return s.Channel().volume; };
auto Started = [](SteppedSong& s) { return (s.Channel().updateFlags & StartNote) != 0 ? 1 : 0; };

TEST(PortaEffects, OneAndTwoShareTheirSpeedMemory) {
    auto song = SongOf({Cell(kC4, 1, 0, 0x1, 0x04), Effect(0x2, 0x00)});
    EXPECT_EQ(EachTick(*song, 6, Period), (std::vector<std::int32_t>{4608, 4592, 4576, 4560, 4544, 4528}));
    EXPECT_EQ(EachTick(*song, 3, Period), (std::vector<std::int32_t>{4528, 4544, 4560}));
}

TEST(PortaEffects, PortaUpStopsAtPeriodOne) {
    auto song = SongOf({Cell(96, 1, 0, 0x1, 0x0A)}, 3, [](XmModule& m) {
        m.instruments[0].samples[0].relativeNote = 24;  // real note 119: period 64
    });
    EXPECT_EQ(EachTick(*song, 3, Period), (std::vector<std::int32_t>{64, 24, 1}));
}

TEST(PortaEffects, TonePortamentoKeepsTheNoteAndSlidesToTheNewPeriod) {
    auto song = SongOf({Cell(kC4, 1), Cell(kC4 + 12, 0, 0, 0x3, 0x10)});
    song->Ticks(6);
    EXPECT_EQ(EachTick(*song, 3, Period), (std::vector<std::int32_t>{4608, 4544, 4480}));
    EXPECT_EQ(song->Channel().note, 48);
    EXPECT_EQ(song->Channel().notePeriod, 3840);

    auto column = SongOf({Cell(kC4, 1), Cell(kC4 + 12, 0, 0xF4)});
    column->Ticks(6);
    EXPECT_EQ(EachTick(*column, 3, Period), (std::vector<std::int32_t>{4608, 4352, 4096}));
    EXPECT_EQ(Started(*column), 0);
}

TEST(VolumeEffects, SlideMemoryAndTheHighNibbleWins) {
    auto down = SongOf({Cell(kC4, 1, 0, 0xA, 0x0F), Effect(0xA, 0x00)});
    EXPECT_EQ(EachTick(*down, 6, Volume), (std::vector<std::int32_t>{64, 49, 34, 19, 4, -11}));
    EXPECT_EQ(EachTick(*down, 2, Volume), (std::vector<std::int32_t>{-11, -26}));

    auto up = SongOf({Cell(kC4, 1, 0x20, 0xA, 0x10)});
    EXPECT_EQ(EachTick(*up, 3, Volume), (std::vector<std::int32_t>{16, 17, 18}));
}

TEST(VolumeEffects, VolumeColumnSlidesRunOnEveryTickFinesOnlyOnTheFirst) {
    auto slide = SongOf({Cell(kC4, 1, 0x62)});
    slide->Ticks(6);
    EXPECT_EQ(slide->Channel().volume, 64 - 12);
    auto fine = SongOf({Cell(kC4, 1, 0x82)});
    fine->Ticks(6);
    EXPECT_EQ(fine->Channel().volume, 64 - 2);
    auto nothing = SongOf({Cell(kC4, 1, 0x5F)});
    nothing->Ticks(1);
    EXPECT_EQ(nothing->Channel().volume, 64);
    auto set = SongOf({Cell(kC4, 1, 0x50 - 0x20), Cell(0, 0, 0x50)});
    set->Ticks(7);
    EXPECT_EQ(set->Channel().volume, 64);
}

TEST(VolumeEffects, FineSlidesShareOneSignedMemory) {
    auto song = SongOf({Cell(kC4, 1, 0x30, 0xE, 0xB3), Effect(0xE, 0xA0), Effect(0xE, 0xA2), Effect(0xE, 0xB0)});
    song->Ticks(6);
    EXPECT_EQ(Volume(*song), 29);
    song->Ticks(6);
    EXPECT_EQ(Volume(*song), 26);  // EA0 after EB3 slides down by 3
    song->Ticks(6);
    EXPECT_EQ(Volume(*song), 28);
    song->Ticks(6);
    EXPECT_EQ(Volume(*song), 30);  // EB0 after EA2 slides up by 2
}

TEST(VolumeEffects, TremoloOffsetStaysWhenTheNextRowHasAnotherEffect) {
    auto song = SongOf({Cell(kC4, 1, 0, 0x7, 0x48), Effect(0x8, 0x80)});
    song->Ticks(6);
    ASSERT_EQ(song->Channel().volumeDelta, (127 * 8) >> 5);
    song->Tick();
    EXPECT_EQ(Volume(*song), 64 + ((127 * 8) >> 5));
}

TEST(VolumeEffects, TremorCyclesAcrossTheRow) {
    auto song = SongOf({Cell(kC4, 1, 0, 0x1D, 0x21)}, 8);
    auto sounding = [](SteppedSong& s) { return s.Voice().volume > 0 ? 1 : 0; };
    EXPECT_EQ(EachTick(*song, 8, sounding), (std::vector<std::int32_t>{1, 1, 1, 0, 0, 1, 1, 1}));
}

TEST(VolumeEffects, MultiRetrigRestartsOnItsIntervalAndSaturates) {
    auto plain = SongOf({Cell(kC4, 1), Effect(0x1B, 0x83)});
    plain->Ticks(6);
    EXPECT_EQ(EachTick(*plain, 6, Started), (std::vector<std::int32_t>{0, 0, 0, 1, 0, 0}));
    EXPECT_EQ(Volume(*plain), 64);

    auto lower = SongOf({Cell(kC4, 1), Effect(0x1B, 0x13)});
    lower->Ticks(6);
    EXPECT_EQ(EachTick(*lower, 6, Volume), (std::vector<std::int32_t>{64, 64, 64, 63, 63, 63}));

    // Doubling on every tick for a long time stays bounded.
    std::vector<XmCell> rows(16, Effect(0x1B, 0xF1));
    rows[0] = Cell(kC4, 1, 0, 0x1B, 0xF1);
    auto doubling = SongOf(rows);
    doubling->Ticks(6 * 40);
    EXPECT_EQ(Volume(*doubling), 1 << 24);
    EXPECT_EQ(doubling->Voice().volume, 127u);
}

TEST(NoteEffects, RetriggerOnlyOnMultiplesOfItsInterval) {
    auto e93 = SongOf({Cell(kC4, 1, 0, 0xE, 0x93)});
    EXPECT_EQ(EachTick(*e93, 6, Started), (std::vector<std::int32_t>{1, 0, 0, 1, 0, 0}));
    auto e90 = SongOf({Cell(kC4, 1, 0, 0xE, 0x90)});
    EXPECT_EQ(EachTick(*e90, 6, Started), (std::vector<std::int32_t>{1, 0, 0, 0, 0, 0}));
}

TEST(NoteEffects, NoteDelayStartsLateOrNever) {
    auto delayed = SongOf({Cell(kC4, 1), Cell(kC4 + 12, 1, 0, 0xE, 0xD2)});
    delayed->Ticks(6);
    EXPECT_EQ(EachTick(*delayed, 3, Period), (std::vector<std::int32_t>{4608, 4608, 3840}));
    EXPECT_EQ(Started(*delayed), 1);

    auto never = SongOf({Cell(kC4, 1), Cell(kC4 + 12, 1, 0, 0xE, 0xD0)});
    never->Ticks(6);
    const std::uint8_t before = never->Channel().voice;
    EXPECT_EQ(EachTick(*never, 6, Period), std::vector<std::int32_t>(6, 4608));
    EXPECT_EQ(never->Channel().voice, before);
}

TEST(NoteEffects, NoteCutSilencesOnItsTick) {
    auto song = SongOf({Cell(kC4, 1, 0, 0xE, 0xC2)});
    EXPECT_EQ(EachTick(*song, 4, Volume), (std::vector<std::int32_t>{64, 64, 0, 0}));
}

TEST(NoteEffects, SampleOffsetPastTheLoopStopsTheVoiceEvenWithoutANote) {
    auto song = SongOf({Cell(kC4, 1, 0, 0x9, 0x03), Effect(0x9, 0x04)});
    song->Tick();
    EXPECT_EQ(song->Voice().position, 768u + 480u * 748308572ull / (1ull << 32));  // started at 768, then one tick on
    song->Ticks(5);
    ASSERT_NE(song->Voice().sample, nullptr);
    song->Tick();
    EXPECT_EQ(song->Voice().sample, nullptr);
}

TEST(NoteEffects, ArpeggioCyclesBaseThirdFifth) {
    auto song = SongOf({Cell(kC4, 1, 0, 0x0, 0x37)});
    auto delta = [](SteppedSong& s) { return s.Channel().periodDelta; };
    EXPECT_EQ(EachTick(*song, 6, delta), (std::vector<std::int32_t>{0, 192, 448, 0, 192, 448}));
}

TEST(NoteEffects, KeyOffWithoutEnvelopeSilencesOnTheSameRow) {
    auto song = SongOf({Cell(kC4, 1), Cell(97)});
    song->Ticks(6);
    EXPECT_GT(song->Voice().volume, 0u);
    song->Tick();
    EXPECT_EQ(song->Voice().volume, 0u);
}

TEST(NoteEffects, FadeoutOf512SilencesAReleasedNoteAfter128Ticks) {
    std::vector<XmCell> rows(16, XmCell{});
    rows[0] = Cell(kC4, 1);
    rows[1] = Cell(97);
    auto song = SongOf(rows, 31, [](XmModule& m) {
        XmEnvelope& envelope = m.instruments[0].volumeEnvelope;
        envelope.points[0] = {0, 64};
        envelope.points[1] = {10, 64};
        envelope.pointCount = 2;
        envelope.type = 1 | 2;
        m.instruments[0].fadeout = 256;
    });
    song->Ticks(31);
    song->Ticks(127);
    EXPECT_EQ(song->Channel().fadeoutVolume, 512);
    song->Tick();
    EXPECT_EQ(song->Channel().fadeoutVolume, 0);
    EXPECT_EQ(song->Voice().volume, 0u);
}

TEST(NoteEffects, FinetuneCommandChangesThePlaysSampleButNeitherTheSongNorTheAbsentOne) {
    auto song = SongOf({Cell(kC4, 1, 0, 0xE, 0x5F)});
    song->Tick();
    const SampleRecord& sample = *song->song.instruments[0].samples[0];
    EXPECT_EQ(song->state.finetunes[sample.index], 15);
    EXPECT_EQ(sample.finetune, 0) << "a play never writes into the song it plays";

    auto absent = SongOf({Cell(kC4, 1, 0, 0xE, 0x5F)}, 6, [](XmModule& m) {
        m.instruments[0].keymap.fill(5);  // slot 5 holds no sample
    });
    absent->Tick();
    EXPECT_EQ(FinetuneOf(absent->state, kNoSample), 0);
    EXPECT_EQ(kNoSample.finetune, 0);
    EXPECT_EQ(kNoSample.length, 0u);
}

}  // namespace
}  // namespace zumbrik
