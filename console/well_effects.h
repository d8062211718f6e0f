#pragma once
#include <cstdint>

#include "console/console_buffer.h"
#include "platform/clock.h"

namespace zumbrik {

inline constexpr ColourAttribute kFlashAttribute = 0xF0;
inline constexpr std::uint32_t kFlashMs = 200;

// Black blanks over the whole well area, rows 1..28.
void ClearWellArea(ConsoleBuffer buffer);
// A cleared row shows bright white for 200 ms, then black.
void RowFlash(ConsoleBuffer buffer, Clock& clock, std::int16_t row);
// The cell of well column wellColumn in row - 1 is copied, character and
// colour, into row: the screen is the only store of settled cells' colours.
void ScreenRowCopy(ConsoleBuffer buffer, int wellColumn, std::int16_t row);

}  // namespace zumbrik
