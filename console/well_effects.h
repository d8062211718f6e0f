#pragma once
#include <cstdint>

#include "console/console_buffer.h"

namespace zumbrik {

inline constexpr ColourAttribute kFlashAttribute = 0xF0;

// Black blanks over the whole well area, rows 1..28.
void ClearWellArea(ConsoleBuffer buffer);
// A cleared row's flash: bright white blanks across the well, and black
// blanks once the rules have let it show.
void LightFlashRow(ConsoleBuffer buffer, std::int16_t row);
void DarkenFlashRow(ConsoleBuffer buffer, std::int16_t row);
// The one cell of well column wellColumn in row - 1 is copied, character and
// colour, into row: the screen is the only store of settled cells' colours.
void CopyCellFromRowAbove(ConsoleBuffer buffer, int wellColumn, std::int16_t row);

}  // namespace zumbrik
