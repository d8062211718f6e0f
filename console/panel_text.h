#pragma once
#include <cstdint>

#include "console/console_buffer.h"
#include "model/well.h"

namespace zumbrik {

inline constexpr Coord kScoreAt{52, 6};
inline constexpr Coord kLevelAt{52, 8};
inline constexpr Coord kThresholdAt{52, 10};
inline constexpr Coord kGameOverAt{52, 15};
inline constexpr Coord kGameOverHintAt{52, 16};

// The left panel: every well cell of rows 1..28 as a digit 0 or 1.
void ShowWellDigits(ConsoleBuffer buffer, const Well& well);
void ShowScore(ConsoleBuffer buffer, std::uint32_t score);
// The level shown as index + 1 and the score that leaves it; 0 means the top level.
void ShowLevel(ConsoleBuffer buffer, std::uint32_t levelIndex, std::uint32_t nextThreshold);
void ShowGameOver(ConsoleBuffer buffer);
void WipeGameOver(ConsoleBuffer buffer);

}  // namespace zumbrik
