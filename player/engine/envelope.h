#pragma once
#include <cstdint>

#include "player/engine/play_records.h"

namespace zumbrik {

enum class EnvelopeKind { Volume, Panning };

// Whether the instrument's envelope of this kind runs (type bit 0 and at
// least two usable points). Asked twice per channel on every tick: inline,
// and only the two fields it needs.
inline bool EnvelopeActive(const InstrumentRecord& instrument, EnvelopeKind kind) {
    const bool volume = kind == EnvelopeKind::Volume;
    const std::uint8_t type = volume ? instrument.volumeType : instrument.panningType;
    const std::int32_t count = volume ? instrument.volumePointCount : instrument.panningPointCount;
    return (type & 1) != 0 && count >= 2;
}

// Steps the channel's envelope of this kind by one tick.
void AdvanceEnvelope(ChannelState& channel, const InstrumentRecord& instrument, EnvelopeKind kind);

// At a note start: both envelopes from their first point, the key pressed again.
void RestartEnvelopes(ChannelState& channel);

// Effect L: moves the volume envelope to tick `position`.
void SetVolumeEnvelopePosition(ChannelState& channel, const InstrumentRecord& instrument, std::int32_t position);

}  // namespace zumbrik
