#pragma once

#include "player/engine/play_records.h"

namespace zumbrik {

// The first tick of a row: applies each channel's cell (instrument, note,
// volume column, key-off, envelope step, the effect's row-tick work and the
// flow effects) and updates the channel's voice.
void ProcessRow(Play& play);

// The flow effects of one cell (B, D, F, E6x, E and EEx): they set the pending
// position, speed, tempo, pattern delay and the channel's loop. They act in
// channel order, a later channel overwriting an earlier one; jumpSeen carries
// a B of this row to a later D. Returns true when the effect was one of them.
bool ApplyFlowEffect(Play& play, ChannelState& channel, const PatternCell& cell, bool& jumpSeen);

}  // namespace zumbrik
