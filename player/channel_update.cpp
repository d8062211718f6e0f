#include "player/channel_update.h"


#include "player/engine_arithmetic.h"

namespace zumbrik {

namespace {

const InstrumentRecord kNoInstrument{};

constexpr std::int64_t kVolumeCap = 0xFF000;  // 64 x 64 x 255

// Q[i] = 64 sin(pi i / 128), rounded, i = 0..64.
constexpr std::int8_t kQuarterSine[65] = {0,  2,  3,  5,  6,  8,  9,  11, 12, 14, 16, 17, 19, 20, 22, 23, 24,
                                          26, 27, 29, 30, 32, 33, 34, 36, 37, 38, 39, 41, 42, 43, 44, 45, 46,
                                          47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 56, 57, 58, 59, 59, 60, 60,
                                          61, 61, 62, 62, 62, 63, 63, 63, 64, 64, 64, 64, 64, 64};

MixVoice& OtherVoiceOfPair(PlayerState& state, MixVoice* voice) {
    const std::ptrdiff_t index = voice - state.voices;
    return state.voices[index ^ 1];
}

void StartNoteOnVoice(PlayerState& state, ChannelState& channel, const SampleRecord& sample) {
    MixVoice* voice = channel.voice;
    if (voice->sample != nullptr) {
        // The old sound ramps out on this voice while the new one starts on
        // the other; the first eleven fields travel along.
        MixVoice& next = OtherVoiceOfPair(state, voice);
        next.volume = voice->volume;
        next.panning = voice->panning;
        next.startOffset = voice->startOffset;
        next.targetRight = voice->targetRight;
        next.targetLeft = voice->targetLeft;
        next.position = voice->position;
        next.stepFraction = voice->stepFraction;
        next.stepInteger = voice->stepInteger;
        next.rampTargets = voice->rampTargets;
        next.rampStepRight = voice->rampStepRight;
        next.rampStepLeft = voice->rampStepLeft;
        voice->volume = 0;
        voice->targetRight = 0;
        voice->targetLeft = 0;
        voice = &next;
        channel.voice = voice;
    }
    voice->sample = &sample;
    voice->positionFraction = 0;
    voice->currentRight = 0;
    voice->currentLeft = 0;
    voice->rampFramesLeft = 0;
    voice->backwards = 0;
    voice->position = voice->startOffset;
    voice->startOffset = 0;
}

void SetTargets(MixVoice& voice) {
    voice.targetRight = voice.volume * voice.panning / 255;
    voice.targetLeft = voice.volume * (255 - voice.panning) / 255;
}

}  // namespace

const InstrumentRecord& ChannelInstrument(const PlayerState& state, const ChannelState& channel) {
    const std::uint32_t usable = state.instrumentCount & 0xFF;
    if (state.instruments == nullptr || channel.instrument >= usable) {
        return kNoInstrument;
    }
    return state.instruments[channel.instrument];
}

SampleRecord& InstrumentSample(const InstrumentRecord& instrument, std::uint8_t note) {
    if (note >= sizeof instrument.keymap) {
        return NoSample;
    }
    const std::uint8_t k = instrument.keymap[note];
    if (k >= kInstrumentSamples || instrument.samples[k] == nullptr) {
        return NoSample;
    }
    return *instrument.samples[k];
}

std::int32_t AutoVibratoWave(std::uint8_t vibratoType, std::int32_t position) {
    const std::int32_t pos = position & 255;
    switch (vibratoType) {
        case 0: {
            std::int32_t j = pos & 127;
            if (j > 64) {
                j = 128 - j;
            }
            const std::int32_t w = kQuarterSine[j];
            return (pos & 128) != 0 ? -w : w;
        }
        case 1:
            return pos < 128 ? 64 : -64;
        case 2:
            return (128 - ((pos + 128) & 255)) >> 1;
        default:
            return (128 - ((128 - pos) & 255)) >> 1;
    }
}

void UpdateChannel(PlayerState& state, ChannelState& channel, const SampleRecord& sample,
                   const InstrumentRecord& instrument) {
    // 1. Auto-vibrato, on every tick; the depth grows over the sweep.
    const std::int32_t pos = channel.autoVibratoPosition;
    std::int64_t amount = static_cast<std::int64_t>(AutoVibratoWave(instrument.vibratoType, pos)) * instrument.vibratoDepth;
    if (instrument.vibratoSweep != 0) {
        amount = amount * channel.autoVibratoSweep / instrument.vibratoSweep;
    }
    channel.periodDelta = AddSaturated(channel.periodDelta, amount >> 6, kPeriodLimit);
    channel.autoVibratoSweep = channel.autoVibratoSweep + 1 < instrument.vibratoSweep
                                   ? channel.autoVibratoSweep + 1
                                   : static_cast<std::int32_t>(instrument.vibratoSweep);
    channel.autoVibratoPosition = (pos + instrument.vibratoRate) & 255;
    channel.updateFlags |= UpdatePitch;

    // 2. Note start.
    if ((channel.updateFlags & StartNote) != 0) {
        StartNoteOnVoice(state, channel, sample);
    }
    MixVoice& voice = *channel.voice;

    // 3. Volume.
    if ((channel.updateFlags & UpdateVolume) != 0) {
        const std::int64_t loudness = ClampTo(static_cast<std::int64_t>(channel.volume) + channel.volumeDelta,
                                             -2 * std::int64_t{kVolumeLimit}, 2 * std::int64_t{kVolumeLimit});
        const std::int64_t global = ClampTo(state.globalVolume, -kVolumeLimit, kVolumeLimit);
        const std::int64_t t = ClampTo(loudness * 255 * global, 0, kVolumeCap);
        const std::int64_t envelope = ClampTo(channel.volumeEnvState.value, 0, 64);
        const std::int64_t fade = ClampTo(channel.fadeoutVolume, 0, 65536);
        voice.volume = static_cast<std::uint32_t>((t * envelope * fade) >> 35);
        SetTargets(voice);
    }

    // 4. Panning, shifted by the envelope less the nearer it is to an edge.
    if ((channel.updateFlags & UpdatePanning) != 0) {
        const std::int64_t p = channel.panning;
        const std::int64_t e = channel.panningEnvState.value;
        const std::int64_t room = 128 - (p > 128 ? p - 128 : 128 - p);
        voice.panning = static_cast<std::uint32_t>(ClampTo(p + (e - 32) * (room >> 5), 0, 255));
        SetTargets(voice);
    }

    // 5. Pitch.
    const Step step = FrequencyStep(PeriodFrequency(state, channel.period, channel.periodDelta));
    voice.stepInteger = step.integer;
    voice.stepFraction = step.fraction;
}

}  // namespace zumbrik
