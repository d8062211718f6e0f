#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "player/engine/song_scan.h"
#include "player/formats/song_loader.h"
#include "player/formats/xm_writer.h"
#include "player/play/offline_play.h"
#include "tests/player/offline_render.h"
#include "tests/support/xm_builder.h"

namespace zumbrik {
namespace {

std::shared_ptr<const LoadedSong> Loaded(const std::vector<std::uint8_t>& bytes) {
    return LoadSongFromMemory(bytes.data(), bytes.size()).song;
}

// Every frame of the play, taken `piece` frames at a time.
std::vector<std::int16_t> RenderAll(OfflinePlay& play, std::size_t piece = 4096) {
    std::vector<std::int16_t> samples;
    std::vector<std::int16_t> chunk(2 * piece);
    while (const std::size_t got = play.Render(chunk.data(), piece)) {
        samples.insert(samples.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(2 * got));
    }
    return samples;
}

std::vector<std::int16_t> Tail(const std::vector<std::int16_t>& samples, std::uint64_t frame, std::size_t frames) {
    const auto begin = samples.begin() + static_cast<std::ptrdiff_t>(2 * frame);
    const auto end = begin + static_cast<std::ptrdiff_t>(std::min<std::size_t>(2 * frames, samples.end() - begin));
    return {begin, end};
}

// A busy song: envelopes, loops of both kinds and every effect column in use.
std::vector<std::uint8_t> BusySong() { return WriteXm(test::BusyModule()); }

TEST(OfflinePlay, PiecesOfAnySizeGiveTheSameSamples) {
    const auto song = Loaded(BusySong());
    ASSERT_NE(song, nullptr);
    OfflinePlay whole(song);
    const std::vector<std::int16_t> reference = RenderAll(whole);
    ASSERT_GT(reference.size(), 2u * 3 * kSegmentFrames);
    for (std::size_t piece : {1u, 333u, 1024u, 1500u}) {
        OfflinePlay play(song);
        EXPECT_TRUE(RenderAll(play, piece) == reference) << piece;
    }
}

// The exact seek: wherever it lands, and from wherever it starts, the frames
// after it are the straight render's, and the position says where it is.
TEST(OfflinePlay, SeekingGivesTheStraightRenderFromThatFrameOn) {
    for (const std::vector<std::uint8_t>& bytes : {BusySong(), test::ThemeBytes()}) {
        const auto song = Loaded(bytes);
        ASSERT_NE(song, nullptr);
        OfflinePlay straight(song);
        const std::vector<std::int16_t> reference = RenderAll(straight);
        const std::uint64_t length = reference.size() / 2;
        OfflinePlay play(song);
        std::vector<std::int16_t> out(2 * 3000);
        // Forward, back, inside one segment, onto a segment's edge, near the end.
        for (const std::uint64_t frame : {length / 2, std::uint64_t{1500}, std::uint64_t{1700}, std::uint64_t{4096},
                                          std::uint64_t{0}, length - 100, length / 3 + 7}) {
            play.Seek(frame);
            EXPECT_EQ(play.PositionFrames(), frame);
            const std::size_t got = play.Render(out.data(), 3000);
            out.resize(2 * got);
            EXPECT_TRUE(out == Tail(reference, frame, 3000)) << "seek to " << frame;
            out.resize(2 * 3000);
        }
        // Forward inside the segment being played, after part of it was heard.
        play.Seek(4200);
        ASSERT_EQ(play.Render(out.data(), 100), 100u);
        play.Seek(4900);  // the same 1024-frame segment, from 4096
        out.resize(2 * play.Render(out.data(), 3000));
        EXPECT_TRUE(out == Tail(reference, 4900, 3000)) << "seek on inside a segment";
        out.resize(2 * 3000);
        play.Seek(length + 5000);
        EXPECT_EQ(play.PositionFrames(), length);
        EXPECT_EQ(play.Render(out.data(), 10), 0u);
    }
}

// A play that has been through a song seeks from the states it kept on the
// way: they must give what a fresh play's seek gives, samples and row alike,
// and only where the present end and rate still lead. The second song's rows
// (1536 frames) start inside segments, and its E5x detunes every later note.
TEST(OfflinePlay, SeeksFromKeptStatesLandWhereAFreshPlayLands) {
    XmModule rows = test::StepModule(16);
    rows.bpm = 234;
    rows.tempo = 3;
    rows.patterns[0].cells[0].effect = 0xE;
    rows.patterns[0].cells[0].param = 0x57;
    for (const std::vector<std::uint8_t>& bytes : {test::ThemeBytes(), WriteXm(rows)}) {
        const auto song = Loaded(bytes);
        ASSERT_NE(song, nullptr);
        OfflinePlay played(song);
        ASSERT_TRUE(played.SetRepeat(-1));
        std::vector<std::int16_t> out(2 * 4096), fresh(2 * 4096);
        const std::uint64_t pass = played.DurationFrames();
        for (std::uint64_t frames = 0; frames < 2 * pass;) frames += played.Render(out.data(), 4096);
        ASSERT_TRUE(played.SetRepeat(0));
        for (const std::uint64_t frame : {std::uint64_t{2048}, std::uint64_t{2148}, std::uint64_t{7680}, pass / 2 + 3,
                                          pass - 1, 2 * pass - 1}) {
            played.Seek(frame);
            OfflinePlay cold(song);
            cold.Seek(frame);
            EXPECT_EQ(played.PositionFrames(), cold.PositionFrames()) << frame;
            EXPECT_EQ(played.Order(), cold.Order()) << frame;
            EXPECT_EQ(played.Row(), cold.Row()) << frame;
            out.resize(2 * played.Render(out.data(), 4096));
            fresh.resize(2 * cold.Render(fresh.data(), 4096));
            EXPECT_TRUE(out == fresh) << "seek to " << frame;
            out.resize(2 * 4096);
            fresh.resize(2 * 4096);
        }
        // Another rate: the states kept at 48 kHz no longer hold; those kept
        // on the way to the first seek serve the second.
        ASSERT_TRUE(played.SetRate(44100));
        for (const std::uint64_t frame : {pass / 2, pass / 4}) {
            played.Seek(frame);
            OfflinePlay cold(song);
            ASSERT_TRUE(cold.SetRate(44100));
            cold.Seek(frame);
            out.resize(2 * played.Render(out.data(), 4096));
            fresh.resize(2 * cold.Render(fresh.data(), 4096));
            EXPECT_TRUE(out == fresh) << "seek at 44.1 kHz to " << frame;
            out.resize(2 * 4096);
            fresh.resize(2 * 4096);
        }
    }
}

TEST(OfflinePlay, TwoPlaysOfOneSongNeverDisturbEachOther) {
    // E5x changes a finetune mid-song: a play that shared it would detune the other.
    XmModule module = test::StepModule(16);
    module.patterns[0].cells[0].effect = 0xE;
    module.patterns[0].cells[0].param = 0x57;
    const auto song = Loaded(WriteXm(module));
    ASSERT_NE(song, nullptr);
    OfflinePlay alone(song);
    const std::vector<std::int16_t> reference = RenderAll(alone);
    OfflinePlay a(song), b(song);
    std::vector<std::int16_t> fromA, fromB, chunk(2 * 700);
    for (bool more = true; more;) {
        const std::size_t gotA = a.Render(chunk.data(), 700);
        fromA.insert(fromA.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(2 * gotA));
        const std::size_t gotB = b.Render(chunk.data(), 500);
        fromB.insert(fromB.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(2 * gotB));
        more = gotA != 0 || gotB != 0;
    }
    EXPECT_TRUE(fromA == reference);
    EXPECT_TRUE(fromB == reference);
}

TEST(OfflinePlay, RepeatsGoOnWhereTheSongLoopsAndOrdersCanBeSought) {
    // Order 0 is an intro; the song loops back to order 1 by its restart position.
    XmModule module = test::StepModule(8);
    module.patterns.push_back(test::StepModule(8, 60).patterns[0]);
    module.orders = {0, 1};
    module.restartPosition = 1;
    const auto song = Loaded(WriteXm(module));
    ASSERT_NE(song, nullptr);
    OfflinePlay once(song);
    const std::vector<std::int16_t> onePass = RenderAll(once);
    OfflinePlay twice(song);
    ASSERT_TRUE(twice.SetRepeat(1));
    const std::vector<std::int16_t> twoPasses = RenderAll(twice);
    EXPECT_EQ(twoPasses.size() / 2, ScanSong(song->song, 2).frames);
    // The second pass starts at order 1, where the song loops, not at the intro.
    OfflinePlay probe(song);
    ASSERT_TRUE(probe.SetRepeat(1));
    probe.Seek(onePass.size() / 2);
    EXPECT_EQ(probe.Order(), 1);
    EXPECT_EQ(probe.Row(), 0);
    ASSERT_TRUE(probe.SeekOrder(1, 0));
    const std::uint64_t secondOrder = probe.PositionFrames();
    EXPECT_EQ(secondOrder, onePass.size() / 4) << "the first time order 1 starts: halfway through the pass";
    EXPECT_FALSE(probe.SeekOrder(5, 0));
    EXPECT_EQ(probe.PositionFrames(), secondOrder) << "a failed seek keeps the position";
    OfflinePlay forever(song);
    ASSERT_TRUE(forever.SetRepeat(-1));
    std::vector<std::int16_t> chunk(2 * 4096);
    std::uint64_t frames = 0;
    while (frames < 4 * onePass.size() / 2 && forever.Render(chunk.data(), 4096) == 4096) frames += 4096;
    EXPECT_GE(frames, 4 * onePass.size() / 2);
}

TEST(OfflinePlay, ThePositionNamesTheRowOfTheNextFrameEvenOnASegmentsEdge) {
    // Rows of two 512-frame ticks: every row starts on a segment's edge.
    XmModule module = test::StepModule(16);
    module.bpm = 234;
    module.tempo = 2;
    module.orders = {0, 0};
    OfflinePlay play(Loaded(WriteXm(module)));
    ASSERT_TRUE(play.SetRepeat(1));
    std::vector<std::int16_t> out(2 * 1024);
    for (int row = 0; row < 32; ++row) {
        EXPECT_EQ(play.Order(), row / 16);
        EXPECT_EQ(play.Row(), row % 16);
        ASSERT_EQ(play.Render(out.data(), 1000), 1000u);
        EXPECT_EQ(play.Row(), row % 16);
        ASSERT_EQ(play.Render(out.data(), 24), 24u);
    }
    EXPECT_EQ(play.Order(), 0) << "the second pass starts back at order 0";
    EXPECT_EQ(play.Row(), 0);
    EXPECT_EQ(play.Render(nullptr, 100), 0u) << "nowhere to put frames: none taken";
    EXPECT_EQ(play.Order(), 0);
}

TEST(OfflinePlay, ASongThatJumpsBackForEverLastsOnePassOfItsLoop) {
    XmModule module = test::ToneModule(1, 1);
    module.patterns = {test::PatternOf(4, 1, {{3, {test::Effect(0xB, 0)}}})};  // 4 rows, then back to the start
    OfflinePlay loops(Loaded(WriteXm(module)));
    EXPECT_FALSE(loops.DurationIsBound());
    EXPECT_EQ(loops.DurationFrames(), 4u * 480);
    std::vector<std::int16_t> out(2 * 4096);
    EXPECT_EQ(loops.Render(out.data(), 4096), 4u * 480) << "the last row is played to its end, and no more";
}

// An endless play has no end to stop a seek or a search at.
TEST(OfflinePlay, AnEndlessPlaySeeksAndSearchesWithinBounds) {
    XmModule module = test::ToneModule(1, 1);
    module.bpm = 32;  // the fewest ticks to replay
    module.patterns = {test::PatternOf(4, 1, {{3, {test::Effect(0xB, 0)}}})};
    OfflinePlay endless(Loaded(WriteXm(module)));
    ASSERT_TRUE(endless.SetRepeat(-1));
    const std::uint64_t row = endless.DurationFrames() / 4;
    endless.Seek(5 * row);
    EXPECT_FALSE(endless.SeekOrder(1, 0)) << "the song has one order";
    EXPECT_FALSE(endless.SeekOrder(0, 4)) << "its pattern has four rows";
    EXPECT_EQ(endless.PositionFrames(), 5 * row);
    ASSERT_TRUE(endless.SeekOrder(0, 3));
    EXPECT_EQ(endless.PositionFrames(), 3 * row);
    endless.Seek(UINT64_MAX);
    const std::uint64_t limit = std::uint64_t{4} * 3600 * 48000;  // the four hours the library's header promises
    EXPECT_EQ(endless.PositionFrames(), limit);
    std::vector<std::int16_t> out(2 * 100);
    EXPECT_EQ(endless.Render(out.data(), 100), 100u) << "and it plays on from there";
    endless.Seek(UINT64_MAX);
    EXPECT_EQ(endless.PositionFrames(), limit + 100) << "a seek on from beyond the bound stays put";
}

TEST(OfflinePlay, MutedChannelsMoveOnSoUnmutingRejoinsTheStraightRender) {
    const auto song = Loaded(BusySong());
    OfflinePlay straight(song);
    const std::vector<std::int16_t> reference = RenderAll(straight);
    OfflinePlay play(song);
    for (int c = 0; c < song->song.channelCount; ++c) ASSERT_TRUE(play.Mute(c, true));
    EXPECT_FALSE(play.Mute(song->song.channelCount, true));
    std::vector<std::int16_t> silent(2 * 5000);
    ASSERT_EQ(play.Render(silent.data(), 5000), 5000u);
    EXPECT_TRUE(test::AllZero(silent));
    for (int c = 0; c < song->song.channelCount; ++c) play.Mute(c, false);
    // From the next segment on, all of it is heard as if nothing had been muted.
    std::vector<std::int16_t> rest(2 * 2000);
    play.Render(rest.data(), 5 * kSegmentFrames - 5000);
    ASSERT_EQ(play.Render(rest.data(), 2000), 2000u);
    EXPECT_TRUE(rest == Tail(reference, 5 * kSegmentFrames, 2000));
}

TEST(OfflinePlay, GainWidthAndFloatScaleTheSamplesAsMixed) {
    const auto song = Loaded(test::ThemeBytes());
    OfflinePlay plain(song), louder(song), mono(song), floats(song);
    louder.SetGain(20 * std::log10(2.0));
    ASSERT_TRUE(mono.SetStereoSeparation(0));
    EXPECT_FALSE(mono.SetStereoSeparation(201));
    constexpr std::size_t kFrames = 20000;
    std::vector<std::int16_t> a(2 * kFrames), b(2 * kFrames), m(2 * kFrames);
    std::vector<float> f(2 * kFrames);
    plain.Render(a.data(), kFrames);
    louder.Render(b.data(), kFrames);
    mono.Render(m.data(), kFrames);
    floats.RenderFloat(f.data(), kFrames);
    int loud = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        loud += a[i] != 0 ? 1 : 0;
        if (std::abs(a[i]) < 16000) {
            EXPECT_NEAR(b[i], 2 * a[i], 2) << i;
        }
        EXPECT_NEAR(f[i] * 32768.0f, a[i], 1.0f) << i;
        if (i % 2 == 0) {
            EXPECT_EQ(m[i], m[i + 1]) << i;
        }
    }
    EXPECT_GT(loud, 1000);
}

TEST(OfflinePlay, OtherRatesKeepTheSongsTimeAndPitch) {
    const auto song = Loaded(test::ThemeBytes());
    OfflinePlay at48(song);
    for (const std::uint32_t rate : {44100u, 96000u, 8000u}) {
        OfflinePlay play(song);
        ASSERT_TRUE(play.SetRate(rate));
        // The same song time within one tick at the lowest tempo, whatever the rate.
        EXPECT_NEAR(play.Duration(), at48.Duration(), 0.021) << rate;
        std::vector<std::int16_t> out(2 * 4096);
        std::uint64_t frames = 0;
        while (const std::size_t got = play.Render(out.data(), 4096)) frames += got;
        EXPECT_EQ(frames, static_cast<std::uint64_t>(std::llround(play.Duration() * rate))) << rate;
    }
    OfflinePlay play(song);
    EXPECT_FALSE(play.DurationIsBound());
    EXPECT_FALSE(play.SetRate(7999));
    EXPECT_FALSE(play.SetRate(192001));
    play.SeekSeconds(3.0);
    ASSERT_TRUE(play.SetRate(96000));
    EXPECT_NEAR(play.Position(), 3.0, 1.0 / 96000);
}

}  // namespace
}  // namespace zumbrik
