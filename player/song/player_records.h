#pragma once
#include <cstdint>

namespace zumbrik {

// The module as loaded and the song state the sequencer and mixer share.
// Everything but PlayerState, kNoSample and MixBuffer is allocated from the
// module arena, zero-filled, and freed with it at once.

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
    PatternCell* cells;        // rows x channelCount, row-major; null when packedSize is 0
};

enum LoopType : std::uint8_t { NoLoop = 0, ForwardLoop = 1, PingPongLoop = 2 };

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
    // length + 3 decoded samples, allocated in the same block right after the
    // header (the loader writes them there); entry loopStart + loopLength is
    // the guard sample.
    const std::int16_t* data;
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
    SampleRecord* samples[kInstrumentSamples];  // null when absent
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
};

// One of the two voices of a channel; the mixer reads the first block and
// owns position, ramp state and direction.
struct MixVoice {
    std::uint32_t volume;  // 0..127
    std::uint32_t panning;  // 0 left .. 255 right
    std::uint32_t startOffset;
    std::uint32_t targetRight;  // 255 is unity gain
    std::uint32_t targetLeft;
    std::uint32_t position;
    std::uint32_t stepFraction;
    std::uint32_t stepInteger;
    std::uint32_t rampTargets;
    std::int32_t rampStepRight;
    std::int32_t rampStepLeft;
    const SampleRecord* sample;  // null: idle
    std::uint32_t positionFraction;
    std::int32_t currentRight;  // x 128
    std::int32_t currentLeft;
    std::uint16_t rampFramesLeft;
    std::uint8_t backwards;
};

enum UpdateFlags : std::uint8_t {
    UpdatePitch = 0x01,
    UpdateVolume = 0x02,
    UpdatePanning = 0x04,
    StartNote = 0x08,
};

struct EnvelopeState {
    std::int32_t tick;
    std::int32_t nextPoint;
    std::int32_t delta;        // 16.16 per tick
    std::uint8_t finished;
    std::int32_t accumulator;  // 16.16
    std::int32_t value;        // volume 0..64, panning 0..64 with 32 the centre
};

struct Oscillator {
    std::uint8_t position;  // 0..63
    std::uint8_t speed;
    std::int8_t depth;
};

// One module channel between ticks. Both envelopes are kept as whole
// EnvelopeState records so that one routine steps either of them.
struct ChannelState {
    std::uint8_t note;  // 0..95
    std::uint8_t updateFlags;
    std::uint8_t instrument;  // 0-based
    MixVoice* voice;          // one of the channel's voice pair
    std::int32_t period;
    std::int32_t volume;
    std::int32_t volumeDelta;
    std::int32_t periodDelta;
    std::int32_t panning;
    EnvelopeState volumeEnvState;
    EnvelopeState panningEnvState;
    std::int32_t autoVibratoSweep;
    std::int32_t autoVibratoPosition;
    std::uint8_t keyReleased;
    std::int32_t fadeoutVolume;  // 65536 full
    std::int32_t notePeriod;
    std::int32_t sampleOffset;
    std::int32_t portaTarget;
    std::uint8_t loopCount;
    std::int32_t loopRow;
    std::uint8_t realNote;
    std::uint8_t lastEffect;
    std::uint8_t portaSpeed;
    std::uint8_t extraFineDown;
    std::uint8_t extraFineUp;
    std::uint8_t volumeSlide;
    std::uint8_t panningSlide;
    std::uint8_t retrigVolume;
    std::uint8_t retrigInterval;
    std::uint8_t tonePortaSpeed;
    Oscillator vibrato;
    Oscillator tremolo;
    std::uint8_t tremorCount;
    std::uint8_t tremorOn;
    std::uint8_t tremorOff;
    std::uint8_t waveControl;  // low nibble vibrato, high nibble tremolo
    std::int8_t fineVolumeSlide;
    std::uint8_t finePortaUp;
    std::uint8_t finePortaDown;
};

struct PlayerState {
    PatternRecord* patterns;
    InstrumentRecord* instruments;
    std::int32_t tickFramesLeft;
    std::int32_t globalVolume;
    std::int32_t tick;
    std::int32_t speed;
    std::int32_t orderIndex;
    std::int32_t row;
    std::int32_t patternDelayTicks;
    std::int32_t pendingOrder;  // -1 none
    std::int32_t pendingRow;    // -1 none
    std::int32_t channelCount;  // 1..64
    MixVoice* voices;           // 2 x channelCount; 2c and 2c+1 are channel c's pair
    ChannelState* channels;
    std::int32_t samplesPerTick;
    std::uint16_t songLength;
    std::uint16_t restartPosition;
    std::uint8_t channelCountAsRead;
    std::uint8_t globalVolumeSlide;
    std::uint16_t patternCount;
    std::uint16_t instrumentCount;  // only the low byte is used
    std::uint16_t moduleFlags;      // bit 0: linear frequency table
    std::uint16_t defaultTempo;
    std::uint16_t defaultBpm;
    std::uint8_t orderTable[256];
};

inline constexpr int kOutputRate = 48000;
inline constexpr int kSegmentFrames = 1024;

// The accumulators of one segment (left, right per frame). While a module
// loads from a file the same 8 KB serve as the file cache.
union MixBuffer {
    std::int32_t accumulators[kSegmentFrames * 2];
    std::uint8_t fileCache[8192];
};
static_assert(sizeof(MixBuffer) == 8192);

// Frames per tick for a tempo in beats per minute.
inline void SetTempoBpm(PlayerState& state, std::uint32_t bpm) {
    state.samplesPerTick = bpm == 0 ? 120000 : static_cast<std::int32_t>(120000u / bpm);
}

}  // namespace zumbrik
