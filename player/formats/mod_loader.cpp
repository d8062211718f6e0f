#include "player/formats/mod_loader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "player/formats/mod_cells.h"
#include "player/formats/mod_layout.h"
#include "player/formats/single_sample_instruments.h"
#include "player/formats/xm_loader.h"

namespace zumbrik {

namespace {

constexpr std::size_t kHeaderBytes = mod::kTag + mod::kTagBytes;

std::uint32_t Be16(const std::uint8_t* bytes) { return static_cast<std::uint32_t>(bytes[0] << 8 | bytes[1]); }

bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }

struct ModHeader {
    int samples = mod::kSamples;
    int channels = 4;
    const std::uint8_t* bytes = nullptr;  // kHeaderBytes of them

    const std::uint8_t* SampleHeader(int s) const {
        return bytes + mod::kSampleHeaders + static_cast<std::size_t>(s) * mod::kSampleHeaderBytes;
    }
    std::uint32_t SampleBytes(int s) const { return 2 * Be16(SampleHeader(s) + mod::kSampleLength); }
    std::uint8_t SongLength() const { return bytes[mod::SongLengthOffset(samples)]; }
    std::uint8_t Restart() const { return bytes[mod::SongLengthOffset(samples) + 1]; }
    const std::uint8_t* Orders() const { return bytes + mod::OrdersOffset(samples); }
    std::size_t PatternBytes() const { return mod::kRows * mod::kCellBytes * static_cast<std::size_t>(channels); }
};

// The old layout's fields all in range: volumes and finetunes, lengths,
// orders below 64, names of text, a sample with data, and the file long
// enough for its patterns.
bool OldLayoutInRange(const ModHeader& header, std::int64_t length) {
    if (header.SongLength() == 0 || header.SongLength() > mod::kOrderCount) return false;
    const std::uint8_t* orders = header.Orders();
    if (std::any_of(orders, orders + mod::kOrderCount, [](std::uint8_t o) { return o >= 64; })) return false;
    const auto isText = [](const std::uint8_t* text, std::size_t bytes) {
        return std::all_of(text, text + bytes, [](std::uint8_t c) { return c == 0 || c >= 32; });
    };
    if (!isText(header.bytes + mod::kTitle, mod::kTitleBytes)) return false;
    std::uint64_t sampleBytes = 0;
    for (int s = 0; s < header.samples; ++s) {
        const std::uint8_t* h = header.SampleHeader(s);
        if (h[mod::kSampleVolume] > 64 || h[mod::kSampleFinetune] > 15 || h[mod::kSampleLength] >= 0x80) return false;
        if (!isText(h + mod::kSampleName, mod::kSampleNameBytes)) return false;
        sampleBytes += header.SampleBytes(s);
    }
    const int patterns = *std::max_element(orders, orders + mod::kOrderCount) + 1;
    return sampleBytes != 0 &&
           length >= static_cast<std::int64_t>(mod::PatternsOffset(header.samples) + patterns * header.PatternBytes());
}

// How many patterns the file holds. ProTracker counts every one of the 128
// orders, used or not; some writers count only the song's. The count whose
// file size is nearer the real one wins.
int PatternCount(const ModHeader& header, std::int64_t length) {
    const std::uint8_t* orders = header.Orders();
    const int all = *std::max_element(orders, orders + mod::kOrderCount) + 1;
    const int used = *std::max_element(orders, orders + std::max<int>(header.SongLength(), 1)) + 1;
    std::int64_t sampleBytes = 0;
    for (int s = 0; s < header.samples; ++s) sampleBytes += header.SampleBytes(s);
    const auto sizeWith = [&](int patterns) {
        return static_cast<std::int64_t>(mod::PatternsOffset(header.samples) + patterns * header.PatternBytes()) +
               sampleBytes;
    };
    return std::llabs(sizeWith(used) - length) < std::llabs(sizeWith(all) - length) ? used : all;
}

void ReadSongFields(const ModHeader& header, Song& song) {
    song.format = "MOD";
    CopyName(song.title, header.bytes + mod::kTitle, mod::kTitleBytes);
    song.channelCount = header.channels;
    song.channelCountAsRead = static_cast<std::uint8_t>(header.channels);
    song.songLength = header.SongLength();
    song.restartPosition = header.Restart() < header.SongLength() ? header.Restart() : 0;
    std::memcpy(song.orderTable, header.Orders(), mod::kOrderCount);
    song.instrumentCount = static_cast<std::uint16_t>(header.samples);
    song.defaultTempo = 6;
    song.defaultBpm = 125;
    // The Amiga's four channels: 1 and 4 on the left, 2 and 3 on the right, and so on in fours.
    for (int c = 0; c < header.channels; ++c) song.channelPanning[c] = (c & 3) == 0 || (c & 3) == 3 ? 0 : 255;
    song.behaviour = kBehaviourClampVolumes | kBehaviourChannelPanning | kBehaviourOffsetWithinSample |
                     kBehaviourSignedFinetuneNibble | kBehaviourPeriodLimits | kBehaviourPalClock;
}

LoadResult ReadPatterns(ModuleSource& source, ModuleArena& arena, Song& song, PatternRecord* patterns) {
    int lowest = mod::kLowestPeriod;
    int highest = mod::kHighestPeriod;
    const std::size_t rowBytes = mod::kCellBytes * static_cast<std::size_t>(song.channelCount);
    std::uint8_t row[mod::kCellBytes * mod::kMaxChannels];
    for (int p = 0; p < song.patternCount; ++p) {
        PatternCell* cells = AllocateCells(arena, song, mod::kRows);
        if (cells == nullptr) return LoadResult::MemoryCap;
        patterns[p] = PatternRecord{mod::kRows, static_cast<std::uint16_t>(mod::kRows * rowBytes), cells};
        for (int r = 0; r < mod::kRows; ++r) {
            std::memset(row, 0, rowBytes);
            source.Read(row, static_cast<std::int64_t>(rowBytes));
            for (int c = 0; c < song.channelCount; ++c) {
                const std::uint8_t* bytes = row + mod::kCellBytes * static_cast<std::size_t>(c);
                PatternCell& cell = cells[r * song.channelCount + c];
                cell = ConvertModCell(bytes);
                if (cell.instrument > song.instrumentCount) cell.instrument = 0;
                const int period = (bytes[0] & 0x0F) << 8 | bytes[1];
                if (period != 0) {
                    lowest = std::min(lowest, period);
                    highest = std::max(highest, period);
                }
            }
        }
    }
    // Notes written beyond ProTracker's range widen the limits, so that they still play.
    song.lowestPeriod = 4 * lowest;
    song.highestPeriod = 4 * highest;
    return LoadResult::Loaded;
}

LoadResult ReadSamples(ModuleSource& source, ModuleArena& arena, const ModHeader& header, Song& song,
                       InstrumentRecord* instruments) {
    for (int s = 0; s < header.samples; ++s) {
        const std::uint8_t* h = header.SampleHeader(s);
        const std::uint32_t length = header.SampleBytes(s);
        std::uint32_t loopStart = 2 * Be16(h + mod::kSampleLoopStart);
        const std::uint32_t loopLength = 2 * Be16(h + mod::kSampleLoopLength);
        // The first trackers counted the loop start in bytes.
        if (loopStart + loopLength > length && loopStart / 2 + loopLength <= length) loopStart /= 2;
        const std::uint32_t loopEnd = loopLength > 2 ? loopStart + loopLength : 0;
        SampleRecord* sample = NewSampleRecord(arena, length, loopStart, loopEnd);
        if (sample == nullptr) return LoadResult::MemoryCap;
        sample->volume = std::min<std::uint8_t>(h[mod::kSampleVolume], 64);
        // A signed nibble in eighths of a semitone; the engine counts 128ths.
        sample->finetune = static_cast<std::int8_t>(((h[mod::kSampleFinetune] & 15) ^ 8) * 16 - 128);
        sample->index = static_cast<std::uint16_t>(s);
        CopyName(sample->name, h + mod::kSampleName, mod::kSampleNameBytes);
        CopyName(instruments[s].name, h + mod::kSampleName, mod::kSampleNameBytes);
        ReadPcmFrames(source, *sample, PcmLayout{});
        UseAsOnlySample(instruments[s], sample);
    }
    song.sampleRecords = static_cast<std::uint16_t>(header.samples);
    return LoadResult::Loaded;
}

}  // namespace

