#include "player/formats/single_sample_instruments.h"

#include <algorithm>
#include <cstring>

namespace zumbrik {

namespace {

constexpr std::int64_t kChunkBytes = 4096;

// The frames live right after the record, in the block allocated for both.
std::int16_t* FramesOf(SampleRecord& sample) { return reinterpret_cast<std::int16_t*>(&sample + 1); }

}  // namespace

SampleRecord* NewSampleRecord(ModuleArena& arena, std::uint32_t length, std::uint32_t loopStart,
                              std::uint32_t loopEnd) {
    auto* sample = static_cast<SampleRecord*>(arena.Allocate(sizeof(SampleRecord) + 2 * std::size_t{length} + 6));
    if (sample == nullptr) return nullptr;
    sample->length = length;
    loopEnd = std::min(loopEnd, length);
    if (loopStart < loopEnd) {
        sample->loopStart = loopStart;
        sample->loopLength = loopEnd - loopStart;
        sample->loopType = ForwardLoop;
    } else {
        sample->loopLength = length;
        sample->loopType = NoLoop;
    }
    sample->panning = 128;
    sample->data = FramesOf(*sample);
    return sample;
}

void ReadPcmFrames(ModuleSource& source, SampleRecord& sample, PcmLayout layout) {
    std::int16_t* const frames = FramesOf(sample);
    const std::int64_t frameBytes = layout.is16Bit ? 2 : 1;
    const auto flip = static_cast<std::uint16_t>(layout.isUnsigned ? 0x8000 : 0);
    std::uint8_t chunk[kChunkBytes];
    std::uint32_t out = 0;
    while (out < sample.length) {
        // Only whole frames the source holds are read: a file's missing bytes would read as zeros, which
        // in unsigned data is no silence.
        const std::int64_t available = source.Length() - source.position;
        const std::int64_t n = std::min({(sample.length - out) * frameBytes, kChunkBytes,
                                         available - available % frameBytes});
        if (n <= 0) break;
        source.Read(chunk, n);
        for (std::int64_t i = 0; i < n; i += frameBytes) {
            const auto value = layout.is16Bit ? static_cast<std::uint16_t>(chunk[i] | chunk[i + 1] << 8)
                                              : static_cast<std::uint16_t>(chunk[i] << 8);
            frames[out++] = static_cast<std::int16_t>(value ^ flip);
        }
    }
    // What no byte reaches stays zero, as allocated; the position still moves past it.
    source.position += (sample.length - out) * frameBytes;
    if (sample.loopType == ForwardLoop) frames[sample.loopStart + sample.loopLength] = frames[sample.loopStart];
}

void UseAsOnlySample(InstrumentRecord& instrument, const SampleRecord* sample) {
    instrument.samples[0] = sample;
    std::memset(instrument.keymap, 0, sizeof instrument.keymap);
}

bool AllocateSongRecords(ModuleArena& arena, Song& song, PatternRecord*& patterns, InstrumentRecord*& instruments) {
    const std::size_t patternBytes = sizeof(PatternRecord) * song.patternCount;
    auto* block = static_cast<std::uint8_t*>(arena.Allocate(patternBytes + sizeof(InstrumentRecord) * song.instrumentCount));
    if (block == nullptr) return false;
    patterns = reinterpret_cast<PatternRecord*>(block);
    instruments = reinterpret_cast<InstrumentRecord*>(block + patternBytes);
    song.patterns = patterns;
    song.instruments = instruments;
    return true;
}

PatternCell* AllocateCells(ModuleArena& arena, const Song& song, std::uint16_t rows) {
    const std::size_t count = std::size_t{rows} * static_cast<std::size_t>(song.channelCount);
    return static_cast<PatternCell*>(arena.Allocate(sizeof(PatternCell) * count));
}

}  // namespace zumbrik
