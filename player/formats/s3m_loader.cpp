#include "player/formats/s3m_loader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "player/formats/s3m_cells.h"
#include "player/formats/s3m_layout.h"
#include "player/formats/single_sample_instruments.h"
#include "player/formats/xm_loader.h"

namespace zumbrik {

namespace {

constexpr int kMostInstruments = 255;
constexpr int kMostPatterns = 256;
constexpr std::uint32_t kReferenceC2Speed = 8363;

std::uint16_t Le16(const std::uint8_t* bytes) { return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8); }
std::uint32_t Le32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(Le16(bytes)) | static_cast<std::uint32_t>(Le16(bytes + 2)) << 16;
}

std::uint8_t ReadByte(ModuleSource& source) {
    std::uint8_t byte = 0;
    source.Read(&byte, 1);
    return byte;
}

std::int64_t Paragraphs(std::uint32_t pointer) { return std::int64_t{pointer} * 16; }

// The file's header and the tables after it.
struct S3mTables {
    std::uint8_t header[s3m::kHeaderBytes] = {};
    std::uint16_t orderCount = 0;
    std::uint16_t instrumentCount = 0;
    std::uint16_t patternCount = 0;
    std::uint8_t orders[256] = {};
    std::uint16_t instrumentPointers[kMostInstruments] = {};
    std::uint16_t patternPointers[kMostPatterns] = {};
    std::uint8_t panning[s3m::kChannels] = {};
    std::uint8_t newOrderIndex[256] = {};  // where each order of the file lies once markers are gone
    int channelOf[s3m::kChannels] = {};    // the song's channel for each of the file's, -1 for none
};

void ReadTables(ModuleSource& source, S3mTables& t) {
    source.Read(t.header, s3m::kHeaderBytes);
    t.orderCount = Le16(t.header + s3m::kOrderCount);
    t.instrumentCount = Le16(t.header + s3m::kInstrumentCount);
    t.patternCount = Le16(t.header + s3m::kPatternCount);
    std::uint8_t byte = 0;
    for (int i = 0; i < t.orderCount; ++i) {
        byte = ReadByte(source);
        if (i < 256) t.orders[i] = byte;
    }
    std::uint8_t pair[2];
    for (int i = 0; i < t.instrumentCount; ++i) {
        pair[0] = pair[1] = 0;
        source.Read(pair, 2);
        if (i < kMostInstruments) t.instrumentPointers[i] = Le16(pair);
    }
    for (int i = 0; i < t.patternCount; ++i) {
        pair[0] = pair[1] = 0;
        source.Read(pair, 2);
        if (i < kMostPatterns) t.patternPointers[i] = Le16(pair);
    }
    if (t.header[s3m::kDefaultPanning] == s3m::kPanningPresent) source.Read(t.panning, s3m::kChannels);
}

// Orders without markers, up to the end mark; the song length.
int ReadOrders(S3mTables& t, Song& song) {
    int length = 0;
    for (int i = 0; i < std::min<int>(t.orderCount, 256); ++i) {
        t.newOrderIndex[i] = static_cast<std::uint8_t>(length);
        if (t.orders[i] == s3m::kEndOrder) break;
        if (t.orders[i] == s3m::kMarkerOrder) continue;
        song.orderTable[length++] = t.orders[i];
    }
    return length;
}

void ReadChannels(S3mTables& t, Song& song) {
    const bool stereo = (t.header[s3m::kMasterVolume] & s3m::kStereo) != 0;
    int channels = 0;
    for (int c = 0; c < s3m::kChannels; ++c) {
        const std::uint8_t setting = t.header[s3m::kChannelSettings + c];
        t.channelOf[c] = -1;
        if ((setting & s3m::kChannelDisabled) != 0 || setting >= s3m::kFirstSynthChannel) continue;
        t.channelOf[c] = channels;
        std::uint8_t pan = setting >= s3m::kFirstRightChannel ? 0xC : 0x3;
        if ((t.panning[c] & s3m::kPanningSet) != 0) pan = t.panning[c] & 15;
        song.channelPanning[channels++] = stereo ? static_cast<std::uint8_t>(pan * 17) : 128;
    }
    song.channelCount = channels;
    song.channelCountAsRead = static_cast<std::uint8_t>(channels);
}

