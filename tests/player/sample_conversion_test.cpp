#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "player/mixer/cpu_dispatch.h"
#include "player/mixer/sample_conversion.h"
#include "player/background/segment_renderer.h"

namespace zumbrik {
namespace {

TEST(Conversion, RoundsHalfUpAndSaturatesSymmetrically) {
    EXPECT_EQ(ConvertAccumulator(-2147483647 - 1, kUnityVolume), -32767);
    EXPECT_EQ(ConvertAccumulator(2147483647, kUnityVolume), 32767);
    EXPECT_EQ(ConvertAccumulator(16320 * 1000 + 8160, kUnityVolume), 1001);
    EXPECT_EQ(ConvertAccumulator(16320 * 1000 + 8159, kUnityVolume), 1000);
    EXPECT_EQ(ConvertAccumulator(-(16320 * 1000 + 8160), kUnityVolume), -1001);
    EXPECT_EQ(ConvertAccumulator(16320 * 1000, kUnityVolume / 4), 250);  // a quarter of 1000 voice units
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
    // Every kernel set's conversion at unity, the odd count leaving a tail.
    for (const KernelChoice choice : kAllKernelChoices) {
        const std::optional<Kernels> kernels = KernelsFor(choice);
        if (!kernels) continue;
        std::vector<std::int16_t> samples(accumulators.size() - 1);
        kernels->convertAtUnity(accumulators.data(), samples.data(), static_cast<std::uint32_t>(samples.size()));
        for (std::size_t i = 0; i < samples.size(); ++i) {
            ASSERT_EQ(samples[i], reference(accumulators[i], kUnityVolume)) << KernelName(choice) << ": " << accumulators[i];
        }
        // Clearing as it converts: the same samples, and only the converted accumulators zero.
        std::vector<std::int32_t> cleared = accumulators;
        std::vector<std::int16_t> again(samples.size());
        kernels->convertAndClearAtUnity(cleared.data(), again.data(), static_cast<std::uint32_t>(again.size()));
        ASSERT_EQ(again, samples) << KernelName(choice);
        ASSERT_EQ(std::count(cleared.begin(), cleared.end() - 1, 0), static_cast<std::ptrdiff_t>(again.size()));
        ASSERT_EQ(cleared.back(), accumulators.back()) << KernelName(choice);
        // Every count up to two rounds of the widest set, from the rounding edges: each length of
        // the tail after the vectors, and no more written than asked for.
        const std::int32_t* edges = accumulators.data() + accumulators.size() - 3 * 40000 + 300;
        for (std::uint32_t count = 0; count <= 40; ++count) {
            std::vector<std::int16_t> part(count + 1, 7);
            kernels->convertAtUnity(edges, part.data(), count);
            for (std::uint32_t i = 0; i < count; ++i) {
                ASSERT_EQ(part[i], reference(edges[i], kUnityVolume)) << KernelName(choice) << ": " << count;
            }
            ASSERT_EQ(part[count], 7) << KernelName(choice) << ": " << count;
        }
    }
    std::vector<std::int32_t> cleared = accumulators;
    std::vector<std::int16_t> samples(accumulators.size()), expected(accumulators.size());
    ConvertAccumulators(accumulators.data(), expected.data(), static_cast<std::uint32_t>(expected.size()), 130);
    ConvertAndClearAccumulators(cleared.data(), samples.data(), static_cast<std::uint32_t>(samples.size()), 130);
    EXPECT_EQ(samples, expected);
    EXPECT_EQ(std::count(cleared.begin(), cleared.end(), 0), static_cast<std::ptrdiff_t>(cleared.size()));
}

}  // namespace
}  // namespace zumbrik
