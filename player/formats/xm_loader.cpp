#include "player/formats/xm_loader.h"

#include <algorithm>
#include <cstring>

#include "player/formats/xm_layout.h"

namespace zumbrik {

namespace {

constexpr std::int64_t kFileHeaderBytes = xm::kFileHeaderBytes;
constexpr std::int64_t kPatternHeaderBytes = xm::kPatternHeaderBytes;
constexpr std::int64_t kInstrumentBlockBytes = xm::kInstrumentBlockBytes;
// The header from the keymap to the fade-out.
constexpr std::int64_t kInstrumentDetailBytes = xm::kInstrumentDetailsEnd - xm::kKeymap;
constexpr std::int64_t kSampleHeaderBytes = xm::kSampleHeaderBytes;
constexpr int kMaxChannels = 64;
constexpr int kMaxRows = 256;
constexpr int kEmptyPatternRows = 64;

std::uint16_t Le16(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

std::uint32_t Le32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(Le16(bytes)) | static_cast<std::uint32_t>(Le16(bytes + 2)) << 16;
}

template <typename T>
T* AllocateArray(ModuleArena& arena, std::size_t count) {
    return static_cast<T*>(arena.Allocate(sizeof(T) * count));
}

std::uint8_t ReadByte(ModuleSource& source) {
    std::uint8_t byte = 0;  // what a read past the end leaves
    source.Read(&byte, 1);
    return byte;
}

void UnpackCells(ModuleSource& source, PatternCell* cells, std::size_t count, std::uint8_t instrumentCount) {
    for (std::size_t i = 0; i < count; ++i) {
        if (source.Exhausted()) {
            // Past the end every cell reads as a plain note 0 with four more
            // empty bytes: keep the position exact and the cells as allocated (zero).
            source.position += static_cast<std::int64_t>(count - i) * static_cast<std::int64_t>(xm::kCellBytes);
            return;
        }
        PatternCell& cell = cells[i];
        const std::uint8_t first = ReadByte(source);
        if (first & xm::kCellPacked) {
            if (first & xm::kCellNote) cell.note = ReadByte(source);
            if (first & xm::kCellInstrument) cell.instrument = ReadByte(source);
            if (first & xm::kCellVolume) cell.volume = ReadByte(source);
            if (first & xm::kCellEffect) cell.effect = ReadByte(source);
            if (first & xm::kCellParam) cell.param = ReadByte(source);
        } else {
            cell.note = first;
            cell.instrument = ReadByte(source);
            cell.volume = ReadByte(source);
            cell.effect = ReadByte(source);
            cell.param = ReadByte(source);
        }
        if (cell.instrument > instrumentCount) cell.instrument = 0;
    }
}

LoadResult LoadPatterns(ModuleSource& source, ModuleArena& arena, const Song& song, PatternRecord* patterns,
                        std::uint16_t filePatterns, int highest) {
    const auto channels = static_cast<std::size_t>(song.channelCount);
    const auto instrumentCount = static_cast<std::uint8_t>(song.instrumentCount);
    for (std::uint16_t p = 0; p < filePatterns; ++p) {
        std::uint8_t header[kPatternHeaderBytes] = {};
        source.Read(header, kPatternHeaderBytes);
        PatternRecord& pattern = patterns[p];
        pattern.rows = Le16(header + xm::kPatternRows);
        pattern.packedSize = Le16(header + xm::kPatternPackedSize);
        if (pattern.packedSize == 0) continue;
        if (pattern.rows == 0 || pattern.rows > kMaxRows) return LoadResult::PatternRows;
        const std::size_t count = pattern.rows * channels;
        PatternCell* cells = AllocateArray<PatternCell>(arena, count);
        if (cells == nullptr) return LoadResult::MemoryCap;
        UnpackCells(source, cells, count, instrumentCount);
        pattern.cells = cells;
    }
    // Orders naming patterns the file does not hold play 64 empty rows.
    for (int p = highest; p >= filePatterns; --p) {
        PatternRecord& pattern = patterns[p];
        pattern.rows = kEmptyPatternRows;
        pattern.packedSize = 0;
        pattern.cells = AllocateArray<PatternCell>(arena, kEmptyPatternRows * channels);
        if (pattern.cells == nullptr) return LoadResult::MemoryCap;
    }
    return LoadResult::Loaded;
}

// details holds the instrument header from the keymap on.
void ReadInstrumentDetails(const std::uint8_t* details, InstrumentRecord& instrument) {
    const auto at = [details](std::size_t offset) { return details + (offset - xm::kKeymap); };
    std::memcpy(instrument.keymap, at(xm::kKeymap), xm::kKeymapBytes);
    const auto readPoints = [&at](std::size_t offset, EnvelopePoint* points) {
        for (std::size_t i = 0; i < kEnvelopePoints; ++i) {
            const std::uint8_t* point = at(offset + i * xm::kEnvelopePointBytes);
            points[i].x = Le16(point);
            points[i].y = Le16(point + 2);
        }
    };
    readPoints(xm::kVolumeEnvelope, instrument.volumeEnvelope);
    readPoints(xm::kPanningEnvelope, instrument.panningEnvelope);
    instrument.volumePointCount = *at(xm::kVolumePointCount);
    instrument.panningPointCount = *at(xm::kPanningPointCount);
    instrument.volumeSustain = *at(xm::kVolumeSustain);
    instrument.volumeLoopStart = *at(xm::kVolumeLoopStart);
    instrument.volumeLoopEnd = *at(xm::kVolumeLoopEnd);
    instrument.panningSustain = *at(xm::kPanningSustain);
    instrument.panningLoopStart = *at(xm::kPanningLoopStart);
    instrument.panningLoopEnd = *at(xm::kPanningLoopEnd);
    instrument.volumeType = *at(xm::kVolumeType);
    instrument.panningType = *at(xm::kPanningType);
    instrument.vibratoType = *at(xm::kVibratoType);
    instrument.vibratoSweep = *at(xm::kVibratoSweep);
    instrument.vibratoDepth = *at(xm::kVibratoDepth);
    instrument.vibratoRate = *at(xm::kVibratoRate);
    instrument.fadeout = Le16(at(xm::kFadeout));
}

// The decoded frames of a sample record live right after it, in the block
// the loader allocated; the record itself only lends them out read-only.
std::int16_t* FramesOf(SampleRecord& sample) { return reinterpret_cast<std::int16_t*>(&sample + 1); }

// Builds the record of one sample header into `sample`.
LoadResult ReadSampleHeader(ModuleSource& source, ModuleArena& arena, std::uint32_t headerSize,
                            SampleRecord*& sample) {
    // Fields beyond a short header read as zero.
    std::uint8_t work[kSampleHeaderBytes] = {};
    source.Read(work, headerSize);
    const bool is16Bit = (work[xm::kSampleType] & xm::kSample16Bit) != 0;
    const unsigned shift = is16Bit ? 1 : 0;
    const std::uint32_t length = Le32(work + xm::kSampleLength) >> shift;
    // Checked before allocating: a hostile length must not size the block.
    if (length >= kMaxSampleFrames) return LoadResult::SampleLength;
    // Loop points are taken as unsigned and in 64 bits, so that no value in
    // the file can put the loop outside the sample.
    std::uint32_t loopStart = Le32(work + xm::kSampleLoopStart) >> shift;
    std::uint32_t loopLength = Le32(work + xm::kSampleLoopLength) >> shift;
    if (loopStart >= length) loopStart = length;
    if (std::uint64_t{loopStart} + loopLength >= length) loopLength = length - loopStart;
    std::uint8_t loopType = work[xm::kSampleType] & xm::kSampleLoopBits;
    if (loopType == NoLoop || loopLength == 0) {
        loopStart = 0;
        loopLength = length;
        loopType = NoLoop;
    }
    const std::size_t bytes = sizeof(SampleRecord) + 2 * std::size_t{length} + 6;
    sample = static_cast<SampleRecord*>(arena.Allocate(bytes));
    if (sample == nullptr) return LoadResult::MemoryCap;
    sample->length = length;
    sample->loopStart = loopStart;
    sample->loopLength = loopLength;
    sample->volume = work[xm::kSampleVolume];
    sample->finetune = static_cast<std::int8_t>(work[xm::kSampleFinetune]);
    sample->is16Bit = is16Bit ? 1 : 0;
    sample->panning = work[xm::kSamplePanning];
    sample->relativeNote = static_cast<std::int8_t>(work[xm::kSampleRelativeNote]);
    sample->packing = work[xm::kSamplePacking];
    sample->loopType = loopType;
    sample->data = FramesOf(*sample);
    CopyName(sample->name, work + xm::kSampleName, xm::kSampleNameBytes);
    return LoadResult::Loaded;
}

constexpr std::int64_t kChunkBytes = 4096;

void DecodePacked4Bit(ModuleSource& source, SampleRecord& sample) {
    std::int16_t* const frames = FramesOf(sample);
    std::int8_t table[16] = {};
    source.Read(table, sizeof table);
    std::int64_t remaining = (std::int64_t{sample.length} + 1) / 2;
    std::uint32_t out = 0;
    std::int8_t accumulator = 0;
    std::uint8_t chunk[kChunkBytes];
    while (remaining > 0) {
        if (source.Exhausted() && table[0] == 0) {
            // Only zero nibbles follow and they do not move the accumulator.
            if (accumulator != 0) {
                std::fill(frames + out, frames + sample.length, static_cast<std::int16_t>(accumulator * 256));
            }
            source.position += remaining;
            return;
        }
        const std::int64_t n = std::min(remaining, kChunkBytes);
        std::memset(chunk, 0, static_cast<std::size_t>(n));
        source.Read(chunk, n);
        for (std::int64_t i = 0; i < n; ++i) {
            for (int nibble : {chunk[i] & 0x0F, chunk[i] >> 4}) {
                accumulator = static_cast<std::int8_t>(accumulator + table[nibble]);
                // The high nibble of an odd-length sample's last byte is padding.
                if (out < sample.length) frames[out++] = static_cast<std::int16_t>(accumulator * 256);
            }
        }
        remaining -= n;
    }
}

void DecodeDelta(ModuleSource& source, SampleRecord& sample) {
    std::int16_t* const frames = FramesOf(sample);
    const std::int64_t frameBytes = sample.is16Bit ? 2 : 1;
    std::int64_t remaining = std::int64_t{sample.length} * frameBytes;
    std::uint16_t sum = 0;  // wraps, as the deltas expect
    std::uint32_t out = 0;
    std::uint8_t chunk[kChunkBytes];
    while (remaining > 0) {
        if (source.Exhausted()) {
            // Nothing more arrives: every further delta is 0, so the frames
            // repeat the last sum (the block is zero already when that is 0).
            if (sum != 0) std::fill(frames + out, frames + sample.length, static_cast<std::int16_t>(sum));
            source.position += remaining;
            return;
        }
        const std::int64_t n = std::min(remaining, kChunkBytes);
        std::memset(chunk, 0, static_cast<std::size_t>(n));
        source.Read(chunk, n);
        for (std::int64_t i = 0; i < n; i += frameBytes) {
            const std::uint16_t value = frameBytes == 2 ? Le16(chunk + i) : static_cast<std::uint16_t>(chunk[i] << 8);
            sum = static_cast<std::uint16_t>(sum + value);
            frames[out++] = static_cast<std::int16_t>(sum);
        }
        remaining -= n;
    }
}

// The mixer interpolates towards data[loop end]: make it the sample that
// follows in play.
void SetGuardSample(SampleRecord& sample) {
    std::int16_t* const frames = FramesOf(sample);
    const std::uint32_t loopEnd = sample.loopStart + sample.loopLength;
    if (sample.loopType == ForwardLoop) {
        frames[loopEnd] = frames[sample.loopStart];
    } else if (sample.loopType == PingPongLoop) {
        frames[loopEnd] = frames[loopEnd - 1];
    }
}

LoadResult LoadInstrument(ModuleSource& source, ModuleArena& arena, InstrumentRecord& instrument,
                          std::uint16_t& sampleRecords) {
    std::uint8_t block[kInstrumentBlockBytes] = {};
    source.Read(block, kInstrumentBlockBytes);
    CopyName(instrument.name, block + xm::kInstrumentName, xm::kInstrumentNameBytes);
    const std::uint32_t headerSize = Le32(block + xm::kInstrumentHeaderSize);
    const std::uint8_t sampleCount = block[xm::kSampleCount];
    const std::uint32_t sampleHeaderSize = Le32(block + xm::kSampleHeaderSize);
    std::int64_t bytesRead = kInstrumentBlockBytes;
    if (sampleCount != 0) {
        if (sampleCount > kInstrumentSamples || sampleHeaderSize > kSampleHeaderBytes) {
            return LoadResult::InstrumentSamples;
        }
        std::uint8_t details[kInstrumentDetailBytes] = {};
        source.Read(details, kInstrumentDetailBytes);
        ReadInstrumentDetails(details, instrument);
        bytesRead += kInstrumentDetailBytes;
    }
    // Continue at the instrument's start + its header size, which may lie
    // before what was just read.
    source.Seek(std::int64_t{headerSize} - bytesRead, SeekMode::Relative);
    instrument.fadeout = static_cast<std::uint16_t>(instrument.fadeout * 2);
    if (instrument.volumePointCount < 2) instrument.volumeType = 0;
    if (instrument.panningPointCount < 2) instrument.panningType = 0;

    SampleRecord* samples[kInstrumentSamples] = {};
    for (int s = 0; s < sampleCount; ++s) {
        const LoadResult result = ReadSampleHeader(source, arena, sampleHeaderSize, samples[s]);
        if (result != LoadResult::Loaded) return result;
        samples[s]->index = sampleRecords++;
        instrument.samples[s] = samples[s];
    }
    for (int s = 0; s < sampleCount; ++s) {
        SampleRecord& sample = *samples[s];
        if (sample.packing == xm::kPacked4Bit) {
            DecodePacked4Bit(source, sample);
        } else {
            DecodeDelta(source, sample);
        }
        SetGuardSample(sample);
    }
    return LoadResult::Loaded;
}

// Reads the file header's fields into the song.
void ReadSongHeader(const std::uint8_t* header, Song& song) {
    song.songLength = Le16(header + xm::kSongLength);
    song.restartPosition = Le16(header + xm::kRestartPosition);
    song.channelCountAsRead = header[xm::kChannelCount];
    song.initialGlobalVolumeSlide = header[xm::kChannelCount + 1];
    song.channelCount = header[xm::kChannelCount];
    song.instrumentCount = header[xm::kInstrumentCount];
    song.moduleFlags = Le16(header + xm::kFlags);
    song.defaultTempo = Le16(header + xm::kTempo);
    song.defaultBpm = Le16(header + xm::kBpm);
    std::memcpy(song.orderTable, header + xm::kOrderTable, sizeof song.orderTable);
    song.format = "XM";
    CopyName(song.title, header + xm::kModuleName, xm::kModuleNameBytes);
    CopyName(song.tracker, header + xm::kTrackerName, xm::kTrackerNameBytes);
}

LoadResult LoadFromHeader(ModuleSource& source, ModuleArena& arena, Song& song, const std::uint8_t* header) {
    const std::uint16_t filePatterns = Le16(header + xm::kPatternCount);
    const std::uint16_t songLength = Le16(header + xm::kSongLength);
    if (songLength == 0 || songLength > 256) return LoadResult::SongLength;
    if (filePatterns == 0) return LoadResult::NoPatterns;
    const std::uint8_t* orders = header + xm::kOrderTable;
    const int highest = *std::max_element(orders, orders + songLength);
    const int channelCount = header[xm::kChannelCount];
    if (channelCount == 0 || channelCount > kMaxChannels) return LoadResult::ChannelCount;

    ReadSongHeader(header, song);
    song.patternCount = std::max<std::uint16_t>(filePatterns, static_cast<std::uint16_t>(highest + 1));
    // One block for the pattern and instrument records.
    const std::size_t patternBytes = sizeof(PatternRecord) * song.patternCount;
    auto* block = static_cast<std::uint8_t*>(
        arena.Allocate(patternBytes + sizeof(InstrumentRecord) * song.instrumentCount));
    if (block == nullptr) return LoadResult::MemoryCap;
    auto* patterns = reinterpret_cast<PatternRecord*>(block);
    auto* instruments = reinterpret_cast<InstrumentRecord*>(block + patternBytes);
    song.patterns = patterns;
    song.instruments = instruments;

    LoadResult result = LoadPatterns(source, arena, song, patterns, filePatterns, highest);
    if (result != LoadResult::Loaded) return result;
    for (int i = 0; i < song.instrumentCount; ++i) {
        result = LoadInstrument(source, arena, instruments[i], song.sampleRecords);
        if (result != LoadResult::Loaded) return result;
    }
    return LoadResult::Loaded;
}

// Whether the source begins like an XM file: a whole header with the ID text.
bool BeginsLikeXm(const ModuleSource& source, const std::uint8_t* header) {
    return source.Length() >= kFileHeaderBytes && std::memcmp(header, xm::kIdText, xm::kIdTextBytes) == 0;
}

}  // namespace

LoadResult LoadXm(ModuleSource& source, ModuleArena& arena, Song& song) {
    song = Song{};
    if (!source.Open()) return LoadResult::CannotOpen;
    std::uint8_t header[kFileHeaderBytes] = {};
    source.Read(header, kFileHeaderBytes);
    source.Seek(std::int64_t{xm::kHeaderSizeBase} + Le32(header + xm::kHeaderSize), SeekMode::Absolute);
    const LoadResult result = LoadFromHeader(source, arena, song, header);
    // The loader is lenient: it takes what it can, whatever the bytes claim
    // to be. Only a file it refuses anyway is called no XM file.
    if (result != LoadResult::Loaded && !BeginsLikeXm(source, header)) return LoadResult::NotXmFile;
    return result;
}

}  // namespace zumbrik
