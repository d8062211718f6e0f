#pragma once

#include "console/console_buffer.h"
#include "game/scoring.h"
#include "model/well.h"
#include "platform/clock.h"

namespace zumbrik {

// How long a cleared row shows bright white before it goes black.
inline constexpr std::uint32_t kFlashMs = 200;

// Clears the topmost full row (flash, then everything above moves down one
// row in the well and on screen); false when no row is full.
bool ClearTopFullRow(ConsoleBuffer gameBuffer, Clock& clock, Well& well);
// Moves rows 1..y - 1 down one row, bottom up so nothing is overwritten before it is copied.
void ShiftRowsDown(int y, ConsoleBuffer gameBuffer, Well& well);
// The cascade after a lock: every full row cleared, each further row of the
// same piece worth more, levels raised as the score passes the thresholds.
void ClearRowsAndScore(ConsoleBuffer gameBuffer, Clock& clock, Well& well, ScoreState& progress,
                       const LevelThresholds& thresholds);

}  // namespace zumbrik
