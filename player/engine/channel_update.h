#pragma once
#include <cstdint>

#include "player/engine/envelope.h"
#include "player/engine/pitch.h"
#include "player/engine/play_records.h"

namespace zumbrik {

// The all-zero stand-in for an instrument that is not there.
inline const InstrumentRecord kNoInstrument{};

// The channel's instrument record, or an all-zero stand-in when the index
// names no record (a module without instruments, a damaged index): such a
// channel plays no sample and stays silent. Asked for every channel on every
// tick, so it is inline, like the look-ups below.
inline const InstrumentRecord& ChannelInstrument(const Play& play, const ChannelState& channel) {
    const Song& song = *play.song;
    const std::uint32_t usable = song.instrumentCount & 0xFF;
    if (song.instruments == nullptr || channel.instrument >= usable) {
        return kNoInstrument;
    }
    return song.instruments[channel.instrument];
}

// The sample that note selects in the instrument, or null when the note
// selects none (set finetune then changes nothing).
inline const SampleRecord* FindInstrumentSample(const InstrumentRecord& instrument, std::uint8_t note) {
    if (note >= sizeof instrument.keymap) {
        return nullptr;
    }
    const std::uint8_t k = instrument.keymap[note];
    return k < kInstrumentSamples ? instrument.samples[k] : nullptr;
}

// The same sample, or kNoSample.
inline const SampleRecord& InstrumentSample(const InstrumentRecord& instrument, std::uint8_t note) {
    const SampleRecord* sample = FindInstrumentSample(instrument, note);
    return sample != nullptr ? *sample : kNoSample;
}

// Turns the channel's state after a tick into its voice: auto-vibrato, note
// start on the voice pair, volume, panning and step.
void UpdateChannel(Play& play, ChannelState& channel, const SampleRecord& sample,
                   const InstrumentRecord& instrument);

}  // namespace zumbrik
