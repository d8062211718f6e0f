#pragma once
#include <cstdint>

#include "player/engine/play_records.h"

namespace zumbrik {

// Period, volume and panning of a channel before its row's cell was applied;
// a note delay (EDy) puts them back on the row tick.
struct SoundBeforeCell {
    std::int32_t period;
    std::int32_t volume;
    std::int32_t panning;
};

// Row-tick work of every effect but the flow effects (B, D, E6, EE, F),
// which the row processing applies itself. A set-finetune (E5y) changes the
// finetune of the channel's sample for every later note of this play; an
// absent sample stays untouched.
void ApplyRowEffect(Play& play, ChannelState& channel, const PatternCell& cell, const SampleRecord& sample,
                    const InstrumentRecord& instrument, const SoundBeforeCell& before);

}  // namespace zumbrik
