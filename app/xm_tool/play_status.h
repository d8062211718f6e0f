#pragma once
#include <cstdint>
#include <string>

namespace zumbrik {

// The one-line status of `zumbrik-xm play`: order/row, elapsed time, left and
// right level meters, volume level and the pause, read from the background
// player. Padded to a fixed width so a shorter line covers a longer one.
std::string PlayStatusLine(std::uint32_t songLength, std::uint32_t volumeLevel);

}  // namespace zumbrik
