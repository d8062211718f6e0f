#include "player/engine/play_records.h"

namespace zumbrik {

void ResetPlay(Play& play, const Song& song) {
    play = Play{};
    play.song = &song;
    SetTempoBpm(play, song.defaultBpm);
    play.globalVolume = 64;
    play.speed = song.defaultTempo;
    play.pendingOrder = 0;
    play.pendingRow = 0;
    play.globalVolumeSlide = song.initialGlobalVolumeSlide;
    for (int c = 0; c < song.channelCount && c < kMaxChannels; ++c) {
        play.voices[2 * c].stepInteger = 1;
        play.channels[c].voice = static_cast<std::uint8_t>(2 * c);
    }
    for (int i = 0; i < song.instrumentCount; ++i) {
        for (const SampleRecord* sample : song.instruments[i].samples) {
            if (sample != nullptr) play.finetunes[sample->index] = sample->finetune;
        }
    }
}

}  // namespace zumbrik
