#pragma once
#include <cstdint>

#include "player/player_records.h"

namespace zumbrik {

// Period, volume and panning of a channel before its row's cell was applied;
// a note delay (EDy) puts them back on the row tick.
struct SoundBeforeCell {
    std::int32_t period;
    std::int32_t volume;
    std::int32_t panning;
};

// Vibrato/tremolo waveform value (-127..127) at position 0..63.
std::int32_t OscillatorWave(std::uint8_t waveform, std::uint8_t position);
// Returns the oscillator's offset at its position and moves it on.
std::int32_t StepOscillator(Oscillator& oscillator, std::uint8_t waveform);

void ApplyVolumeColumn(ChannelState& channel, std::uint8_t volumeByte);
void ApplyTonePortamento(ChannelState& channel);
void ApplyTremor(ChannelState& channel);

// The part of an instrument reset that a delayed note start repeats:
// envelope positions, auto-vibrato, key release and the oscillator phases.
void RestartEnvelopesAndOscillators(ChannelState& channel);

// Row-tick work of every effect but the flow effects (B, D, E6, EE, F),
// which the row processing applies itself.
void ApplyRowEffect(PlayerState& state, ChannelState& channel, const PatternCell& cell, SampleRecord& sample,
                    const InstrumentRecord& instrument, const SoundBeforeCell& before);

// Every tick of a row but the first: envelopes, fade-out, the volume column's
// and the effects' per-tick work, then the channel update.
void ProcessTick(PlayerState& state);

}  // namespace zumbrik