void ReadSongFields(const S3mTables& t, Song& song) {
    const std::uint8_t* h = t.header;
    CopyName(song.title, h + s3m::kTitle, s3m::kTitleBytes);
    const std::uint16_t version = Le16(h + s3m::kTrackerVersion);
    if (version >> 12 == 1) {
        std::snprintf(song.tracker, sizeof song.tracker, "Scream Tracker %x.%02x", (version >> 8) & 15, version & 0xFF);
    }
    song.defaultTempo = h[s3m::kSpeed] == 0 || h[s3m::kSpeed] == 255 ? 6 : h[s3m::kSpeed];
    song.defaultBpm = h[s3m::kTempo] < 33 ? 125 : h[s3m::kTempo];
    song.initialGlobalVolume = std::min<std::uint8_t>(h[s3m::kGlobalVolume], 64);
    song.mixVolume = h[s3m::kMasterVolume] & 0x7F;
    song.behaviour = kBehaviourClampVolumes | kBehaviourChannelPanning | kBehaviourOffsetWithinSample |
                     kBehaviourInitialGlobalVolume | kBehaviourMixVolume | kBehaviourC2SpeedPeriods |
                     kBehaviourSpeedEffect | kBehaviourFinePeriods;
    const std::uint16_t flags = Le16(h + s3m::kFlags);
    if ((flags & s3m::kFastVolumeSlides) != 0 || version == s3m::kVersionWithFastSlides) {
        song.behaviour |= kBehaviourVolumeSlideOnFirstTick;
    }
    if ((flags & s3m::kAmigaLimits) != 0) {
        song.behaviour |= kBehaviourPeriodLimits;
        song.lowestPeriod = (4 * 113) << kFinePeriodShift;
        song.highestPeriod = (4 * 856) << kFinePeriodShift;
    }
}

// Reads one packed pattern into cells, as s3m_cells.h describes them.
void ReadPattern(ModuleSource& source, const S3mTables& t, const Song& song, PatternCell* cells) {
    source.Seek(2, SeekMode::Relative);  // the packed size: the rows' end marks are what count
    for (int row = 0; row < s3m::kRows && !source.Exhausted(); ++row) {
        for (std::uint8_t what = ReadByte(source); what != 0 && !source.Exhausted(); what = ReadByte(source)) {
            PatternCell scratch{};
            const int channel = t.channelOf[what & s3m::kEntryChannel];
            PatternCell& cell = channel >= 0 ? cells[row * song.channelCount + channel] : scratch;
            if ((what & s3m::kEntryNote) != 0) {
                const std::uint8_t note = ReadByte(source);
                const std::uint8_t octave = note >> 4, semitone = note & 15;
                if (note == s3m::kNoteCut) {
                    cell.note = kS3mNoteCut;
                } else if (note != s3m::kNoNote && semitone < 12 && octave < 8) {
                    cell.note = static_cast<std::uint8_t>(12 * octave + semitone + 1);
                }
                const std::uint8_t instrument = ReadByte(source);
                cell.instrument = instrument <= song.instrumentCount ? instrument : 0;
            }
            if ((what & s3m::kEntryVolume) != 0) {
                cell.volume = static_cast<std::uint8_t>(0x10 + std::min<std::uint8_t>(ReadByte(source), 64));
            }
            if ((what & s3m::kEntryEffect) != 0) {
                cell.effect = ReadByte(source);
                cell.param = ReadByte(source);
            }
        }
    }
}

LoadResult ReadPatterns(ModuleSource& source, ModuleArena& arena, const S3mTables& t, Song& song,
                        PatternRecord* patterns) {
    PatternCell* cellsOf[kMostPatterns] = {};
    for (int p = 0; p < song.patternCount; ++p) {
        PatternCell* cells = AllocateCells(arena, song, s3m::kRows);
        if (cells == nullptr) return LoadResult::MemoryCap;
        cellsOf[p] = cells;
        patterns[p] = PatternRecord{s3m::kRows, 0, cells};
        if (p >= t.patternCount || t.patternPointers[p] == 0) continue;
        source.Seek(Paragraphs(t.patternPointers[p]), SeekMode::Absolute);
        if (source.position != Paragraphs(t.patternPointers[p])) continue;  // outside the file: an empty pattern
        patterns[p].packedSize = 1;
        ReadPattern(source, t, song, cells);
    }
    // Effects with a parameter of 0 repeat what the channel last remembered:
    // patterns are converted in the order the song first plays them.
    S3mChannelMemory memory[kSongChannels] = {};
    bool converted[kMostPatterns] = {};
    const S3mOrderMap orders{t.newOrderIndex, std::min<int>(t.orderCount, 256)};
    const auto convert = [&](int p) {
        if (converted[p]) return;
        converted[p] = true;
        for (int i = 0; i < s3m::kRows * song.channelCount; ++i) {
            ConvertS3mCell(cellsOf[p][i], memory[i % song.channelCount], orders);
        }
    };
    for (int i = 0; i < song.songLength; ++i) convert(song.orderTable[i]);
    for (int p = 0; p < song.patternCount; ++p) convert(p);
    return LoadResult::Loaded;
}

// The C-4 speed, and the same as the XM relative note and finetune (128ths of
// a semitone), by which the arpeggio measures its steps.
void SetC2Speed(SampleRecord& sample, std::uint32_t c2Speed) {
    if (c2Speed == 0) c2Speed = kReferenceC2Speed;
    sample.c2Speed = c2Speed;
    const double semitones = 12.0 * std::log2(static_cast<double>(c2Speed) / kReferenceC2Speed);
    long fine = std::lround(semitones * 128.0);
    fine = std::clamp(fine, -128L * 96, 127L * 96);
    long note = fine >= 0 ? fine / 128 : -((-fine + 127) / 128);
    sample.relativeNote = static_cast<std::int8_t>(std::clamp(note, -96L, 96L));
    sample.finetune = static_cast<std::int8_t>(fine - 128 * note);
}

