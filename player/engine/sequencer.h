#pragma once
#include <cstdint>

#include "player/engine/play_records.h"

namespace zumbrik {

// What rendering counts besides the song position.
struct SongClock {
    std::uint32_t songEnds = 0;  // times the song ran off its last order (looping or not)
};

// Starts the next tick: takes the pending position and runs the row on a
// row tick, else the tick effects; counts the tick and gives it its length.
// False when play-once reaches the song's end.
bool StartTick(Play& play, bool playOnce, SongClock& clock);

// Runs `frames` frames of the song into the accumulators (left, right per
// frame), starting ticks as they fall due; false when play-once reaches the
// song's end.
bool RenderFrames(Play& play, std::int32_t* accumulators, std::uint32_t frames, bool playOnce,
                  SongClock& clock);

}  // namespace zumbrik
