#pragma once
#include <cstdint>
#include <string>

#include "platform/colour_attribute.h"

namespace zumbrik {

// The console numbers its palette blue-green-red from bit 0; ANSI numbers it
// red-green-blue. The intensity bit picks the bright half of the ANSI palette.
constexpr int AnsiForeground(std::uint8_t consoleColour) {
    const int rgb = ((consoleColour & 1) << 2) | (consoleColour & 2) | ((consoleColour & 4) >> 2);
    return ((consoleColour & 8) != 0 ? 90 : 30) + rgb;
}

constexpr int AnsiBackground(std::uint8_t consoleColour) { return AnsiForeground(consoleColour) + 10; }

// Appends the SGR sequence that selects both colours of the attribute.
void AppendSgr(std::string& out, ColourAttribute attribute);

}  // namespace zumbrik
