#include "player/engine/channel_update.h"

#include <algorithm>

#include "player/engine/engine_arithmetic.h"
#include "player/engine/oscillators.h"

namespace zumbrik {

namespace {

constexpr std::int64_t kVolumeCap = 0xFF000;  // 64 x 64 x 255

void StartNoteOnVoice(Play& play, ChannelState& channel, const SampleRecord& sample) {
    MixVoice* voice = &play.voices[channel.voice];
    if (voice->sample != nullptr) {
        // The old sound ramps out on this voice while the new one starts on
        // the other, which takes over its volume, panning, start offset and
        // targets. Its step is written after the note starts, on every tick,
        // and its ramp starts afresh from silence.
        const auto nextIndex = static_cast<std::uint8_t>(channel.voice ^ 1);
        MixVoice& next = play.voices[nextIndex];
        next.volume = voice->volume;
        next.panning = voice->panning;
        next.startOffset = voice->startOffset;
        next.targetRight = voice->targetRight;
        next.targetLeft = voice->targetLeft;
        voice->volume = 0;
        voice->targetRight = 0;
        voice->targetLeft = 0;
        voice = &next;
        channel.voice = nextIndex;
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

// The channel's loudness on the voice: volume and its offset, global
// volume, envelope and fade-out.
void UpdateVoiceVolume(const Play& play, const ChannelState& channel, MixVoice& voice) {
    const std::int64_t loudness = ClampTo(static_cast<std::int64_t>(channel.volume) + channel.volumeDelta,
                                         -2 * std::int64_t{kVolumeLimit}, 2 * std::int64_t{kVolumeLimit});
    const std::int64_t global = ClampTo(play.globalVolume, -kVolumeLimit, kVolumeLimit);
    std::int64_t t = ClampTo(loudness * 255 * global, 0, kVolumeCap);
    if ((play.song->behaviour & kBehaviourMixVolume) != 0) t = std::min(t * play.song->mixVolume / 64, kVolumeCap);
    const std::int64_t envelope = ClampTo(channel.volumeEnvState.value, 0, 64);
    const std::int64_t fade = ClampTo(channel.fadeoutVolume, 0, 65536);
    voice.volume = static_cast<std::uint32_t>((t * envelope * fade) >> 35);
    SetTargets(voice);
}

// The panning, shifted by the envelope the less the nearer it is to an edge.
void UpdateVoicePanning(const ChannelState& channel, MixVoice& voice) {
    const std::int64_t p = channel.panning;
    const std::int64_t e = channel.panningEnvState.value;
    const std::int64_t room = 128 - (p > 128 ? p - 128 : 128 - p);
    voice.panning = static_cast<std::uint32_t>(ClampTo(p + (e - 32) * (room >> 5), 0, 255));
    SetTargets(voice);
}

}  // namespace

namespace {

// Where the song's tracker keeps volumes and periods within bounds, the
// slides of this tick are held to them before they are heard.
void KeepWithinSongLimits(Play& play, ChannelState& channel) {
    const Song& song = *play.song;
    if ((song.behaviour & kBehaviourClampVolumes) != 0) {
        channel.volume = ClampTo(channel.volume, 0, 64);
        play.globalVolume = ClampTo(play.globalVolume, 0, 64);
    }
    if ((song.behaviour & kBehaviourPeriodLimits) != 0) {
        channel.period = ClampTo(channel.period, song.lowestPeriod, song.highestPeriod);
    }
}

}  // namespace

void UpdateChannel(Play& play, ChannelState& channel, const SampleRecord& sample,
                   const InstrumentRecord& instrument) {
    KeepWithinSongLimits(play, channel);
    // The auto-vibrato runs on every tick, so the pitch is worked out on every tick.
    channel.periodDelta = AddSaturated(channel.periodDelta, StepAutoVibrato(channel, instrument), kPeriodLimit);
    if ((channel.updateFlags & StartNote) != 0) {
        StartNoteOnVoice(play, channel, sample);
    }
    MixVoice& voice = play.voices[channel.voice];
    if ((channel.updateFlags & UpdateVolume) != 0) {
        UpdateVoiceVolume(play, channel, voice);
    }
    if ((channel.updateFlags & UpdatePanning) != 0) {
        UpdateVoicePanning(channel, voice);
    }
    if (channel.stepRate != play.outputRate || channel.stepPeriod != channel.period ||
        channel.stepPeriodDelta != channel.periodDelta) {
        const Step step = FrequencyStep(PeriodFrequency(play, channel.period, channel.periodDelta), play.outputRate);
        channel.stepPeriod = channel.period;
        channel.stepPeriodDelta = channel.periodDelta;
        channel.stepRate = play.outputRate;
        channel.stepInteger = step.integer;
        channel.stepFraction = step.fraction;
    }
    // Written every tick all the same: the mixer may have replaced a step too
    // small to reach a boundary.
    voice.stepInteger = channel.stepInteger;
    voice.stepFraction = channel.stepFraction;
}

}  // namespace zumbrik
