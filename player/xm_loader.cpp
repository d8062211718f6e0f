#include "player/xm_loader.h"

#include <algorithm>
#include <cstring>

namespace zumbrik {

namespace {

constexpr std::int64_t kFileHeaderBytes = 336;
constexpr std::int64_t kPatternHeaderBytes = 9;
constexpr std::int64_t kInstrumentBlockBytes = 33;
constexpr std::int64_t kInstrumentDetailBytes = 208;  // header bytes 33..240, keymap to fade-out
constexpr std::int64_t kSampleHeaderBytes = 40;
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
            source.position += static_cast<std::int64_t>(count - i) * 5;
            return;
        }
        PatternCell& cell = cells[i];
        const std::uint8_t first = ReadByte(source);
        if (first & 0x80) {
            if (first & 0x01) cell.note = ReadByte(source);
            if (first & 0x02) cell.instrument = ReadByte(source);
            if (first & 0x04) cell.volume = ReadByte(source);
            if (first & 0x08) cell.effect = ReadByte(source);
            if (first & 0x10) cell.param = ReadByte(source);
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

bool LoadPatterns(ModuleSource& source, ModuleArena& arena, PlayerState& state, std::uint16_t filePatterns,
                  int highest) {
    const auto channels = static_cast<std::size_t>(state.channelCount);
    const auto instrumentCount = static_cast<std::uint8_t>(state.instrumentCount);
    for (std::uint16_t p = 0; p < filePatterns; ++p) {
        std::uint8_t header[kPatternHeaderBytes] = {};
        source.Read(header, kPatternHeaderBytes);
        PatternRecord& pattern = state.patterns[p];
        pattern.rows = Le16(header + 5);
        pattern.packedSize = Le16(header + 7);
        if (pattern.packedSize == 0) continue;
        if (pattern.rows == 0 || pattern.rows > kMaxRows) return false;
        const std::size_t count = pattern.rows * channels;
        pattern.cells = AllocateArray<PatternCell>(arena, count);
        if (pattern.cells == nullptr) return false;
        UnpackCells(source, pattern.cells, count, instrumentCount);
    }
    // Orders naming patterns the file does not hold play 64 empty rows.
    for (int p = highest; p >= filePatterns; --p) {
        PatternRecord& pattern = state.patterns[p];
        pattern.rows = kEmptyPatternRows;
        pattern.packedSize = 0;
        pattern.cells = AllocateArray<PatternCell>(arena, kEmptyPatternRows * channels);
        if (pattern.cells == nullptr) return false;
    }
    return true;
}

void ReadInstrumentDetails(const std::uint8_t* bytes, InstrumentRecord& instrument) {
    std::memcpy(instrument.keymap, bytes, 96);
    bytes += 96;
    for (EnvelopePoint* envelope : {instrument.volumeEnvelope, instrument.panningEnvelope}) {
        for (int i = 0; i < kEnvelopePoints; ++i, bytes += 4) {
            envelope[i].x = Le16(bytes);
            envelope[i].y = Le16(bytes + 2);
        }
    }
    instrument.volumePointCount = bytes[0];
    instrument.panningPointCount = bytes[1];
    instrument.volumeSustain = bytes[2];
    instrument.volumeLoopStart = bytes[3];
    instrument.volumeLoopEnd = bytes[4];
    instrument.panningSustain = bytes[5];
    instrument.panningLoopStart = bytes[6];
    instrument.panningLoopEnd = bytes[7];
    instrument.volumeType = bytes[8];
    instrument.panningType = bytes[9];
    instrument.vibratoType = bytes[10];
    instrument.vibratoSweep = bytes[11];
    instrument.vibratoDepth = bytes[12];
    instrument.vibratoRate = bytes[13];
    instrument.fadeout = Le16(bytes + 14);
}

// Builds the record of one sample header; nullptr when the sample is too long
// or the arena is exhausted.
SampleRecord* ReadSampleHeader(ModuleSource& source, ModuleArena& arena, std::uint32_t headerSize) {
    // Fields beyond a short header read as zero.
    std::uint8_t work[kSampleHeaderBytes] = {};
    source.Read(work, headerSize);
    const bool is16Bit = (work[14] & 0x10) != 0;
    const unsigned shift = is16Bit ? 1 : 0;
    const std::uint32_t length = Le32(work) >> shift;
    // Checked before allocating: a hostile length must not size the block.
    if (length >= kMaxSampleFrames) return nullptr;
    // Loop points are taken as unsigned and in 64 bits, so that no value in
    // the file can put the loop outside the sample.
    std::uint32_t loopStart = Le32(work + 4) >> shift;
    std::uint32_t loopLength = Le32(work + 8) >> shift;
    if (loopStart >= length) loopStart = length;
    if (std::uint64_t{loopStart} + loopLength >= length) loopLength = length - loopStart;
    std::uint8_t loopType = work[14] & 3;
    if (loopType == NoLoop || loopLength == 0) {
        loopStart = 0;
        loopLength = length;
        loopType = NoLoop;
    }
    const std::size_t bytes = sizeof(SampleRecord) + 2 * std::size_t{length} + 6;
    auto* sample = static_cast<SampleRecord*>(arena.Allocate(bytes));
    if (sample == nullptr) return nullptr;
    sample->length = length;
    sample->loopStart = loopStart;
    sample->loopLength = loopLength;
    sample->volume = work[12];
    sample->finetune = static_cast<std::int8_t>(work[13]);
    sample->is16Bit = is16Bit ? 1 : 0;
    sample->panning = work[15];
    sample->relativeNote = static_cast<std::int8_t>(work[16]);
    sample->packing = work[17];
    sample->loopType = loopType;
    sample->data = reinterpret_cast<std::int16_t*>(sample + 1);
    return sample;
}

constexpr std::int64_t kChunkBytes = 4096;

void DecodePacked4Bit(ModuleSource& source, SampleRecord& sample) {
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
                std::fill(sample.data + out, sample.data + sample.length, static_cast<std::int16_t>(accumulator * 256));
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
                if (out < sample.length) sample.data[out++] = static_cast<std::int16_t>(accumulator * 256);
            }
        }
        remaining -= n;
    }
}

