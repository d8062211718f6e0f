#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "player/mixer/cpu_dispatch.h"
#include "player/mixer/mixer.h"
#include "player/mixer/mixer_kernel.h"

namespace zumbrik {
namespace {

TEST(KernelSelection, HonoursAKnownRequestElseRunsTheBestAndSaysWhy) {
    struct Case {
        const char* requested;
        bool vectorsAvailable;  // every set
        KernelChoice running;
        const char* problemPart;  // null: no problem
    };
    const Case cases[] = {
        {nullptr, true, KernelChoice::Avx2, nullptr},
        {"", false, KernelChoice::Portable, nullptr},
        {"portable", true, KernelChoice::Portable, nullptr},
        {"sse2", true, KernelChoice::Sse2, nullptr},
        {"avx2", true, KernelChoice::Avx2, nullptr},
        {"avx2", false, KernelChoice::Portable, "no avx2 kernels"},
        {"sse2", false, KernelChoice::Portable, "no sse2 kernels"},
        {"neon", true, KernelChoice::Neon, nullptr},
        {"AVX2", true, KernelChoice::Avx2, "=AVX2: unknown kernel set (portable, neon, sse2, avx2)"},
        {"sse\x1b[2J", false, KernelChoice::Portable, "=sse?[2J: unknown"},
        {" sse2\x7f", false, KernelChoice::Portable, "= sse2?: unknown"},
        {"0123456789012345678901234567890123456789 and on", false, KernelChoice::Portable,
         "=0123456789012345678901234567890123456789: unknown"},
    };
    for (const Case& c : cases) {
        const KernelSelection selection =
            c.vectorsAvailable ? SelectKernels(c.requested, [](KernelChoice) { return true; })
                               : SelectKernels(c.requested, [](KernelChoice k) { return k == KernelChoice::Portable; });
        const std::string shown = c.requested ? c.requested : "(unset)";
        EXPECT_EQ(selection.running, c.running) << shown;
        if (c.problemPart == nullptr) {
            EXPECT_EQ(selection.problem, "") << shown;
        } else {
            EXPECT_NE(selection.problem.find(c.problemPart), std::string::npos) << shown << ": " << selection.problem;
        }
    }
}

// The mix run as the sum is defined, one frame at a time.
void ReferenceRun(const std::int16_t* data, VoiceRun& run, std::uint32_t* out, std::uint32_t frames) {
    for (std::uint32_t k = 0; k < frames; ++k) {
        const auto i = static_cast<std::uint32_t>(run.position >> 32);
        const std::int64_t sample = InterpolateSample(data[i], data[i + 1], static_cast<std::uint32_t>(run.position));
        out[2 * k] += static_cast<std::uint32_t>(VoiceContribution(sample, run.left));
        out[2 * k + 1] += static_cast<std::uint32_t>(VoiceContribution(sample, run.right));
        run.left += run.stepLeft;
        run.right += run.stepRight;
        run.position += run.delta;
    }
}

TEST(MixerKernel, EveryKernelSetMatchesTheFrameByFrameSumBitForBit) {
    std::mt19937 random(7);
    std::vector<std::int16_t> data(5003);
    for (std::int16_t& value : data) value = static_cast<std::int16_t>(random());
    // Extremes side by side: the widest difference, both ways.
    data[100] = -32768;
    data[101] = 32767;
    data[102] = -32768;
    // A set this build compiled is offered whole (AVX2 also needs the processor's word).
    EXPECT_EQ(KernelsFor(KernelChoice::Sse2).has_value(), Sse2MixRun() != nullptr);
    EXPECT_EQ(KernelsFor(KernelChoice::Neon).has_value(), NeonMixRun() != nullptr);
#if defined(__x86_64__) || defined(__i386__)
    const bool processorHasAvx2 = __builtin_cpu_supports("avx2") != 0;
#else
    const bool processorHasAvx2 = false;
#endif
    EXPECT_EQ(KernelsFor(KernelChoice::Avx2).has_value(), Avx2MixRun() != nullptr && processorHasAvx2);
    for (const KernelChoice choice : kAllKernelChoices) {
        const std::optional<Kernels> kernels = KernelsFor(choice);
        if (!kernels) continue;  // not on this processor
        for (int trial = 0; trial < 2000; ++trial) {
            const std::uint32_t frames = random() % 300;
            const bool backward = trial % 3 == 0;
            // Steps below one frame, up to six, and beyond take the vector
            // versions' ways of fetching samples; whole steps land every
            // frame on a sample.
            const std::uint32_t whole = trial % 5 == 2 ? 6 + random() % 4 : random() % 4;
            const std::uint64_t step =
                trial % 4 == 1 ? (std::uint64_t{random() % 2} << 32) : (std::uint64_t{whole} << 32) | random();
            // Keep every frame inside the data, as the boundary logic does;
            // some runs reach its last samples (entries - 3, as a sample's
            // end), where the vector versions' windows stop fitting.
            const std::uint64_t span = step * frames + (std::uint64_t{2} << 32);
            const std::uint64_t room = (std::uint64_t{4990} << 32) - span;
            const std::uint64_t offset = trial % 7 == 3 ? std::uint64_t{99} << 32 | random()
                                                        : (static_cast<std::uint64_t>(random()) << 20) % room;
            const std::uint64_t farEnd = (std::uint64_t{data.size() - 5} << 32) + 3 * static_cast<std::uint64_t>(random());
            const std::uint64_t travel = step * (frames > 0 ? frames - 1 : 0);
            VoiceRun run{};
            if (trial % 5 == 4) {
                run.position = backward ? farEnd : farEnd - travel;
            } else {
                run.position = backward ? offset + span : offset;
            }
            run.delta = backward ? 0 - step : step;
            // Volumes inside and outside 0..32767, and ramps crossing either end.
            run.left = static_cast<std::int32_t>(random() % 40000) - 4000;
            // Equal sides too: a centred voice, steady or ramping.
            run.right = trial % 11 == 5   ? 32767
                        : trial % 13 == 4 ? run.left
                                          : static_cast<std::int32_t>(random() % 40000) - 4000;
            run.stepLeft = trial % 2 == 0 ? static_cast<std::int32_t>(random() % 256) - 128 : 0;
            run.stepRight = trial % 2 == 0 ? static_cast<std::int32_t>(random() % 256) - 128 : 0;
            VoiceRun expectedRun = run;
            std::vector<std::uint32_t> expected(2 * std::size_t{frames} + 2, 5);
            std::vector<std::uint32_t> actual = expected;
            ReferenceRun(data.data(), expectedRun, expected.data(), frames);
            kernels->mixRun(data.data(), static_cast<std::uint32_t>(data.size()), run, actual.data(), frames);
            ASSERT_EQ(actual, expected) << KernelName(choice) << ", trial " << trial;
            ASSERT_EQ(run.position, expectedRun.position) << KernelName(choice);
            ASSERT_EQ(run.left, expectedRun.left) << KernelName(choice);
            ASSERT_EQ(run.right, expectedRun.right) << KernelName(choice);
        }
    }
}

// Fractions and steps at the edges of the 32-bit carry into the sample
// index, where a version that moves index and fraction apart could slip.
TEST(MixerKernel, FractionsAtTheCarryMatchTheFrameByFrameSum) {
    std::mt19937 random(11);
    std::vector<std::int16_t> data(4096);
    for (std::int16_t& value : data) value = static_cast<std::int16_t>(random());
    const std::uint32_t edges[] = {0, 1, 0x40000001, 0x80000000, 0xFFFFFFFE, 0xFFFFFFFF};
    const std::int32_t sides[][2] = {{20000, 20000}, {1000, 32767}};
    constexpr std::uint32_t kFrames = 70;  // rounds of frames, a part round, a part vector
    for (const KernelChoice choice : kAllKernelChoices) {
        const std::optional<Kernels> kernels = KernelsFor(choice);
        if (!kernels) continue;
        for (const std::uint32_t start : edges) {
            for (const std::uint32_t fraction : edges) {
                for (const std::uint64_t whole : {0, 1}) {
                    for (const bool backward : {false, true}) {
                        for (const auto& side : sides) {
                            const std::uint64_t step = whole << 32 | fraction;
                            VoiceRun run{};
                            run.position = std::uint64_t{2000} << 32 | start;
                            run.delta = backward ? 0 - step : step;
                            run.left = side[0];
                            run.right = side[1];
                            VoiceRun expectedRun = run;
                            std::vector<std::uint32_t> expected(2 * kFrames, 9);
                            std::vector<std::uint32_t> actual = expected;
                            ReferenceRun(data.data(), expectedRun, expected.data(), kFrames);
                            kernels->mixRun(data.data(), static_cast<std::uint32_t>(data.size()), run, actual.data(),
                                            kFrames);
                            ASSERT_EQ(actual, expected) << KernelName(choice) << ": from " << start << " by "
                                                        << whole << "+" << fraction << (backward ? " back" : "");
                            ASSERT_EQ(run.position, expectedRun.position) << KernelName(choice);
                        }
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace zumbrik