int ModTagChannels(const std::uint8_t* tag) {
    for (const char* known : {"M.K.", "M!K!", "FLT4", "4CHN"}) {
        if (std::memcmp(tag, known, 4) == 0) return 4;
    }
    if (IsDigit(tag[0]) && tag[0] != '0' && std::memcmp(tag + 1, "CHN", 3) == 0) return tag[0] - '0';
    if (IsDigit(tag[0]) && IsDigit(tag[1]) && tag[2] == 'C' && (tag[3] == 'H' || tag[3] == 'N')) {
        const int channels = 10 * (tag[0] - '0') + (tag[1] - '0');
        return channels >= 10 && channels <= mod::kMaxChannels ? channels : 0;
    }
    return 0;
}

bool LooksLikeMod(const std::uint8_t* head, std::size_t count, std::int64_t length) {
    if (count < kHeaderBytes) return false;
    if (ModTagChannels(head + mod::kTag) != 0) return true;
    return OldLayoutInRange(ModHeader{mod::kOldSamples, 4, head}, length);
}

LoadResult LoadMod(ModuleSource& source, ModuleArena& arena, Song& song) {
    song = Song{};
    song.format = "MOD";
    if (!source.Open()) return LoadResult::CannotOpen;
    std::uint8_t bytes[kHeaderBytes] = {};
    source.Read(bytes, kHeaderBytes);
    ModHeader header{mod::kSamples, ModTagChannels(bytes + mod::kTag), bytes};
    if (header.channels == 0) header = ModHeader{mod::kOldSamples, 4, bytes};
    if (header.SongLength() == 0 || header.SongLength() > mod::kOrderCount) return LoadResult::SongLength;
    ReadSongFields(header, song);
    song.patternCount = static_cast<std::uint16_t>(PatternCount(header, source.Length()));
    PatternRecord* patterns = nullptr;
    InstrumentRecord* instruments = nullptr;
    if (!AllocateSongRecords(arena, song, patterns, instruments)) return LoadResult::MemoryCap;
    source.Seek(static_cast<std::int64_t>(mod::PatternsOffset(header.samples)), SeekMode::Absolute);
    const LoadResult result = ReadPatterns(source, arena, song, patterns);
    if (result != LoadResult::Loaded) return result;
    return ReadSamples(source, arena, header, song, instruments);
}

}  // namespace zumbrik
