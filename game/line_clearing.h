#pragma once

#include "console/console_buffer.h"
#include "game/scoring.h"
#include "model/well.h"

namespace zumbrik {

// How long a cleared row shows bright white before it goes black.
inline constexpr std::uint32_t kFlashMs = 200;

// The cascade after a lock is cut where it waits for the flash, so a host that
// cannot sleep (the web page) runs it as steps like the terminal does:
// LightTopFullRow, the flash's wait, EndRowFlash and AwardRow, and again while
// a row is full.

// Empties the topmost full row in the well and lights it on screen; its row,
// or 0 when no row is full.
int LightTopFullRow(ConsoleBuffer gameBuffer, Well& well);
// After the flash's wait: the row goes black and everything above it moves
// down one row, in the well and on screen.
void EndRowFlash(ConsoleBuffer gameBuffer, Well& well, int row);
// Moves rows 1..y - 1 down one row, bottom up so nothing is overwritten before it is copied.
void ShiftRowsDown(int y, ConsoleBuffer gameBuffer, Well& well);
// The points for the cascade's m-th row (each further row of the same piece
// is worth more), and the levels the score passes.
void AwardRow(ConsoleBuffer gameBuffer, ScoreState& progress, const LevelThresholds& thresholds, std::uint32_t m);

}  // namespace zumbrik
