#include "app/xm_tool/play_control.h"

#include <algorithm>

#include "player/background/module_player.h"
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
        case U'h': case U'H': case U'?': case U'р': case U'Р': playKey = PlayKey::Keys; return true;
        case U'q': case U'Q': case U'й': case U'Й': playKey = PlayKey::Quit; return true;
        default: return false;
    }
}

PlayControl::Started PlayControl::Start(const std::string& path, WaveDevice& device, bool loop, std::ostream& err) {
    module_ = LoadModuleFile(path, err, true);
    if (!module_) return Started::BadFile;
    const Song& song = module_->song();
    path_ = InputName(path);
    title_ = PrintableName(song.title);
    orders_.assign(song.orderTable, song.orderTable + std::min<int>(song.songLength, 256));
    mostRows_ = 0;
    for (int p = 0; p < song.patternCount; ++p) mostRows_ = std::max<std::uint32_t>(mostRows_, song.patterns[p].rows);
    highestPattern_ = orders_.empty() ? 0 : *std::max_element(orders_.begin(), orders_.end());
    // At the player's rate, and cut to the millisecond as its elapsed time
    // is, so the clock stops on the duration exactly.
    const std::uint32_t rate = kOutputFormat.samplesPerSec;
    const SongScan scan = ScanSong(song, 1, rate);
    durationMs_ = scan.frames * 1000 / rate;
    durationIsMinimum_ = scan.capped;
    UseWaveDevice(&device);
    // A song whose end the scan did not find plays on until a key moves on.
    const bool ends = !loop && !scan.capped;
    EndSongsAfter(ends ? static_cast<std::uint32_t>(scan.rowStarts) : 0,
                  (static_cast<std::uint32_t>(scan.endOrder) << 16) | static_cast<std::uint32_t>(scan.endRow));
    SetMasterVolume(volumeLevel_);
    const std::vector<std::uint8_t>& bytes = module_->bytes;
    const StartResult started = StartModule(reinterpret_cast<std::uintptr_t>(bytes.data()), bytes.size(), MemorySource);
    switch (started.status) {
        case StartStatus::Playing: return Started::Playing;
        case StartStatus::NotLoaded:
        case StartStatus::NothingToPlay:
            Finish();
            err << "zumbrik-xm: " << InputName(path) << ": " << LoadResultText(started.load) << "\n";
            return Started::BadFile;
        case StartStatus::NoMemory:
            Finish();
            err << "zumbrik-xm: " << InputName(path) << ": no memory left to play it\n";
            return Started::BadFile;
        case StartStatus::NoDevice: break;
    }
    const std::string problem = device.OpenProblem();
    Finish();
    err << "zumbrik-xm: no sound output device could be opened" << (problem.empty() ? "" : ": " + problem) << "\n";
    return Started::NoDevice;
}

PlayStep PlayControl::Act(PlayKey key) {
    const std::uint32_t order = GetPlayingPosition() >> 16;
    switch (key) {
        case PlayKey::Pause: ModulePaused() ? ResumeModule() : PauseModule(); break;
        case PlayKey::Louder: SetMasterVolume(volumeLevel_ = std::min(volumeLevel_ + 1, kTopVolumeLevel)); break;
        case PlayKey::Softer: SetMasterVolume(volumeLevel_ = volumeLevel_ > 0 ? volumeLevel_ - 1 : 0); break;
        case PlayKey::PreviousOrder: JumpToOrder(order > 0 ? order - 1 : 0); break;
        case PlayKey::NextOrder:
            if (order + 1 >= orders_.size()) return PlayStep::NextFile;
            JumpToOrder(order + 1);
            break;
        case PlayKey::Keys: return PlayStep::ShowKeys;
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
    status.mostRows = mostRows_;
    status.highestPattern = highestPattern_;
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
    module_.reset();
}

}  // namespace zumbrik
