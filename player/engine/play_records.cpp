#include "player/engine/play_records.h"

#include <algorithm>

namespace zumbrik {

void SetTempoBpm(Play& play, std::uint32_t bpm) {
    const std::uint64_t beats = bpm == 0 ? 1 : bpm;
    if (play.outputRate == kOutputRate) {
        play.samplesPerTick = static_cast<std::int32_t>(120000u / beats);
        return;
    }
    play.tickLength = (std::uint64_t{play.outputRate} * 5 << 32) / (2 * beats);
    play.samplesPerTick = static_cast<std::int32_t>(play.tickLength >> 32);
}

std::int32_t NextTickFrames(Play& play) {
    if (play.outputRate == kOutputRate) return std::max(play.samplesPerTick, 1);
    const std::uint64_t sum = std::uint64_t{play.tickCarry} + (play.tickLength & 0xFFFFFFFFu);
    play.tickCarry = static_cast<std::uint32_t>(sum);
    const std::uint64_t frames = (play.tickLength >> 32) + (sum >> 32);
    return static_cast<std::int32_t>(std::max<std::uint64_t>(frames, 1));
}

void ResetPlay(Play& play, const Song& song, std::uint32_t outputRate) {
    play = Play{};
    play.song = &song;
    play.outputRate = std::clamp(outputRate, kLowestOutputRate, kHighestOutputRate);
    play.pace = MixPaceFor(play.outputRate);
    SetTempoBpm(play, song.defaultBpm);
    play.globalVolume = (song.behaviour & kBehaviourInitialGlobalVolume) != 0 ? song.initialGlobalVolume : 64;
    play.speed = song.defaultTempo;
    play.pendingOrder = 0;
    play.pendingRow = 0;
    play.globalVolumeSlide = song.initialGlobalVolumeSlide;
    for (int c = 0; c < song.channelCount && c < kMaxChannels; ++c) {
        play.voices[2 * c].stepInteger = 1;
        play.channels[c].voice = static_cast<std::uint8_t>(2 * c);
        if ((song.behaviour & kBehaviourFinePeriods) != 0) play.channels[c].periodShift = kFinePeriodShift;
        if ((song.behaviour & kBehaviourChannelPanning) != 0) {
            play.channels[c].panning = song.channelPanning[c];
            play.voices[2 * c].panning = song.channelPanning[c];
            play.voices[2 * c + 1].panning = song.channelPanning[c];
        }
    }
    for (int i = 0; i < song.instrumentCount; ++i) {
        for (const SampleRecord* sample : song.instruments[i].samples) {
            if (sample != nullptr) play.finetunes[sample->index] = sample->finetune;
        }
    }
}

}  // namespace zumbrik
