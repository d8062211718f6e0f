#pragma once
#include <cstddef>
#include <cstdint>

#include "console/console_buffer.h"

namespace zumbrik {

// The score table's two texts go on panel rows no fixed text uses. Row 12:
// the next-threshold line above (row 10, at most 26 cells) and the game-over
// lines below (rows 15 and 16) are only ever rewritten on their own rows, and
// a blank row separates it from each. Row 17: right under the game-over lines
// it belongs with, and above the preview (rows 19 to 22) and its label (row 20).
inline constexpr Coord kBestScoreAt{52, 12};
inline constexpr Coord kTablePlaceAt{52, 17};

// "РЕКОРД: %u" in the score line's colour. The best score only grows during a
// run, so a new text always covers the old one.
void ShowBestScore(ConsoleBuffer buffer, std::uint32_t score);
// "МЕСТО В ТАБЛИЦЕ: %u" in the game-over lines' colour, and its wipe at restart.
void ShowTablePlace(ConsoleBuffer buffer, std::size_t place);
void WipeTablePlace(ConsoleBuffer buffer);

}  // namespace zumbrik
