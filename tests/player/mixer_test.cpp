#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "player/mixer/cpu_dispatch.h"
#include "player/mixer/mixer.h"
#include "player/mixer/mixer_kernel.h"

namespace zumbrik {
namespace {

constexpr std::int32_t kFullVolume = 255 * 128;

// A sample record over its own data, with room for the guard and the two
// entries after it, as the loader lays it out.
struct TestSample {
    std::vector<std::int16_t> data;
    SampleRecord record{};

    TestSample(std::vector<std::int16_t> values, std::uint8_t loopType = NoLoop, std::uint32_t loopStart = 0,
               std::uint32_t loopLength = 0) {
        const auto length = static_cast<std::uint32_t>(values.size());
        data = values;
        data.resize(values.size() + 3, 0);
        if (loopType == NoLoop) {
            loopStart = 0;
            loopLength = length;
        }
        const std::uint32_t loopEnd = loopStart + loopLength;
        if (loopType == ForwardLoop) data[loopEnd] = data[loopStart];
        if (loopType == PingPongLoop) data[loopEnd] = data[loopEnd - 1];
        record.length = length;
        record.loopStart = loopStart;
        record.loopLength = loopLength;
        record.loopType = loopType;
        record.data = data.data();
    }
};

// A voice already at full volume on both sides (no ramp pending).
MixVoice SteadyVoice(const SampleRecord& sample, std::uint32_t stepInteger = 1, std::uint32_t stepFraction = 0) {
    MixVoice voice{};
    voice.sample = &sample;
    voice.stepInteger = stepInteger;
    voice.stepFraction = stepFraction;
    voice.targetLeft = voice.targetRight = 255;
    voice.currentLeft = voice.currentRight = kFullVolume;
    return voice;
}

std::vector<std::int32_t> MixFrames(MixVoice& voice, std::uint32_t frames) {
    std::vector<std::int32_t> out(2 * static_cast<std::size_t>(frames), 0);
    MixOneVoice(voice, out.data(), frames);
    return out;
}

std::vector<std::int32_t> LeftOf(const std::vector<std::int32_t>& frames) {
    std::vector<std::int32_t> left;
    for (std::size_t i = 0; i < frames.size(); i += 2) left.push_back(frames[i]);
    return left;
}

TEST(MixerInterpolation, IsExactAtWholeAndHalfPositionsAndRoundsDown) {
    EXPECT_EQ(InterpolateSample(100, 30000, 0), 6400);
    EXPECT_EQ(InterpolateSample(100, 103, 0x80000000u), 6400 + 3 * 32);
    EXPECT_EQ(InterpolateSample(0, 1, 0xFFFFFFFFu), 63);
    EXPECT_EQ(InterpolateSample(0, -1, 0xFFFFFFFFu), -64);  // toward minus infinity
    EXPECT_EQ(InterpolateSample(-32768, 32767, 0x80000000u), -32768 * 64 + 65535 * 32);
    // Full volume turns s x 64 back into s x 16320; a negative product is
    // rounded toward zero before the last halving.
    EXPECT_EQ(VoiceContribution(64 * 1000, kFullVolume), 1000 * 16320);
    EXPECT_EQ(VoiceContribution(-64, 1), 0);
    EXPECT_EQ(VoiceContribution(-192, 1), -1);
    EXPECT_EQ(VoiceContribution(192, 1), 1);
}

TEST(MixerVoice, PlaysAnUnloopedSampleFrameByFrameThenStops) {
    TestSample sample({1000, -2000, 3000, -4000});
    MixVoice voice = SteadyVoice(sample.record);
    const auto out = MixFrames(voice, 7);
    const std::vector<std::int32_t> left = LeftOf(out);
    EXPECT_EQ(left, (std::vector<std::int32_t>{1000 * 16320, -2000 * 16320, 3000 * 16320, -4000 * 16320, 0, 0, 0}));
    EXPECT_EQ(out[1], 1000 * 16320);
    EXPECT_EQ(voice.sample, nullptr);
    EXPECT_EQ(voice.position, 0u);
}

TEST(MixerVoice, HalfStepInterpolatesBetweenNeighbours) {
    TestSample sample({0, 1000, 3000, 3000});
    MixVoice voice = SteadyVoice(sample.record, 0, 0x80000000u);
    const std::vector<std::int32_t> left = LeftOf(MixFrames(voice, 4));
    EXPECT_EQ(left, (std::vector<std::int32_t>{0, 500 * 16320, 1000 * 16320, 2000 * 16320}));
}

TEST(MixerVoice, SitsOnItsBoundaryAtDistanceZero) {
    TestSample unlooped({5, 6, 7});
    MixVoice stopped = SteadyVoice(unlooped.record);
    stopped.position = 3;
    EXPECT_EQ(LeftOf(MixFrames(stopped, 2)), (std::vector<std::int32_t>{0, 0}));
    EXPECT_EQ(stopped.sample, nullptr);

    TestSample looped({1, 2, 3, 4}, ForwardLoop, 1, 3);
    MixVoice wrapped = SteadyVoice(looped.record);
    wrapped.position = 4;
    EXPECT_EQ(LeftOf(MixFrames(wrapped, 4)), (std::vector<std::int32_t>{2 * 16320, 3 * 16320, 4 * 16320, 2 * 16320}));

    // Three whole steps from a hair below frame 1 stop a hair short of the loop's end (the count
    // is taken from positions shifted right by 5): the loop starts afresh, at frame 0.
    TestSample rising({10, 10, 10, 40}, ForwardLoop, 0, 4);
    MixVoice shortOfEnd = SteadyVoice(rising.record);
    shortOfEnd.positionFraction = 0xFFFFFFE1u;
    EXPECT_EQ(LeftOf(MixFrames(shortOfEnd, 4))[3], 10 * 16320);
}

TEST(MixerVoice, ForwardLoopsRepeatTheirSpanIncludingALoopOfOne) {
    TestSample sample({1, 2, 3, 4}, ForwardLoop, 1, 3);
    MixVoice voice = SteadyVoice(sample.record);
    EXPECT_EQ(LeftOf(MixFrames(voice, 9)),
              (std::vector<std::int32_t>{1 * 16320, 2 * 16320, 3 * 16320, 4 * 16320, 2 * 16320, 3 * 16320, 4 * 16320,
                                         2 * 16320, 3 * 16320}));

    TestSample single({10, 20, 30}, ForwardLoop, 2, 1);
    EXPECT_EQ(single.data[3], 30);  // the guard equals the looped sample
    MixVoice held = SteadyVoice(single.record, 0, 0x40000000u);
    const std::vector<std::int32_t> left = LeftOf(MixFrames(held, 20));
    for (std::size_t i = 8; i < left.size(); ++i) EXPECT_EQ(left[i], 30 * 16320) << i;
}

// Steps shorter and longer than the loop land on the same spot modulo its
// length; the data is i x 10 at frame i, so each output tells the frame read.
TEST(MixerVoice, ForwardLoopsWrapByTheLoopLengthWhateverTheStep) {
    std::vector<std::int16_t> ramp;
    for (std::int16_t i = 0; i < 16; ++i) ramp.push_back(static_cast<std::int16_t>(10 * i));
    TestSample sample(ramp, ForwardLoop, 2, 3);
    const struct {
        std::uint32_t step;
        std::vector<std::int32_t> framesRead;
    } cases[] = {
        {2, {0, 2, 4, 3, 2, 4, 3, 2}},
        {7, {0, 4, 2, 3, 4, 2, 3, 4}},  // 7 is 2 loops and 1 frame
        {37, {0, 4, 2, 3, 4, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        MixVoice voice = SteadyVoice(sample.record, c.step);
        std::vector<std::int32_t> expected;
        for (std::int32_t frame : c.framesRead) expected.push_back(frame * 10 * 16320);
        EXPECT_EQ(LeftOf(MixFrames(voice, 8)), expected) << "step " << c.step;
    }
}

// A voice moved unheard may skip a forward loop's passes at once; where the
// frame count's rounding (on positions >> 5) ends a pass late or short, it
// must still land where mixing, pass by pass, takes it. Each case aims the
// third pass at such an edge (ov: how far its last frame goes past the loop
// end; late below 31 per frame of the pass, short within 32 of the step) and
// ends the call on its crossing.
TEST(MixerVoice, AnUnheardVoiceLandsWhereMixingTakesItAtTheRoundingsEdges) {
    TestSample sample(std::vector<std::int16_t>(600, 1), ForwardLoop, 5, 0);
    const struct {
        std::uint32_t loopLength;
        std::uint64_t step;
        std::uint64_t thirdOvershoot;
    } cases[] = {
        {40, 0x1'0000'001Fu, 0},  {40, 0x1'0000'001Fu, 600}, {40, 0x1'0000'001Fu, 1200},
        {97, 0x2'8000'003Fu, 100}, {300, 0x1'4000'00FFu, 3000}, {300, 0x1'4000'00FFu, 20},
        {13, 0x0'C000'0001u, 5},   {13, 0x0'C000'0001u, 2},     {250, 0x1'0000'0000u, 0},
        // Short: the pass's last frame falls under 32 below the loop end.
        {250, 0x1'0000'0000u, 0x1'0000'0000u - 7}, {40, 0x1'0000'0040u, 0x1'0000'0040u - 20},
    };
    for (const auto& c : cases) {
        sample.record.loopLength = c.loopLength;
        const std::uint64_t loop = std::uint64_t{c.loopLength} << 32;
        const std::uint64_t s = c.step;
        // Pass k + 1 overshoots by (overshoot of pass k - loop) modulo the step.
        const std::uint64_t firstOvershoot = (c.thirdOvershoot + 2 * loop) % s;
        const std::uint64_t firstDistance = (loop / s) * s - firstOvershoot;
        const std::uint64_t secondOvershoot = (firstOvershoot + s - loop % s) % s;
        const auto passFrames = [&](std::uint64_t distance) { return (distance + s - 1) / s; };
        const std::uint64_t frames = passFrames(firstDistance) + passFrames(loop - firstOvershoot) +
                                     passFrames(loop - secondOvershoot);
        MixVoice heard = SteadyVoice(sample.record, static_cast<std::uint32_t>(s >> 32), static_cast<std::uint32_t>(s));
        const std::uint64_t start = ((5 + std::uint64_t{c.loopLength}) << 32) - firstDistance;
        heard.position = static_cast<std::uint32_t>(start >> 32);
        heard.positionFraction = static_cast<std::uint32_t>(start);
        MixVoice unheard = heard;
        MixFrames(heard, static_cast<std::uint32_t>(frames));
        MoveVoices(&unheard, 1, MixPaceFor(48000), static_cast<std::uint32_t>(frames));
        EXPECT_EQ(unheard.position, heard.position) << c.loopLength << " ov " << c.thirdOvershoot;
        EXPECT_EQ(unheard.positionFraction, heard.positionFraction) << c.loopLength << " ov " << c.thirdOvershoot;
    }
}

// The same over random loops, steps, starts and lengths: whichever passes the
// unheard voice skips, it lands where mixing takes it.
TEST(MixerVoice, AnUnheardVoiceLandsWhereMixingTakesItAnywhere) {
    TestSample sample(std::vector<std::int16_t>(600, 1), ForwardLoop, 5, 0);
    std::mt19937_64 random(2718);
    for (int trial = 0; trial < 3000; ++trial) {
        sample.record.loopLength = 1 + static_cast<std::uint32_t>(random() % 400);
        const std::uint64_t step = (random() % (std::uint64_t{3} << 32)) + (std::uint64_t{1} << 28);
        MixVoice heard = SteadyVoice(sample.record, static_cast<std::uint32_t>(step >> 32), static_cast<std::uint32_t>(step));
        const std::uint64_t start = (std::uint64_t{5} << 32) + random() % (std::uint64_t{sample.record.loopLength} << 32);
        heard.position = static_cast<std::uint32_t>(start >> 32);
        heard.positionFraction = static_cast<std::uint32_t>(start);
        MixVoice unheard = heard;
        const auto frames = static_cast<std::uint32_t>(1 + random() % 20000);
        MixFrames(heard, frames);
        MoveVoices(&unheard, 1, MixPaceFor(48000), frames);
        ASSERT_EQ(unheard.position, heard.position) << trial;
        ASSERT_EQ(unheard.positionFraction, heard.positionFraction) << trial;
    }
}

TEST(MixerVoice, PingPongLoopsTurnAtBothEndsAndStayInside) {
    TestSample sample({0, 100, 200, 300, 400}, PingPongLoop, 1, 3);
    MixVoice voice = SteadyVoice(sample.record);
    const std::vector<std::int32_t> left = LeftOf(MixFrames(voice, 14));
    std::vector<std::int32_t> expected;
    for (int s : {0, 100, 200, 300, 300, 300, 200, 100, 200, 300, 300, 300, 200, 100}) expected.push_back(s * 16320);
    EXPECT_EQ(left, expected);

    // An overshoot of exactly the loop's length lands on its start heading back, and turns at once.
    MixVoice onStart = SteadyVoice(sample.record, 6);
    onStart.position = 1;
    EXPECT_EQ(LeftOf(MixFrames(onStart, 4)), std::vector<std::int32_t>(4, 100 * 16320));

    // Steps far longer than the loop, and a loop of one frame, still end up
    // inside the loop after every turn, with the frames all mixed.
    for (std::uint32_t loopLength : {1u, 3u}) {
        for (std::uint32_t step : {1u, 7u, 37u}) {
            TestSample bouncy(std::vector<std::int16_t>(64, 500), PingPongLoop, 10, loopLength);
            MixVoice v = SteadyVoice(bouncy.record, step, 0x12345678u);
            const std::vector<std::int32_t> mixed = LeftOf(MixFrames(v, 1024));
            EXPECT_EQ(mixed.back(), 500 * 16320) << loopLength << " " << step;
            EXPECT_GE(v.position, 10u);
            EXPECT_LE(v.position, 10u + loopLength);
        }
    }
}

TEST(MixerVoice, PingPongFromLoopStartZeroNeverReadsBeforeTheData) {
    // Fractional steps round the frame count; the backward run must stop at
    // the loop start rather than step below frame 0 (ASan watches the reads).
    TestSample sample({7, 7, 7, 7, 7, 7, 7}, PingPongLoop, 0, 7);
    for (std::uint32_t fraction : {0x0000001Fu, 0x55555555u, 0xFFFFFFF0u}) {
        MixVoice voice = SteadyVoice(sample.record, 0, fraction);
        voice.position = 3;
        voice.backwards = 1;
        const std::vector<std::int32_t> left = LeftOf(MixFrames(voice, 1024));
        for (std::int32_t value : left) ASSERT_EQ(value, 7 * 16320);
        EXPECT_LT(voice.position, 8u);
    }
    // A step whose low five bits the frame count drops, one call's frames from the start but
    // for 100 units: the run must still turn there, not end below it.
    TestSample wide(std::vector<std::int16_t>(300, 7), PingPongLoop, 0, 300);
    MixVoice voice = SteadyVoice(wide.record, 0, 0x4000001Fu);
    const std::uint64_t start = std::uint64_t{0x4000001Fu} * 1024 - 100;
    voice.position = static_cast<std::uint32_t>(start >> 32);
    voice.positionFraction = static_cast<std::uint32_t>(start);
    voice.backwards = 1;
    for (int call = 0; call < 2; ++call) {
        for (std::int32_t value : LeftOf(MixFrames(voice, 1024))) ASSERT_EQ(value, 7 * 16320) << call;
    }
    EXPECT_LT(voice.position, 300u);
}

// A backward step that ends below frame 0 still mirrors about the loop start
// (folding back into the loop when it overshoots it). The data is a straight
// ramp of 1000 per frame, so each frame's output tells the position it read.
TEST(MixerVoice, PingPongTurnsBelowFrameZeroMirrorInBothKernelSets) {
    struct Case {
        std::uint32_t loopStart, loopLength, stepInteger, stepFraction;  // 1.39: 0x63D70A3D, 4.97: 0xF851EB85
        double start;                    // backward from here
        std::vector<double> read;        // positions of the frames mixed, worked by hand
        double last;                     // where the voice is after them
        std::uint8_t lastBackwards;
    };
    const std::vector<Case> cases = {
        // 1.06 - 1.39 = -0.33: mirrored about 1 to 2.33, forward.
        {1, 7, 1, 0x63D70A3Du, 5.23, {5.23, 3.84, 2.45, 1.06, 2.33, 3.72, 5.11}, 6.50, 0},
        // 2.07 - 4.97 = -2.90 mirrors to 2.90 forward; 2.90 + 4.97 = 7.87 is
        // 4.87 past 3, beyond the other end: 1.87 forward; 6.84 -> 0.84
        // forward; 5.81 -> 3 - 2.81 = 0.19 backward; 0.19 - 4.97 = -4.78,
        // 4.78 past 0, beyond 3: 3 - 1.78 = 1.22 backward; 1.22 - 4.97 =
        // -3.75 -> 3 - 0.75 = 2.25 backward.
        {0, 3, 4, 0xF851EB85u, 1.04, {1.04, 2.07, 2.90, 1.87, 0.84, 0.19, 1.22}, 2.25, 1},
    };
    for (const KernelChoice choice : kAllKernelChoices) {
        if (!UseKernels(choice)) continue;  // not on this processor
        for (const Case& c : cases) {
            TestSample sample({0, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000}, PingPongLoop, c.loopStart,
                              c.loopLength);
            sample.data[c.loopStart + c.loopLength] = static_cast<std::int16_t>(1000 * (c.loopStart + c.loopLength));
            MixVoice voice = SteadyVoice(sample.record, c.stepInteger, c.stepFraction);
            const auto startFixed = static_cast<std::uint64_t>(c.start * 4294967296.0);
            voice.position = static_cast<std::uint32_t>(startFixed >> 32);
            voice.positionFraction = static_cast<std::uint32_t>(startFixed);
            voice.backwards = 1;
            const auto frames = static_cast<std::uint32_t>(c.read.size());
            const std::vector<std::int32_t> left = LeftOf(MixFrames(voice, frames));
            for (std::uint32_t k = 0; k < frames; ++k) {
                EXPECT_NEAR(left[k] / (255.0 * 64000.0), c.read[k], 0.005)
                    << "kernels " << static_cast<int>(choice) << ", loop from " << c.loopStart << ", frame " << k;
            }
            EXPECT_NEAR(voice.position + voice.positionFraction / 4294967296.0, c.last, 0.005);
            EXPECT_EQ(voice.backwards, c.lastBackwards);
        }
    }
    UseKernels(KernelSelectionAtStart().running);
}

TEST(MixerVoice, AVanishingStepCrawlsAtAbout40Hz) {
    TestSample sample(std::vector<std::int16_t>(100, 1), ForwardLoop, 0, 100);
    MixVoice voice = SteadyVoice(sample.record, 0, 0);
    MixFrames(voice, 1024);
    EXPECT_EQ(voice.stepFraction, 0x369D00u);
    const std::uint64_t advanced = (std::uint64_t{voice.position} << 32) | voice.positionFraction;
    EXPECT_EQ(advanced, std::uint64_t{1024} * 0x369D00u);
    // Crawling, it still stops on the frame that takes it past its end: 2 frames take 2401.
    TestSample two({5, 5});
    for (const std::uint32_t frames : {2400u, 2401u}) {
        MixVoice crawler = SteadyVoice(two.record, 0, 0);
        MixFrames(crawler, frames);
        EXPECT_EQ(crawler.sample == nullptr, frames == 2401u) << frames;
    }
}

TEST(MixerVoice, HugeStepsStopAtTheEndOfTheData) {
    // 40 frames per output frame: a divisor cut to 32 bits would let the
    // voice run on for 13 frames, far past the 100 frames it has.
    TestSample sample(std::vector<std::int16_t>(100, 3));
    MixVoice voice = SteadyVoice(sample.record, 40, 0);
    const std::vector<std::int32_t> left = LeftOf(MixFrames(voice, 16));
    EXPECT_EQ(left[0], 3 * 16320);
    EXPECT_EQ(left[2], 3 * 16320);
    for (std::size_t i = 3; i < left.size(); ++i) EXPECT_EQ(left[i], 0) << i;
    EXPECT_EQ(voice.sample, nullptr);
}

TEST(MixerRamp, NoteStartsFadeInOver128Frames) {
    TestSample sample(std::vector<std::int16_t>(400, 1000), ForwardLoop, 0, 400);
    MixVoice voice{};
    voice.sample = &sample.record;
    voice.stepInteger = 1;
    voice.targetLeft = 127;
    voice.targetRight = 0;
    const auto out = MixFrames(voice, 200);
    for (int k : {0, 1, 64, 127}) {
        EXPECT_EQ(out[2 * k], VoiceContribution(64000, 127 * k)) << k;
    }
    EXPECT_EQ(out[2 * 128], VoiceContribution(64000, 127 * 128));
    EXPECT_EQ(out[2 * 199], VoiceContribution(64000, 127 * 128));
    EXPECT_EQ(out[2 * 199 + 1], 0);
    EXPECT_EQ(voice.rampFramesLeft, 0);
    EXPECT_EQ(voice.currentLeft, 127 * 128);
}

TEST(MixerRamp, ATargetChangeMidRampStartsAFreshRampFromTheVolumeReached) {
    TestSample sample(std::vector<std::int16_t>(400, 1000), ForwardLoop, 0, 400);
    MixVoice voice{};
    voice.sample = &sample.record;
    voice.stepInteger = 1;
    voice.targetLeft = voice.targetRight = 100;
    MixFrames(voice, 64);
    ASSERT_EQ(voice.currentLeft, 64 * 100);
    voice.targetLeft = voice.targetRight = 20;
    const auto out = MixFrames(voice, 130);
    const std::int32_t step = (20 * 128 - 6400) >> 7;
    EXPECT_EQ(out[0], VoiceContribution(64000, 6400));
    EXPECT_EQ(out[2], VoiceContribution(64000, 6400 + step));
    EXPECT_EQ(voice.currentLeft, 6400 + 128 * step);
    EXPECT_EQ(voice.rampFramesLeft, 0);
}

TEST(MixerRamp, AFadedVoiceRampsOutAndGoesOnSilently) {
    TestSample sample(std::vector<std::int16_t>(300, 1000), ForwardLoop, 0, 300);
    MixVoice voice = SteadyVoice(sample.record);
    voice.targetLeft = voice.targetRight = 0;
    const auto out = MixFrames(voice, 256);
    EXPECT_NE(out[2 * 100], 0);
    EXPECT_EQ(out[2 * 128], 0);
    EXPECT_EQ(out[2 * 255], 0);
    EXPECT_EQ(voice.sample, &sample.record);
    EXPECT_EQ(voice.position, 256u);
}

TEST(Mixer, AddsEveryVoiceIntoTheSameFrames) {
    TestSample a(std::vector<std::int16_t>(50, 10));
    TestSample b(std::vector<std::int16_t>(50, -3));
    MixVoice voices[4] = {SteadyVoice(a.record), {}, {}, SteadyVoice(b.record)};
    std::vector<std::int32_t> out(8, 1);
    Mix(voices, 4, MixPaceFor(48000), out.data(), 4);
    EXPECT_EQ(out[6], 1 + 7 * 16320);
    EXPECT_EQ(out[7], 1 + 7 * 16320);
}

}  // namespace
}  // namespace zumbrik
