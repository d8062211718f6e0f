#pragma once

#include "player/player_records.h"

namespace zumbrik {

// The first tick of a row: applies each channel's cell (instrument, note,
// volume column, key-off, envelope step, the effect's row-tick work and the
// flow effects) and updates the channel's voice.
void ProcessRow(PlayerState& state);

}  // namespace zumbrik
