#pragma once
#include <cstdint>

namespace zumbrik {

// The master volume at which samples are the accumulators as they are.
inline constexpr std::uint32_t kUnityVolume = 32768;

// |a| in units of one full-scale voice (16320 = 64 x 255), rounded half up
// and saturated at 32767: |a| / 64 first, then / 255 by shifts and adds
// with one correction step (checked against the plain division for every
// magnitude up to 2^31). It vectorises, where a 32-bit division does not.
inline std::uint32_t VoiceUnits(std::uint32_t magnitude) {
    // Past the first shift every value is below 2^26, so signed lanes serve.
    constexpr std::int32_t kSaturated = 255 * 32767 + 254;  // the largest sixty-fourths giving 32767
    std::int32_t sixtyFourths = static_cast<std::int32_t>((magnitude + 8160) >> 6);  // + 16320 / 2, then / 64
    sixtyFourths = sixtyFourths < kSaturated ? sixtyFourths : kSaturated;
    std::int32_t units = (sixtyFourths + (sixtyFourths >> 8) + (sixtyFourths >> 16) + 1) >> 8;  // at most 1 short
    const std::int32_t remainder = sixtyFourths - (units * 255);
    units += remainder >= 255 ? 1 : 0;
    return static_cast<std::uint32_t>(units);
}

// One accumulator to a sample: |a| / 16320 rounded half up, saturated at
// 32767, scaled by the master volume (32768 = unity; more counts as unity),
// with a's sign. Branch-free: audio changes sign too often to predict.
inline std::int16_t ConvertAccumulator(std::int32_t accumulator, std::uint32_t masterVolume) {
    const std::uint32_t volume = masterVolume < kUnityVolume ? masterVolume : kUnityVolume;
    const std::uint32_t sign = accumulator < 0 ? 0xFFFFFFFFu : 0u;
    const std::uint32_t magnitude = (static_cast<std::uint32_t>(accumulator) ^ sign) - sign;
    const std::uint32_t v = (VoiceUnits(magnitude) * volume) >> 15;
    return static_cast<std::int16_t>((v ^ sign) - sign);
}

// Converts `count` accumulators into samples, with the conversion kernel
// the CPU dispatch chose when the volume is unity.
void ConvertAccumulators(const std::int32_t* accumulators, std::int16_t* samples, std::uint32_t count,
                         std::uint32_t masterVolume);

// The same, leaving the accumulators zero: a renderer that owns its buffer
// starts the next segment clear without a second pass over it.
void ConvertAndClearAccumulators(std::int32_t* accumulators, std::int16_t* samples, std::uint32_t count,
                                 std::uint32_t masterVolume);

// The conversion at unity volume, the common case; every version gives the
// same bits.
using ConvertFunction = void (*)(const std::int32_t* accumulators, std::int16_t* samples, std::uint32_t count);

void ConvertAtUnityPortable(const std::int32_t* accumulators, std::int16_t* samples, std::uint32_t count);

// The conversion at unity that zeroes each accumulator once read.
using ConvertClearFunction = void (*)(std::int32_t* accumulators, std::int16_t* samples, std::uint32_t count);

void ConvertAndClearAtUnityPortable(std::int32_t* accumulators, std::int16_t* samples, std::uint32_t count);

// The AVX2 version when this build has one, else null; whether the
// processor runs it is the CPU dispatch's question.
ConvertFunction Avx2ConvertAtUnity();
ConvertFunction Sse2ConvertAtUnity();  // likewise for SSE2
ConvertClearFunction Avx2ConvertAndClearAtUnity();
ConvertClearFunction Sse2ConvertAndClearAtUnity();

}  // namespace zumbrik
