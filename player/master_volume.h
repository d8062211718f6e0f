#pragma once
#include <array>
#include <cstdint>

namespace zumbrik {

// Master volume multipliers (unity 32768) for levels 0..25: 2 dB per step
// below level 25; level 0 keeps only a trace of the signal.
inline constexpr std::array<std::uint32_t, 26> kMasterVolumeTable{
    1,    130,  164,  207,  260,  328,  413,  519,   654,   823,   1036,  1305,  1642,
    2068, 2603, 3277, 4125, 5193, 6538, 8231, 10362, 13045, 16423, 20675, 26029, 32768};
inline constexpr std::uint32_t kMaxMasterVolumeLevel = 25;

inline std::uint32_t MasterVolumeForLevel(std::uint32_t level) {
    return kMasterVolumeTable[level > kMaxMasterVolumeLevel ? kMaxMasterVolumeLevel : level];
}

}  // namespace zumbrik
