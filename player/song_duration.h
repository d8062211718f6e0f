#pragma once
#include <cstdint>

#include "player/player_records.h"

namespace zumbrik {

// Frames in one pass of a freshly loaded song, by the end rule SongPass
// renders to: up to the end of the row on which the song runs off its last
// order, at most `frameLimit`. Runs the sequencer without mixing, so it
// changes `state` (effects such as E5x write into the sample records): give
// it a copy of the song that is not rendered afterwards.
std::uint64_t OnePassFrames(PlayerState& state, std::uint64_t frameLimit);

}  // namespace zumbrik