void DecodeDelta(ModuleSource& source, SampleRecord& sample) {
    const std::int64_t frameBytes = sample.is16Bit ? 2 : 1;
    std::int64_t remaining = std::int64_t{sample.length} * frameBytes;
    std::uint16_t sum = 0;  // wraps, as the deltas expect
    std::uint32_t out = 0;
    std::uint8_t chunk[kChunkBytes];
    while (remaining > 0) {
        if (source.Exhausted()) {
            // Nothing more arrives: every further delta is 0, so the frames
            // repeat the last sum (the block is zero already when that is 0).
            if (sum != 0) std::fill(sample.data + out, sample.data + sample.length, static_cast<std::int16_t>(sum));
            source.position += remaining;
            return;
        }
        const std::int64_t n = std::min(remaining, kChunkBytes);
        std::memset(chunk, 0, static_cast<std::size_t>(n));
        source.Read(chunk, n);
        for (std::int64_t i = 0; i < n; i += frameBytes) {
            const std::uint16_t value = frameBytes == 2 ? Le16(chunk + i) : static_cast<std::uint16_t>(chunk[i] << 8);
            sum = static_cast<std::uint16_t>(sum + value);
            sample.data[out++] = static_cast<std::int16_t>(sum);
        }
        remaining -= n;
    }
}

// The mixer interpolates towards data[loop end]: make it the sample that
// follows in play.
void SetGuardSample(SampleRecord& sample) {
    const std::uint32_t loopEnd = sample.loopStart + sample.loopLength;
    if (sample.loopType == ForwardLoop) {
        sample.data[loopEnd] = sample.data[sample.loopStart];
    } else if (sample.loopType == PingPongLoop) {
        sample.data[loopEnd] = sample.data[loopEnd - 1];
    }
}

