#pragma once
#include <cstdint>

#include "player/song/load_result.h"
#include "player/song/module_arena.h"
#include "player/song/module_source.h"
#include "player/song/song_records.h"

namespace zumbrik {

// Records for the formats whose instruments are plain samples (MOD, S3M):
// each instrument holds one sample on every key, without envelopes.

// How a sample's frames are stored in the file.
struct PcmLayout {
    bool is16Bit = false;
    bool isUnsigned = false;
};

// A sample record with room for `length` frames and the guard samples after
// them, the loop clamped into the sample (loopEnd <= loopStart: no loop);
// null when the arena's cap is reached.
SampleRecord* NewSampleRecord(ModuleArena& arena, std::uint32_t length, std::uint32_t loopStart,
                              std::uint32_t loopEnd);

// Reads the sample's frames from the source's position; what the source
// does not hold reads as silence. Sets the guard sample the mixer reads at
// the loop's end.
void ReadPcmFrames(ModuleSource& source, SampleRecord& sample, PcmLayout layout);

// Makes the sample the instrument's only one, on every key.
void UseAsOnlySample(InstrumentRecord& instrument, const SampleRecord* sample);

// The song's pattern and instrument records in one block; false when the
// arena's cap is reached.
bool AllocateSongRecords(ModuleArena& arena, Song& song, PatternRecord*& patterns, InstrumentRecord*& instruments);

// A pattern of `rows` empty rows of the song's channels; null at the cap.
PatternCell* AllocateCells(ModuleArena& arena, const Song& song, std::uint16_t rows);

}  // namespace zumbrik
