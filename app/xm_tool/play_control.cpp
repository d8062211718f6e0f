#include "app/xm_tool/play_control.h"

#include <algorithm>

#include "app/xm_tool/module_file.h"
#include "player/background/module_player.h"
#include "player/engine/play_records.h"
#include "player/engine/song_scan.h"

namespace zumbrik {

namespace {

constexpr std::uint32_t kTopVolumeLevel = 25;

}  // namespace

bool PlayKeyFor(char32_t key, PlayKey& playKey) {
    // The letters count at their keys' places in the Russian layout too, as in the game.
    switch (key) {
        case U' ': playKey = PlayKey::Pause; return true;
        case U'+': case U'=': playKey = PlayKey::Louder; return true;
        case U'-': case U'_': case U'\u2212': playKey = PlayKey::Softer; return true;
        case U'←': playKey = PlayKey::PreviousOrder; return true;
        case U'→': playKey = PlayKey::NextOrder; return true;
        case U'n': case U'N': case U'т': case U'Т': playKey = PlayKey::NextFile; return true;
        case U'p': case U'P': case U'з': case U'З': playKey = PlayKey::PreviousFile; return true;
        case U'q': case U'Q': case U'й': case U'Й': playKey = PlayKey::Quit; return true;
        default: return false;
    }
}

PlayControl::Started PlayControl::Start(const std::string& path, WaveDevice& device, bool loop, std::ostream& err) {
    SongScan scan;
    {
        const auto module = LoadModuleFile(path, err);
        if (!module) return Started::BadFile;
        const Song& song = module->song();
        orders_.assign(song.orderTable, song.orderTable + std::min<int>(song.songLength, 256));
        scan = ScanSong(song);
    }
    path_ = path;
    durationMs_ = (scan.frames * 1000 + kOutputRate / 2) / kOutputRate;
    durationIsMinimum_ = scan.capped;
    UseWaveDevice(&device);
    // A song whose end the scan did not find plays on until a key moves on.
    const bool ends = !loop && !scan.capped;
    EndSongsAfter(ends ? static_cast<std::uint32_t>(scan.rowStarts) : 0,
                  (static_cast<std::uint32_t>(scan.endOrder) << 16) | static_cast<std::uint32_t>(scan.endRow));
    SetMasterVolume(volumeLevel_);
    if (PlayModule(reinterpret_cast<std::uintptr_t>(path.c_str()), 0, FileSource) == 0) {
        Finish();
        err << "zumbrik-xm: no sound output device could be opened\n";
        return Started::NoDevice;
    }
    return Started::Playing;
}

PlayStep PlayControl::Act(PlayKey key) {
    const std::uint32_t order = GetPlayingPosition() >> 16;
    switch (key) {
        case PlayKey::Pause: ModulePaused() ? ResumeModule() : PauseModule(); break;
        case PlayKey::Louder: SetMasterVolume(volumeLevel_ = std::min(volumeLevel_ + 1, kTopVolumeLevel)); break;
        case PlayKey::Softer: SetMasterVolume(volumeLevel_ = volumeLevel_ > 0 ? volumeLevel_ - 1 : 0); break;
        case PlayKey::PreviousOrder: JumpToOrder(order > 0 ? order - 1 : 0); break;
        case PlayKey::NextOrder: JumpToOrder(order + 1); break;
        case PlayKey::NextFile: return PlayStep::NextFile;
        case PlayKey::PreviousFile: return PlayStep::PreviousFile;
        case PlayKey::Quit: return PlayStep::Quit;
    }
    return PlayStep::Stay;
}

bool PlayControl::SongOver() const { return PlayingPastSongEnd(); }

PlayStatus PlayControl::Status() const {
    const std::uint32_t position = GetPlayingPosition();
    const std::uint32_t levels = GetPlayingLevels();
    PlayStatus status;
    status.path = path_;
    status.order = position >> 16;
    status.songLength = static_cast<std::uint32_t>(orders_.size());
    status.row = position & 0xFFFF;
    status.pattern = status.order < orders_.size() ? orders_[status.order] : 0;
    status.elapsedMs = GetElapsedMs();
    status.durationMs = durationMs_;
    status.durationIsMinimum = durationIsMinimum_;
    status.volume = volumeLevel_;
    status.paused = ModulePaused();
    status.leftLevel = levels >> 16;
    status.rightLevel = levels & 0xFFFF;
    return status;
}

void PlayControl::Finish() {
    StopModule();
    UseWaveDevice(nullptr);
    EndSongsAfter(0, 0);
    ResumeModule();
    SetMasterVolume(kTopVolumeLevel);
}

}  // namespace zumbrik