bool LoadInstrument(ModuleSource& source, ModuleArena& arena, InstrumentRecord& instrument) {
    std::uint8_t block[kInstrumentBlockBytes] = {};
    source.Read(block, kInstrumentBlockBytes);
    const std::uint32_t headerSize = Le32(block);
    const std::uint8_t sampleCount = block[27];
    const std::uint32_t sampleHeaderSize = Le32(block + 29);
    std::int64_t bytesRead = kInstrumentBlockBytes;
    if (sampleCount != 0) {
        if (sampleCount > kInstrumentSamples || sampleHeaderSize > kSampleHeaderBytes) return false;
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

    for (int s = 0; s < sampleCount; ++s) {
        instrument.samples[s] = ReadSampleHeader(source, arena, sampleHeaderSize);
        if (instrument.samples[s] == nullptr) return false;
    }
    for (int s = 0; s < sampleCount; ++s) {
        SampleRecord& sample = *instrument.samples[s];
        if (sample.packing == 0xAD) {
            DecodePacked4Bit(source, sample);
        } else {
            DecodeDelta(source, sample);
        }
        SetGuardSample(sample);
    }
    return true;
}

}  // namespace

bool LoadModule(ModuleSource& source, ModuleArena& arena, PlayerState& state) {
    state = PlayerState{};
    if (!source.Open()) return false;
    std::uint8_t header[kFileHeaderBytes] = {};
    source.Read(header, kFileHeaderBytes);
    source.Seek(60 + std::int64_t{Le32(header + 60)}, SeekMode::Absolute);

    const std::uint16_t filePatterns = Le16(header + 70);
    const std::uint16_t songLength = Le16(header + 64);
    if (filePatterns == 0 || songLength == 0 || songLength > 256) return false;
    const std::uint8_t* orders = header + 80;
    const int highest = *std::max_element(orders, orders + songLength);
    const int channelCount = header[68];
    if (channelCount == 0 || channelCount > kMaxChannels) return false;

    state.songLength = songLength;
    state.restartPosition = Le16(header + 66);
    state.channelCountAsRead = header[68];
    state.globalVolumeSlide = header[69];
    state.channelCount = channelCount;
    state.patternCount = std::max<std::uint16_t>(filePatterns, static_cast<std::uint16_t>(highest + 1));
    state.instrumentCount = header[72];
    state.moduleFlags = Le16(header + 74);
    state.defaultTempo = Le16(header + 76);
    state.defaultBpm = Le16(header + 78);
    std::memcpy(state.orderTable, orders, sizeof state.orderTable);

    const auto channels = static_cast<std::size_t>(channelCount);
    const std::size_t voiceBytes = sizeof(MixVoice) * 2 * channels;
    const std::size_t channelBytes = sizeof(ChannelState) * channels;
    const std::size_t patternBytes = sizeof(PatternRecord) * state.patternCount;
    const std::size_t instrumentBytes = sizeof(InstrumentRecord) * state.instrumentCount;
    auto* block = static_cast<std::uint8_t*>(arena.Allocate(voiceBytes + channelBytes + patternBytes + instrumentBytes));
    if (block == nullptr) return false;
    state.voices = reinterpret_cast<MixVoice*>(block);
    state.channels = reinterpret_cast<ChannelState*>(block + voiceBytes);
    state.patterns = reinterpret_cast<PatternRecord*>(block + voiceBytes + channelBytes);
    state.instruments = reinterpret_cast<InstrumentRecord*>(block + voiceBytes + channelBytes + patternBytes);
    for (std::size_t c = 0; c < channels; ++c) {
        state.voices[2 * c].stepInteger = 1;
        state.channels[c].voice = &state.voices[2 * c];
    }

    SetTempoBpm(state, state.defaultBpm);
    state.globalVolume = 64;
    state.speed = state.defaultTempo;

    if (!LoadPatterns(source, arena, state, filePatterns, highest)) return false;

    state.tickFramesLeft = 0;
    state.tick = 0;
    state.patternDelayTicks = 0;
    state.pendingOrder = 0;
    state.pendingRow = 0;

    for (int i = 0; i < state.instrumentCount; ++i) {
        if (!LoadInstrument(source, arena, state.instruments[i])) return false;
    }
    return true;
}

}  // namespace zumbrik
