#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "player/formats/xm_writer.h"

namespace zumbrik::theme {

// A small text notation for one channel of a pattern. Tokens are separated
// by spaces; each is WHAT:ROWS and fills that many rows, WHAT sounding on the
// first of them:
//   A4, C#5 ...  a note (octave 0..7) with the line's instrument
//   E4@1         a note with instrument 1 instead
//   ^            key-off
//   -            nothing (the previous note rings on)
// Bad notation is a mistake in the composer, so it stops the program.
std::vector<XmCell> ParseLine(std::string_view line, std::uint8_t instrument);

// The XM note number of a name like "A4" or "C#5" (C-0 is 1).
std::uint8_t NoteNumber(std::string_view name);

inline constexpr std::uint8_t kKeyOff = 97;

}  // namespace zumbrik::theme
