#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "player/engine/channel_update.h"
#include "player/engine/oscillators.h"
#include "player/engine/envelope.h"
#include "player/engine/pitch.h"
#include "player/engine/play_records.h"

namespace zumbrik {
namespace {

// One channel with its voice pair, and an instrument built per test.
struct OneChannel {
    Song song{};
    Play state{};
    MixVoice* voices = state.voices;
    ChannelState& channel = state.channels[0];
    InstrumentRecord instrument{};

    OneChannel() {
        song.channelCount = 1;
        song.moduleFlags = 1;
        state.song = &song;
        state.outputRate = kOutputRate;
        state.globalVolume = 64;
        channel.volume = 64;
        channel.panning = 128;
        channel.period = 4608;
        channel.volumeEnvState.value = 64;
        channel.panningEnvState.value = 32;
        channel.fadeoutVolume = 65536;
    }
    void Update(std::uint8_t flags = UpdateVolume | UpdatePanning) {
        channel.updateFlags = flags;
        channel.periodDelta = 0;
        UpdateChannel(state, channel, kNoSample, instrument);
    }
    void SetVolumeEnvelope(std::vector<EnvelopePoint> points, std::uint8_t type, std::uint8_t sustain = 0,
                           std::uint8_t loopStart = 0, std::uint8_t loopEnd = 0) {
        for (std::size_t i = 0; i < points.size(); ++i) instrument.volumeEnvelope[i] = points[i];
        instrument.volumePointCount = static_cast<std::uint8_t>(points.size());
        instrument.volumeType = type;
        instrument.volumeSustain = sustain;
        instrument.volumeLoopStart = loopStart;
        instrument.volumeLoopEnd = loopEnd;
    }
    std::vector<std::int32_t> StepVolumeEnvelope(int ticks) {
        std::vector<std::int32_t> values;
        for (int i = 0; i < ticks; ++i) {
            AdvanceEnvelope(channel, instrument, EnvelopeKind::Volume);
            values.push_back(channel.volumeEnvState.value);
        }
        return values;
    }
};

TEST(UpdateChannel, VolumeCombinesChannelGlobalEnvelopeAndFade) {
    OneChannel one;
    one.Update();
    EXPECT_EQ(one.voices[0].volume, 127u);
    one.channel.volume = 32;
    one.Update();
    EXPECT_EQ(one.voices[0].volume, 63u);
    one.channel.volume = 300;  // clamped at full
    one.Update();
    EXPECT_EQ(one.voices[0].volume, 127u);
    one.channel.volume = -5;
    one.Update();
    EXPECT_EQ(one.voices[0].volume, 0u);
    one.channel.volume = 64;
    one.state.globalVolume = 1 << 30;  // far outside, but no overflow
    one.Update();
    EXPECT_EQ(one.voices[0].volume, 127u);
}

TEST(UpdateChannel, PanningEnvelopeShiftsLessNearTheEdges) {
    OneChannel one;
    auto pan = [&](std::int32_t panning, std::int32_t envelope) {
        one.channel.panning = panning;
        one.channel.panningEnvState.value = envelope;
        one.Update();
        return one.voices[0].panning;
    };
    EXPECT_EQ(pan(128, 64), 255u);
    EXPECT_EQ(pan(0, 64), 0u);
    EXPECT_EQ(pan(255, 0), 255u);
    EXPECT_EQ(pan(200, 0), 168u);
    EXPECT_EQ(one.voices[0].targetRight, 127u * 168 / 255);
    EXPECT_EQ(one.voices[0].targetLeft, 127u * (255 - 168) / 255);
}

TEST(UpdateChannel, ANoteStartMovesToTheOtherVoiceAndFadesTheOldOne) {
    OneChannel one;
    SampleRecord first = kNoSample;
    SampleRecord second = kNoSample;
    one.channel.updateFlags = StartNote | UpdateVolume | UpdatePanning;
    UpdateChannel(one.state, one.channel, first, one.instrument);
    ASSERT_EQ(one.channel.voice, 0);
    EXPECT_EQ(one.voices[0].sample, &first);
    one.voices[0].currentLeft = 5000;
    one.voices[0].startOffset = 77;

    one.channel.updateFlags = StartNote;
    UpdateChannel(one.state, one.channel, second, one.instrument);
    EXPECT_EQ(one.channel.voice, 1);
    EXPECT_EQ(one.voices[1].sample, &second);
    EXPECT_EQ(one.voices[1].position, 77u);  // the offset travels with the note
    EXPECT_EQ(one.voices[1].currentLeft, 0);
    EXPECT_EQ(one.voices[1].volume, 127u);
    EXPECT_EQ(one.voices[0].volume, 0u);
    EXPECT_EQ(one.voices[0].targetLeft, 0u);
    EXPECT_EQ(one.voices[0].sample, &first);  // still mixed while it ramps out
}

TEST(AutoVibrato, SweepZeroActsAtFullDepthAndASweepGrowsLinearly) {
    OneChannel one;
    one.instrument.vibratoType = 1;  // square: +64 for the first half
    one.instrument.vibratoDepth = 8;
    one.instrument.vibratoRate = 1;
    one.Update(0);
    EXPECT_EQ(one.channel.periodDelta, 64 * 8 >> 6);

    OneChannel swept;
    swept.instrument.vibratoType = 1;
    swept.instrument.vibratoDepth = 16;
    swept.instrument.vibratoSweep = 8;
    swept.instrument.vibratoRate = 1;
    std::vector<std::int32_t> deltas;
    for (int tick = 0; tick < 10; ++tick) {
        swept.Update(0);
        deltas.push_back(swept.channel.periodDelta);
    }
    EXPECT_EQ(deltas, (std::vector<std::int32_t>{0, 2, 4, 6, 8, 10, 12, 14, 16, 16}));
    // The other waveforms at their turning points: sine, falling and rising ramps.
    EXPECT_EQ(AutoVibratoWave(0, 192), -64);
    EXPECT_EQ(AutoVibratoWave(2, 127), -64);
    EXPECT_EQ(AutoVibratoWave(3, 129), -64);
    EXPECT_EQ(AutoVibratoWave(3, 255), -1);
}

// Each kind reads its own type and point count; the other kind is set the
// opposite way, so reading the wrong fields fails.
TEST(Envelope, RunsWithTypeBitZeroAndTwoPoints) {
    struct Case {
        std::uint8_t type;
        std::uint8_t points;
        bool active;
    };
    for (const Case c : {Case{1, 2, true}, Case{1 | 2 | 4, 200, true}, Case{1, 1, false}, Case{1, 0, false},
                         Case{2 | 4, 12, false}, Case{0, 12, false}}) {
        InstrumentRecord instrument{};
        instrument.volumeType = c.type;
        instrument.volumePointCount = c.points;
        instrument.panningType = c.active ? 0 : 1;
        instrument.panningPointCount = c.active ? 0 : 12;
        EXPECT_EQ(EnvelopeActive(instrument, EnvelopeKind::Volume), c.active) << int{c.type} << " " << int{c.points};
        std::swap(instrument.volumeType, instrument.panningType);
        std::swap(instrument.volumePointCount, instrument.panningPointCount);
        EXPECT_EQ(EnvelopeActive(instrument, EnvelopeKind::Panning), c.active) << int{c.type} << " " << int{c.points};
    }
}

TEST(Envelope, HoldsAtSustainUntilKeyOffThenMovesOn) {
    OneChannel one;
    one.SetVolumeEnvelope({{0, 64}, {4, 32}, {8, 0}}, 1 | 2, 1);
    EXPECT_EQ(one.StepVolumeEnvelope(8), (std::vector<std::int32_t>{64, 56, 48, 40, 32, 32, 32, 32}));
    one.channel.keyReleased = 1;
    EXPECT_EQ(one.StepVolumeEnvelope(6), (std::vector<std::int32_t>{32, 24, 16, 8, 0, 0}));
    EXPECT_EQ(one.channel.volumeEnvState.finished, 1);
}

TEST(Envelope, LoopsBetweenItsLoopPoints) {
    OneChannel one;
    one.SetVolumeEnvelope({{0, 0}, {2, 64}, {4, 32}}, 1 | 4, 0, 1, 2);
    EXPECT_EQ(one.StepVolumeEnvelope(9), (std::vector<std::int32_t>{0, 32, 64, 48, 64, 48, 64, 48, 64}));
    EXPECT_EQ(one.channel.volumeEnvState.finished, 0);
}

TEST(Envelope, DamagedEnvelopesStayInRange) {
    OneChannel one;
    // 200 points claimed, values above 64, a sustain index past the points,
    // and tick positions that fall.
    one.SetVolumeEnvelope({{0, 200}, {10, 0}, {3, 64}, {3, 20}}, 1 | 2 | 4, 50, 40, 60);
    one.instrument.volumePointCount = 200;
    for (std::int32_t value : one.StepVolumeEnvelope(400)) {
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 64);
    }
    EXPECT_EQ(one.channel.volumeEnvState.finished, 1);  // point 11 of 12 reached
}

TEST(EffectL, SetsTheVolumeEnvelopePosition) {
    OneChannel one;
    one.SetVolumeEnvelope({{0, 64}, {10, 0}, {20, 40}}, 1);
    SetVolumeEnvelopePosition(one.channel, one.instrument, 5);
    EXPECT_EQ(one.channel.volumeEnvState.value, 32);
    EXPECT_EQ(one.StepVolumeEnvelope(7), (std::vector<std::int32_t>{25, 19, 12, 6, 0, 0, 4}));

    SetVolumeEnvelopePosition(one.channel, one.instrument, 90);
    EXPECT_EQ(one.channel.volumeEnvState.value, 40);
    EXPECT_EQ(one.channel.volumeEnvState.finished, 1);

    one.instrument.volumeType = 0;  // without an envelope L does nothing
    one.channel.volumeEnvState.value = 11;
    SetVolumeEnvelopePosition(one.channel, one.instrument, 5);
    EXPECT_EQ(one.channel.volumeEnvState.value, 11);
}

}  // namespace
}  // namespace zumbrik
