#pragma once
#include <cstdint>

namespace zumbrik {

// Module-driven values (volume, period, panning, global volume) are moved by
// slides and retriggers without a bound. They saturate at these limits so a
// song that slides for days never overflows; every product built from them
// stays far inside 64 bits.
inline constexpr std::int32_t kVolumeLimit = 1 << 24;
inline constexpr std::int32_t kPeriodLimit = 1 << 30;

inline std::int32_t ClampTo(std::int64_t value, std::int64_t low, std::int64_t high) {
    return static_cast<std::int32_t>(value < low ? low : (value > high ? high : value));
}

// value + delta, kept within -limit..limit.
inline std::int32_t AddSaturated(std::int32_t value, std::int64_t delta, std::int32_t limit) {
    return ClampTo(static_cast<std::int64_t>(value) + delta, -limit, limit);
}

}  // namespace zumbrik
