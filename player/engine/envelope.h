#pragma once
#include <cstdint>

#include "player/engine/play_records.h"

namespace zumbrik {

enum class EnvelopeKind { Volume, Panning };

// Whether the instrument's envelope of this kind runs (type bit 0 and at
// least two usable points).
bool EnvelopeActive(const InstrumentRecord& instrument, EnvelopeKind kind);

// Steps the channel's envelope of this kind by one tick.
void AdvanceEnvelope(ChannelState& channel, const InstrumentRecord& instrument, EnvelopeKind kind);

// At a note start: both envelopes from their first point, the key pressed again.
void RestartEnvelopes(ChannelState& channel);

// Effect L: moves the volume envelope to tick `position`.
void SetVolumeEnvelopePosition(ChannelState& channel, const InstrumentRecord& instrument, std::int32_t position);

}  // namespace zumbrik
