#pragma once

#include "player/engine/play_records.h"

namespace zumbrik {

// Every tick of a row but the first: envelopes, fade-out, the volume column's
// and the effects' per-tick work, then the channel update.
void ProcessTick(Play& play);

}  // namespace zumbrik
