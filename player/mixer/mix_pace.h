#pragma once
#include <cstdint>

namespace zumbrik {

// What the mixer's timing depends on at an output rate: how many frames a
// volume ramp takes (2.67 ms: 128 frames at 48 kHz), and the step a voice
// too slow to reach its boundary is given (about 40 Hz).
struct MixPace {
    std::uint32_t rampFrames;
    std::uint32_t crawlStepFraction;
};

inline constexpr std::uint32_t kReferenceRate = 48000;

// The pace at an output rate; 48 kHz gives 128 frames and the crawl step
// every render at that rate was made with.
inline constexpr MixPace MixPaceFor(std::uint32_t outputRate) {
    const std::uint64_t rate = outputRate == 0 ? kReferenceRate : outputRate;
    const std::uint64_t ramp = (std::uint64_t{128} * rate + kReferenceRate / 2) / kReferenceRate;
    return MixPace{static_cast<std::uint32_t>(ramp == 0 ? 1 : ramp),
                   static_cast<std::uint32_t>(std::uint64_t{0x369D00} * kReferenceRate / rate)};
}

}  // namespace zumbrik
