#pragma once
#include <cstddef>
#include <cstdint>

namespace zumbrik {

// The records of a loaded song. All of them are allocated from the song's
// arena, zero-filled, and freed with it at once.

struct PatternCell {
    std::uint8_t note;        // 0 none, 1..96 notes, 97 and above key-off
    std::uint8_t instrument;  // 0 none, else 1..instrumentCount
    std::uint8_t volume;      // volume column
    std::uint8_t effect;
    std::uint8_t param;
};
static_assert(sizeof(PatternCell) == 5);

struct PatternRecord {
    std::uint16_t rows;
    std::uint16_t packedSize;  // as in the file; 0 means no cells
    const PatternCell* cells;  // rows x channelCount, row-major; null when packedSize is 0
};

enum LoopType : std::uint8_t { NoLoop = 0, ForwardLoop = 1, PingPongLoop = 2 };

// Room for the longest name a format holds (S3M's 28-byte title), and its NUL.
inline constexpr int kNameBytes = 29;

struct SampleRecord {
    std::uint32_t length;  // frames
    std::uint32_t loopStart;
    std::uint32_t loopLength;
    std::uint8_t volume;
    std::int8_t finetune;
    std::uint8_t is16Bit;
    std::uint8_t panning;
    std::int8_t relativeNote;
    std::uint8_t packing;   // 0xAD: 4-bit delta-table data
    std::uint8_t loopType;  // LoopType; a 3 from the file stays 3
    // The record's number among the song's samples, where a play keeps the
    // finetune E5x gives it; kNoSample's is kMaxSampleRecords.
    std::uint16_t index;
    // length + 3 decoded samples, allocated in the same block right after the
    // header (the loader writes them there); entry loopStart + loopLength is
    // the guard sample.
    const std::int16_t* data;
    char name[kNameBytes];  // as the file gives it, up to a NUL, trailing spaces cut
    std::uint32_t c2Speed;  // Hz of C-4 (kBehaviourC2SpeedPeriods)
};

// Stands for an absent sample: silent, length 0, no relative note or finetune.
extern const SampleRecord kNoSample;

struct EnvelopePoint {
    std::uint16_t x;  // tick
    std::uint16_t y;  // value
};

inline constexpr int kEnvelopePoints = 12;
inline constexpr int kInstrumentSamples = 16;

struct InstrumentRecord {
    const SampleRecord* samples[kInstrumentSamples];  // null when absent
    std::uint8_t keymap[96];                     // sample number for notes 1..96
    EnvelopePoint volumeEnvelope[kEnvelopePoints];
    EnvelopePoint panningEnvelope[kEnvelopePoints];
    std::uint8_t volumePointCount;  // as read, not clamped
    std::uint8_t panningPointCount;
    std::uint8_t volumeSustain;
    std::uint8_t volumeLoopStart;
    std::uint8_t volumeLoopEnd;
    std::uint8_t panningSustain;
    std::uint8_t panningLoopStart;
    std::uint8_t panningLoopEnd;
    std::uint8_t volumeType;  // bit 0 on, bit 1 sustain, bit 2 loop; 0 with fewer than 2 points
    std::uint8_t panningType;
    std::uint8_t vibratoType;
    std::uint8_t vibratoSweep;
    std::uint8_t vibratoDepth;
    std::uint8_t vibratoRate;
    std::uint16_t fadeout;  // twice the file's value
    char name[kNameBytes];
};

// The most sample records a song holds (255 instruments of 16 samples),
// and the index kNoSample carries: one past them.
inline constexpr int kMaxSampleRecords = 255 * kInstrumentSamples;

// The most channels a song has.
inline constexpr int kSongChannels = 64;

// Where the tracker a song was written with plays by other rules than the XM
// rules the engine follows when no bit is set. The loader sets them; the
// engine reads them, never the format's name.
enum SongBehaviour : std::uint32_t {
    // Channel and global volume stay within 0..64 whatever slides and sets ask.
    kBehaviourClampVolumes = 0x01,
    // Panning belongs to the channel (Song::channelPanning), not to the sample:
    // an instrument leaves it as it is.
    kBehaviourChannelPanning = 0x02,
    // A sample offset is measured against the sample's end, not its loop's:
    // past the end a looped sample plays its loop, an unlooped one stops.
    kBehaviourOffsetWithinSample = 0x04,
    // Volume slides act on the row's first tick too.
    kBehaviourVolumeSlideOnFirstTick = 0x08,
    // Set finetune (E5x) takes x as a signed nibble, in eighths of a semitone.
    kBehaviourSignedFinetuneNibble = 0x10,
    // A play starts at Song::initialGlobalVolume instead of 64.
    kBehaviourInitialGlobalVolume = 0x20,
    // The period never leaves lowestPeriod..highestPeriod.
    kBehaviourPeriodLimits = 0x40,
    // Every channel's loudness is scaled by Song::mixVolume / 64.
    kBehaviourMixVolume = 0x80,
    // Amiga periods count cycles of the PAL Amiga's clock, not 8363 x 1712 / period.
    kBehaviourPalClock = 0x100,
    // A note's period is the exact one for the sample's C-4 speed
    // (SampleRecord::c2Speed), not one from the relative note and finetune.
    kBehaviourC2SpeedPeriods = 0x200,
    // effect::kSetSpeed sets the speed, up to 255 ticks a row.
    kBehaviourSpeedEffect = 0x400,
    // Periods count sixteenths of the XM Amiga period (kFinePeriodShift), so
    // that a note keeps its pitch on a sample of any C-4 speed; every slide
    // and vibrato step moves sixteen of them.
    kBehaviourFinePeriods = 0x800,
};

inline constexpr int kFinePeriodShift = 4;

// A loaded song: everything its file says, and nothing a play changes. It is
// immutable once loaded and read by any number of plays at once.
struct Song {
    const PatternRecord* patterns;
    const InstrumentRecord* instruments;
    std::uint16_t songLength;
    std::uint16_t restartPosition;
    std::uint8_t channelCountAsRead;
    // The channel count's high byte, which the global volume slide's memory
    // starts with: a slide without a parameter finds it.
    std::uint8_t initialGlobalVolumeSlide;
    std::uint16_t patternCount;
    std::uint16_t instrumentCount;  // only the low byte is used
    std::uint16_t moduleFlags;      // bit 0: linear frequency table
    std::uint16_t defaultTempo;
    std::uint16_t defaultBpm;
    std::int32_t channelCount;      // 1..64
    std::uint16_t sampleRecords;    // sample records numbered 0.. in their index
    std::uint8_t orderTable[256];
    const char* format;             // the format's short name, e.g. "XM"
    char title[kNameBytes];
    char tracker[kNameBytes];       // the program that wrote the file, where the format says
    std::uint32_t warnings;         // SongWarning bits
    std::uint32_t behaviour;        // SongBehaviour bits; 0 for XM
    // Where each channel starts, 0 left .. 255 right (kBehaviourChannelPanning).
    std::uint8_t channelPanning[kSongChannels];
    std::uint8_t initialGlobalVolume;  // 0..64 (kBehaviourInitialGlobalVolume)
    std::uint8_t mixVolume;            // 0..127 (kBehaviourMixVolume)
    std::int32_t lowestPeriod;         // kBehaviourPeriodLimits
    std::int32_t highestPeriod;
};

// What a song that loaded may still lack.
enum SongWarning : std::uint32_t {
    // The file ends before the data its headers describe; the rest is silence.
    kSongTruncated = 0x01,
    // Instruments of a kind the player does not sound (synthesised ones) stay silent.
    kSongSilentInstruments = 0x02,
};

// Copies a name field of `bytes` bytes into `name`: up to a NUL, trailing spaces cut.
void CopyName(char (&name)[kNameBytes], const void* field, std::size_t bytes);

}  // namespace zumbrik
