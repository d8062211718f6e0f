#pragma once
#include <array>
#include <cstdint>

#include "platform/colour_attribute.h"

namespace zumbrik {

// A catalogue shape or the falling piece: a box of at most 4 by 4 cells whose
// top-left cell stands at (column, row) on the console.
struct PieceShape {
    std::uint8_t width = 0;
    std::uint8_t height = 0;
    std::int16_t column = 0;
    std::int16_t row = 0;
    ColourAttribute attribute = 0;
    // Column by column: box column i, box row j is byte 4 * i + j; 1 = filled.
    std::array<std::uint8_t, 16> cells{};

    bool Filled(int i, int j) const { return cells[static_cast<std::size_t>(4 * i + j)] != 0; }
};

}  // namespace zumbrik