LoadResult ReadInstrument(ModuleSource& source, ModuleArena& arena, const S3mTables& t, int i,
                          InstrumentRecord& instrument, Song& song) {
    std::uint8_t h[s3m::kInstrumentBytes] = {};
    source.Seek(Paragraphs(t.instrumentPointers[i]), SeekMode::Absolute);
    if (t.instrumentPointers[i] == 0 || source.position != Paragraphs(t.instrumentPointers[i])) return LoadResult::Loaded;
    source.Read(h, s3m::kInstrumentBytes);
    CopyName(instrument.name, h + s3m::kSampleName, s3m::kSampleNameBytes);
    if (h[s3m::kInstrumentType] != s3m::kSampleType || h[s3m::kPacking] != 0) {
        if (h[s3m::kInstrumentType] > s3m::kSampleType || h[s3m::kPacking] != 0) song.warnings |= kSongSilentInstruments;
        return LoadResult::Loaded;
    }
    const std::uint8_t flags = h[s3m::kSampleFlags];
    std::uint32_t length = Le32(h + s3m::kLength);
    if (length >= kMaxSampleFrames) return LoadResult::SampleLength;
    // A sample is cut where the file ends, as the file holds nothing past it.
    const std::uint32_t pointer = static_cast<std::uint32_t>(h[s3m::kDataPointer]) << 16 | Le16(h + s3m::kDataPointer + 1);
    const std::int64_t held = (source.Length() - Paragraphs(pointer)) / ((flags & s3m::k16Bit) != 0 ? 2 : 1);
    if (held < length) {
        length = static_cast<std::uint32_t>(std::max<std::int64_t>(held, 0));
        song.warnings |= kSongTruncated;
    }
    const std::uint32_t loopEnd = (flags & s3m::kLooped) != 0 ? Le32(h + s3m::kLoopEnd) : 0;
    SampleRecord* sample = NewSampleRecord(arena, length, Le32(h + s3m::kLoopStart), loopEnd);
    if (sample == nullptr) return LoadResult::MemoryCap;
    sample->volume = std::min<std::uint8_t>(h[s3m::kVolume], 64);
    sample->is16Bit = (flags & s3m::k16Bit) != 0 ? 1 : 0;
    sample->index = song.sampleRecords++;
    SetC2Speed(*sample, Le32(h + s3m::kC2Speed));
    CopyName(sample->name, h + s3m::kSampleName, s3m::kSampleNameBytes);
    source.Seek(Paragraphs(pointer), SeekMode::Absolute);
    // A stereo sample keeps its left half, which comes first.
    if (length != 0) ReadPcmFrames(source, *sample, PcmLayout{sample->is16Bit != 0, t.header[s3m::kSampleFormat] != 1});
    UseAsOnlySample(instrument, sample);
    return LoadResult::Loaded;
}

}  // namespace

bool LooksLikeS3m(const std::uint8_t* head, std::size_t count) {
    return count >= s3m::kHeaderBytes && std::memcmp(head + s3m::kTag, "SCRM", 4) == 0 &&
           head[s3m::kFileType] == s3m::kModuleType;
}

LoadResult LoadS3m(ModuleSource& source, ModuleArena& arena, Song& song) {
    song = Song{};
    song.format = "S3M";
    if (!source.Open()) return LoadResult::CannotOpen;
    S3mTables t;
    ReadTables(source, t);
    if (t.instrumentCount > kMostInstruments) return LoadResult::InstrumentCount;
    song.songLength = static_cast<std::uint16_t>(ReadOrders(t, song));
    if (song.songLength == 0) return LoadResult::SongLength;
    ReadChannels(t, song);
    if (song.channelCount == 0) return LoadResult::ChannelCount;
    ReadSongFields(t, song);
    const int highest = *std::max_element(song.orderTable, song.orderTable + song.songLength);
    song.patternCount = static_cast<std::uint16_t>(std::min(std::max<int>(t.patternCount, highest + 1), kMostPatterns));
    song.instrumentCount = t.instrumentCount;
    PatternRecord* patterns = nullptr;
    InstrumentRecord* instruments = nullptr;
    if (!AllocateSongRecords(arena, song, patterns, instruments)) return LoadResult::MemoryCap;
    LoadResult result = ReadPatterns(source, arena, t, song, patterns);
    for (int i = 0; i < song.instrumentCount && result == LoadResult::Loaded; ++i) {
        result = ReadInstrument(source, arena, t, i, instruments[i], song);
    }
    return result;
}

}  // namespace zumbrik
