#include "player/mixer/output_conversion.h"

#include <cmath>

namespace zumbrik {

void ApplyStereoSeparation(std::int32_t* accumulators, std::uint32_t frames, std::int32_t percent) {
    for (std::uint32_t f = 0; f < frames; ++f) {
        const std::int64_t left = accumulators[2 * f];
        const std::int64_t right = accumulators[2 * f + 1];
        const std::int64_t sum = left + right;
        const std::int64_t wideDifference = (left - right) * percent / 100;
        // Halves rounded the same way on both sides, so a mono mix stays equal.
        accumulators[2 * f] = static_cast<std::int32_t>((sum + wideDifference) / 2);
        accumulators[2 * f + 1] = static_cast<std::int32_t>((sum - wideDifference) / 2);
    }
}

void ConvertWithGain(const std::int32_t* accumulators, std::int16_t* samples, std::uint32_t count, double gain) {
    const double scale = gain / kAccumulatorUnit;
    for (std::uint32_t i = 0; i < count; ++i) {
        const double value = std::round(static_cast<double>(accumulators[i]) * scale);
        samples[i] = static_cast<std::int16_t>(value > 32767.0 ? 32767.0 : (value < -32768.0 ? -32768.0 : value));
    }
}

void ConvertToFloat(const std::int32_t* accumulators, float* samples, std::uint32_t count, double gain) {
    const double scale = gain / (kAccumulatorUnit * 32768.0);
    for (std::uint32_t i = 0; i < count; ++i) {
        samples[i] = static_cast<float>(static_cast<double>(accumulators[i]) * scale);
    }
}

}  // namespace zumbrik
