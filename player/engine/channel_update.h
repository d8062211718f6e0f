#pragma once
#include <cstdint>

#include "player/engine/envelope.h"
#include "player/engine/pitch.h"
#include "player/engine/play_records.h"

namespace zumbrik {

// The channel's instrument record, or an all-zero stand-in when the index
// names no record (a module without instruments, a damaged index): such a
// channel plays no sample and stays silent.
const InstrumentRecord& ChannelInstrument(const Play& play, const ChannelState& channel);

// The sample that note selects in the instrument, or kNoSample.
const SampleRecord& InstrumentSample(const InstrumentRecord& instrument, std::uint8_t note);
// The same sample, or null when the note selects none (set finetune then
// changes nothing).
const SampleRecord* FindInstrumentSample(const InstrumentRecord& instrument, std::uint8_t note);

// Turns the channel's state after a tick into its voice: auto-vibrato, note
// start on the voice pair, volume, panning and step.
void UpdateChannel(Play& play, ChannelState& channel, const SampleRecord& sample,
                   const InstrumentRecord& instrument);

}  // namespace zumbrik
