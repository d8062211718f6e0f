#pragma once
#include <cstdint>

#include "console/console_buffer.h"

namespace zumbrik {

// A formatted text; no text of the game is longer than 26 code units.
struct FormattedText {
    static constexpr std::uint32_t kCapacity = 48;
    char16_t text[kCapacity] = {};
};

// Length in code units up to the terminating zero.
std::uint32_t TextLength(const char16_t* text);

// Copies format with its one "%u" replaced by value in decimal, as few digits as needed.
FormattedText FormatUnsigned(const char16_t* format, std::uint32_t value);

// A screen text: the characters, then one attribute fill over the same cells.
void WriteText(ConsoleBuffer buffer, Coord start, const char16_t* text, ColourAttribute attribute);

// One cell, character then attribute, as pieces and guides are drawn.
void WriteCell(ConsoleBuffer buffer, Coord at, char16_t character, ColourAttribute attribute);

}  // namespace zumbrik
