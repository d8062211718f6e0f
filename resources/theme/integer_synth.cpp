#include "resources/theme/integer_synth.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace zumbrik::theme {

namespace {

// sin(x) for x in [0, pi/2] in Q28 by its Taylor series to the x^11 term:
// the error stays far below one step of a 16-bit sample.
std::int64_t SineQ28(std::int64_t x) {
    const std::int64_t x2 = (x * x) >> 28;
    std::int64_t term = x;
    std::int64_t sum = x;
    for (std::int64_t k = 1; k <= 5; ++k) {
        term = -((term * x2) >> 28) / ((2 * k) * (2 * k + 1));
        sum += term;
    }
    return sum;
}

std::array<std::int32_t, kSinePhases / 4 + 1> BuildQuarterWave() {
    constexpr std::int64_t kPiQ28 = 843314857;  // pi * 2^28, rounded
    std::array<std::int32_t, kSinePhases / 4 + 1> quarter{};
    for (std::uint32_t i = 0; i <= kSinePhases / 4; ++i) {
        const std::int64_t angle = kPiQ28 * i / (kSinePhases / 2);
        const std::int64_t value = (SineQ28(angle) * 32767 + (std::int64_t{1} << 27)) >> 28;
        quarter[i] = static_cast<std::int32_t>(std::min<std::int64_t>(value, 32767));
    }
    return quarter;
}

const std::array<std::int32_t, kSinePhases / 4 + 1>& QuarterWave() {
    static const auto quarter = BuildQuarterWave();
    return quarter;
}

}  // namespace

std::int32_t Sine(std::uint32_t phase) {
    phase %= kSinePhases;
    const std::uint32_t quarterLength = kSinePhases / 4;
    const std::uint32_t inQuarter = phase % quarterLength;
    const auto& quarter = QuarterWave();
    switch (phase / quarterLength) {
        case 0: return quarter[inQuarter];
        case 1: return quarter[quarterLength - inQuarter];
        case 2: return -quarter[inQuarter];
        default: return -quarter[quarterLength - inQuarter];
    }
}

std::int32_t Noise::Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<std::int32_t>(state_ >> 16) - 32768;
}

std::vector<std::int32_t> AdditiveWave(std::uint32_t frames, std::uint32_t cycles,
                                       const std::vector<Harmonic>& harmonics) {
    std::vector<std::int32_t> wave(frames);
    for (std::uint32_t i = 0; i < frames; ++i) {
        std::int64_t sum = 0;
        for (const Harmonic& h : harmonics) {
            const std::uint64_t phase = std::uint64_t{h.number} * cycles * i * kSinePhases / frames;
            sum += std::int64_t{h.amplitude} * Sine(static_cast<std::uint32_t>(phase % kSinePhases));
        }
        wave[i] = static_cast<std::int32_t>(sum / 100);
    }
    return wave;
}

std::vector<std::int32_t> Mixed(const std::vector<std::int32_t>& a, const std::vector<std::int32_t>& b) {
    std::vector<std::int32_t> sum(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) sum[i] = a[i] + (i < b.size() ? b[i] : 0);
    return sum;
}

void Normalise(std::vector<std::int32_t>& values, std::int32_t peak) {
    std::int64_t largest = 0;
    for (std::int32_t v : values) largest = std::max<std::int64_t>(largest, std::llabs(v));
    if (largest == 0) return;
    for (std::int32_t& v : values) v = static_cast<std::int32_t>(std::int64_t{v} * peak / largest);
}

}  // namespace zumbrik::theme
