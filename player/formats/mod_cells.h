#pragma once
#include <cstdint>

#include "player/song/song_records.h"

namespace zumbrik {

// The XM note (1..96) nearest to a MOD period: C-1 (856) is note 37. 0 for
// period 0, which plays no note.
std::uint8_t NoteOfModPeriod(int period);

// One MOD cell (4 bytes) as a pattern cell the engine plays by ProTracker's
// rules: effects that have no memory there and carry 0 do nothing, so they
// are dropped (or keep only the part that remembers); a note cut on tick 0
// sets the volume to 0; a note delay of 0 plays the note at once; a speed
// of 0 is dropped; a break past the last row starts the next pattern at row 0.
PatternCell ConvertModCell(const std::uint8_t* bytes);

}  // namespace zumbrik
