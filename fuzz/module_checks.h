#pragma once
// What both fuzz targets demand of a loaded module: every index the sequencer
// and mixer take from the records stays inside what the loader allocated. A
// broken rule aborts, so libFuzzer keeps the input; ASan checks the touches
// at the ends of each array against the real allocation.
#include <cstdint>
#include <cstdlib>

#include "player/engine/channel_update.h"
#include "player/engine/play_records.h"
#include "player/song/song_records.h"
#include "player/formats/xm_loader.h"

namespace zumbrik::fuzz {

inline void Require(bool condition) {
    if (!condition) std::abort();
}

inline void Touch(const volatile void* byte) { (void)*static_cast<const volatile std::uint8_t*>(byte); }

inline void CheckPatterns(const Song& state) {
    Require(state.songLength >= 1 && state.songLength <= 256);
    Require(state.patterns != nullptr);
    for (int i = 0; i < state.songLength; ++i) Require(state.orderTable[i] < state.patternCount);
    const auto channels = static_cast<std::size_t>(state.channelCount);
    for (int p = 0; p < state.patternCount; ++p) {
        const PatternRecord& pattern = state.patterns[p];
        if (pattern.cells == nullptr) continue;
        Require(pattern.rows >= 1 && pattern.rows <= 256);
        const std::size_t count = pattern.rows * channels;
        Touch(&pattern.cells[count - 1]);
        for (std::size_t i = 0; i < count; ++i) Require(pattern.cells[i].instrument <= state.instrumentCount);
    }
}

inline void CheckSample(const SampleRecord& sample) {
    Require(sample.length < kMaxSampleFrames);
    Require(std::uint64_t{sample.loopStart} + sample.loopLength <= sample.length);
    Require(sample.loopType != NoLoop || (sample.loopStart == 0 && sample.loopLength == sample.length));
    Require(sample.loopType == NoLoop || sample.loopLength > 0);
    // length + 3 frames: the mixer may read up to two past the loop end.
    Touch(&sample.data[sample.length + 2]);
    const std::uint32_t loopEnd = sample.loopStart + sample.loopLength;
    if (sample.loopType == ForwardLoop) Require(sample.data[loopEnd] == sample.data[sample.loopStart]);
    if (sample.loopType == PingPongLoop) Require(sample.data[loopEnd] == sample.data[loopEnd - 1]);
}

inline void CheckInstrument(const InstrumentRecord& instrument) {
    bool holeSeen = false;
    for (const SampleRecord* sample : instrument.samples) {
        if (sample == nullptr) {
            holeSeen = true;
            continue;
        }
        Require(!holeSeen);  // the loader fills the first sampleCount slots
        CheckSample(*sample);
    }
    // Notes 0..95 index the keymap; a note past it must select nothing.
    Require(FindInstrumentSample(instrument, 96) == nullptr && FindInstrumentSample(instrument, 255) == nullptr);
    for (std::uint8_t note = 0; note < 96; ++note) {
        const SampleRecord* found = FindInstrumentSample(instrument, note);
        if (found == nullptr) continue;
        bool owned = false;
        for (const SampleRecord* sample : instrument.samples) owned = owned || sample == found;
        Require(owned);
    }
    Require(instrument.volumePointCount >= 2 || instrument.volumeType == 0);
    Require(instrument.panningPointCount >= 2 || instrument.panningType == 0);
    Require(instrument.fadeout % 2 == 0);
}

// The behaviour flags' values stay inside what the engine's arithmetic takes.
inline void CheckBehaviour(const Song& state) {
    if (state.behaviour & kBehaviourPeriodLimits) {
        Require(state.lowestPeriod > 0 && state.lowestPeriod <= state.highestPeriod);
    }
    if (state.behaviour & kBehaviourInitialGlobalVolume) Require(state.initialGlobalVolume <= 64);
    if (state.behaviour & kBehaviourMixVolume) Require(state.mixVolume <= 127);
    Require(state.format != nullptr);
}

inline void CheckLoadedModule(const Song& state) {
    Require(state.channelCount >= 1 && state.channelCount <= kMaxChannels);
    CheckBehaviour(state);
    CheckPatterns(state);
    Require(state.instrumentCount <= 255);
    Require(state.sampleRecords <= kMaxSampleRecords);
    for (int i = 0; i < state.instrumentCount; ++i) {
        CheckInstrument(state.instruments[i]);
        for (const SampleRecord* sample : state.instruments[i].samples) {
            Require(sample == nullptr || sample->index < state.sampleRecords);
        }
    }
}

// A play at the song's start: each channel on the first voice of its pair.
inline void CheckPlayStart(const Play& play) {
    for (int c = 0; c < play.song->channelCount; ++c) Require(play.channels[c].voice == 2 * c);
    Require(play.samplesPerTick >= 1);
    Require(play.pendingOrder == 0 && play.pendingRow == 0);
}

}  // namespace zumbrik::fuzz
