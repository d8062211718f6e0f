#pragma once
#include <cstdint>

namespace zumbrik {

// The conversions a caller may ask for beyond the mixer's own 16-bit output:
// a stereo width, a gain, and 32-bit float samples. At 100 % width and unity
// gain none of them is used, and the samples are the mixer's own.

// A full-scale voice in accumulator units (64 x 255): one 16-bit step.
inline constexpr double kAccumulatorUnit = 16320.0;

// Scales the difference of the sides of `frames` stereo frames by percent / 100
// (0: mono, 100: as mixed, 200: twice as wide), keeping their sum.
void ApplyStereoSeparation(std::int32_t* accumulators, std::uint32_t frames, std::int32_t percent);

// `count` accumulators to samples scaled by `gain`, rounded half away from
// zero and saturated at the 16-bit limits.
void ConvertWithGain(const std::int32_t* accumulators, std::int16_t* samples, std::uint32_t count, double gain);

// `count` accumulators to floats, 1.0 the 16-bit full scale (32768 steps),
// scaled by `gain` and not clamped.
void ConvertToFloat(const std::int32_t* accumulators, float* samples, std::uint32_t count, double gain);

}  // namespace zumbrik
