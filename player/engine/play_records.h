#pragma once
#include <cstdint>

#include "player/mixer/mix_pace.h"
#include "player/mixer/mix_voice.h"
#include "player/song/song_records.h"

namespace zumbrik {

enum UpdateFlags : std::uint8_t {
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
    std::uint8_t voice;       // one of the channel's voice pair, an index into the play's voices
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
    // Periods count 2^periodShift steps where XM counts one
    // (kBehaviourFinePeriods); slides and vibrato scale with it.
    std::uint8_t periodShift;
    // The voice's step as last worked out, and the period, offset and rate it
    // came from (stepRate 0: none yet): most ticks leave the pitch as it was.
    std::int32_t stepPeriod;
    std::int32_t stepPeriodDelta;
    std::uint32_t stepRate;
    std::uint32_t stepInteger;
    std::uint32_t stepFraction;
};

inline constexpr int kMaxChannels = 64;
// The output rate a play has unless it is given another.
inline constexpr int kOutputRate = 48000;
inline constexpr std::uint32_t kLowestOutputRate = 8000;
inline constexpr std::uint32_t kHighestOutputRate = 192000;

// One play of a song: everything playing it changes. Any number of plays may
// read one song at once; a play holds no pointer into itself, so copying it
// copies the play.
struct Play {
    const Song* song;
    std::int32_t tickFramesLeft;
    std::int32_t globalVolume;
    std::int32_t tick;
    std::int32_t speed;
    std::int32_t orderIndex;
    std::int32_t row;
    std::int32_t patternDelayTicks;
    std::int32_t pendingOrder;  // -1 none
    std::int32_t pendingRow;    // -1 none
    std::int32_t samplesPerTick;  // the tick's whole frames at the present tempo
    std::uint8_t globalVolumeSlide;
    std::uint32_t outputRate;     // frames per second
    // Away from 48 kHz a tick lasts exactly 2.5 / BPM seconds: its length in
    // 32.32 frames, and the fraction carried from tick to tick.
    std::uint64_t tickLength;
    std::uint32_t tickCarry;
    MixPace pace;
    MixVoice voices[2 * kMaxChannels];  // 2c and 2c+1 are channel c's pair
    ChannelState channels[kMaxChannels];
    // Each sample record's finetune as E5x last set it, by the record's index.
    std::int8_t finetunes[kMaxSampleRecords + 1];
};

// The play at the song's start, as its file sets it up, at an output rate
// (kLowestOutputRate to kHighestOutputRate).
void ResetPlay(Play& play, const Song& song, std::uint32_t outputRate = kOutputRate);

// Sets the tempo in beats per minute (0 counts as 1): a tick lasts 2.5 / BPM
// seconds. At 48 kHz it is the whole frames 120000 / BPM, as every song at
// that rate was rendered; at other rates the exact length.
void SetTempoBpm(Play& play, std::uint32_t bpm);

// The length of the tick that starts now, in frames (at least 1): at 48 kHz
// samplesPerTick, elsewhere the exact length with the fraction carried on.
std::int32_t NextTickFrames(Play& play);

// The finetune a note on this sample plays with now.
inline std::int8_t FinetuneOf(const Play& play, const SampleRecord& sample) { return play.finetunes[sample.index]; }

}  // namespace zumbrik
