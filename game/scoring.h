#pragma once
#include <array>
#include <cstdint>

namespace zumbrik {

inline constexpr std::uint32_t kLevelCount = 20;
inline constexpr std::uint32_t kTopLevelIndex = kLevelCount - 1;
inline constexpr std::uint32_t kStartBaseSpeed = 21;

// Entry i is the score that takes level index i to i + 1; the last is 0 (no further level).
using LevelThresholds = std::array<std::uint32_t, kLevelCount>;

void FillLevelThresholds(LevelThresholds& thresholds);

// What the cascade raises during a game.
struct ScoreState {
    std::uint32_t score = 0;
    std::uint32_t levelIndex = 0;
    // Passes per fall step at this level: always 21 - levelIndex.
    std::uint32_t baseSpeed = kStartBaseSpeed;
    // Rows cleared in this game, for the score table.
    std::uint32_t lines = 0;
};

// Points for the m-th row of one cascade at the current level.
std::uint32_t RowAward(std::uint32_t baseSpeed, std::uint32_t m);

}  // namespace zumbrik
