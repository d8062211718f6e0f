#pragma once
#include <cstdint>

#include "player/engine/engine_arithmetic.h"
#include "player/engine/play_records.h"

namespace zumbrik {

// The small steps the row effects, the tick effects and the volume column
// share.

inline std::uint8_t HighNibble(std::uint8_t value) { return static_cast<std::uint8_t>(value >> 4); }
inline std::uint8_t LowNibble(std::uint8_t value) { return static_cast<std::uint8_t>(value & 15); }

inline void AddVolume(ChannelState& channel, std::int64_t delta) {
    channel.volume = AddSaturated(channel.volume, delta, kVolumeLimit);
}
inline void AddPanning(ChannelState& channel, std::int64_t delta) {
    channel.panning = AddSaturated(channel.panning, delta, kVolumeLimit);
}
inline void AddPeriod(ChannelState& channel, std::int64_t delta) {
    channel.period = AddSaturated(channel.period, delta, kPeriodLimit);
}
// A period step of the XM rules in the channel's period units.
inline std::int64_t PeriodSteps(const ChannelState& channel, std::int64_t steps) {
    return steps * (std::int64_t{1} << channel.periodShift);
}
inline void ClearFlags(ChannelState& channel, std::uint8_t flags) {
    channel.updateFlags &= static_cast<std::uint8_t>(~flags);
}

// The volume slide in the channel's memory: up by its high nibble when that
// is set, else down by its low nibble.
void VolumeSlide(ChannelState& channel);

// Moves the vibrato on, its offset (half the oscillator's) into the pitch.
void VibratoStep(ChannelState& channel);
// Moves the tremolo on, its offset into the volume.
void TremoloStep(ChannelState& channel);

// Slides the period towards the portamento target without passing it.
void ApplyTonePortamento(ChannelState& channel);
// Silences the channel during the off part of its tremor cycle.
void ApplyTremor(ChannelState& channel);

}  // namespace zumbrik
