#pragma once
#include <cstdint>

namespace zumbrik {

// A console cell attribute: text colour index in the low four bits, background
// colour index in the high four, both into the console's 16-colour palette.
// The game writes its attributes as the hex values of its screen layout.
using ColourAttribute = std::uint16_t;

constexpr std::uint8_t TextColour(ColourAttribute a) { return a & 0x0F; }
constexpr std::uint8_t BackgroundColour(ColourAttribute a) { return (a >> 4) & 0x0F; }

}  // namespace zumbrik
