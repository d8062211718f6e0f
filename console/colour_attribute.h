#pragma once
#include <cstdint>

namespace zumbrik {

// A console cell attribute: text colour index in the low four bits, background
// colour index in the high four, both into the console's 16-colour palette.
using ColourAttribute = std::uint16_t;

// The platform's own bit names. The Windows headers define them as macros, so
// they are only declared here where no such header came first.
#ifndef FOREGROUND_BLUE
inline constexpr ColourAttribute FOREGROUND_BLUE = 0x01;
inline constexpr ColourAttribute FOREGROUND_GREEN = 0x02;
inline constexpr ColourAttribute FOREGROUND_RED = 0x04;
inline constexpr ColourAttribute FOREGROUND_INTENSITY = 0x08;
inline constexpr ColourAttribute BACKGROUND_BLUE = 0x10;
inline constexpr ColourAttribute BACKGROUND_GREEN = 0x20;
inline constexpr ColourAttribute BACKGROUND_RED = 0x40;
inline constexpr ColourAttribute BACKGROUND_INTENSITY = 0x80;
#endif

// Palette indices, in the console's own (BGR-ordered) numbering.
enum ConsoleColour : std::uint8_t {
    Black = 0, Blue = 1, Green = 2, Cyan = 3, Red = 4, Magenta = 5, DarkYellow = 6, Grey = 7,
    DarkGrey = 8, BrightBlue = 9, BrightGreen = 10, BrightCyan = 11, BrightRed = 12,
    BrightMagenta = 13, Yellow = 14, BrightWhite = 15,
};

constexpr std::uint8_t TextColour(ColourAttribute a) { return a & 0x0F; }
constexpr std::uint8_t BackgroundColour(ColourAttribute a) { return (a >> 4) & 0x0F; }

}  // namespace zumbrik
