#pragma once
#include <cstdint>

#include "player/engine/play_records.h"

namespace zumbrik {

// Vibrato/tremolo waveform value (-127..127) at position 0..63: 0 sine,
// 1 ramp down, 2 and 3 square.
std::int32_t OscillatorWave(std::uint8_t waveform, std::uint8_t position);
// Returns the oscillator's offset at its position and moves it on.
std::int32_t StepOscillator(Oscillator& oscillator, std::uint8_t waveform);

// The waveforms E4x and E7x chose (waveControl: low nibble vibrato, high
// nibble tremolo; bit 2 of each keeps the phase at a new note).
inline std::uint8_t VibratoWaveform(const ChannelState& channel) { return channel.waveControl & 3; }
inline std::uint8_t TremoloWaveform(const ChannelState& channel) { return (channel.waveControl >> 4) & 3; }

// Auto-vibrato waveform value (-64..64) at position 0..255: 0 sine,
// 1 square, 2 ramp up, 3 ramp down.
std::int32_t AutoVibratoWave(std::uint8_t vibratoType, std::int32_t position);

// The instrument's auto-vibrato for this tick as a period offset; its depth
// grows over the sweep. Moves the channel's auto-vibrato on. Run for every
// channel on every tick, so inline.
inline std::int64_t StepAutoVibrato(ChannelState& channel, const InstrumentRecord& instrument) {
    const std::int32_t pos = channel.autoVibratoPosition;
    std::int64_t amount = 0;
    // Most instruments have none: no wave and no division, but it moves on all the same.
    if (instrument.vibratoDepth != 0) {
        amount = static_cast<std::int64_t>(AutoVibratoWave(instrument.vibratoType, pos)) * instrument.vibratoDepth;
    }
    if (amount != 0 && instrument.vibratoSweep != 0) {
        amount = amount * channel.autoVibratoSweep / instrument.vibratoSweep;
    }
    channel.autoVibratoSweep = channel.autoVibratoSweep + 1 < instrument.vibratoSweep
                                   ? channel.autoVibratoSweep + 1
                                   : static_cast<std::int32_t>(instrument.vibratoSweep);
    channel.autoVibratoPosition = (pos + instrument.vibratoRate) & 255;
    return amount >> 6;
}

// At a note start: auto-vibrato from its start, and the vibrato and tremolo
// phases back to 0 unless their waveform keeps them.
void RestartOscillators(ChannelState& channel);

}  // namespace zumbrik
