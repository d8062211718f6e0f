#include "app/xm_tool/play_control.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/xm_tool/module_file.h"
#include "player/module_player.h"

namespace zumbrik {

namespace {

constexpr std::uint32_t kTopVolumeLevel = 25;

// A 12-step meter over 48 dB for a mean level of 0..32767.
std::string Meter(std::uint32_t level) {
    constexpr int kSteps = 12;
    int filled = 0;
    if (level > 0) {
        const double decibels = 20 * std::log10(static_cast<double>(level) / 32767.0);
        filled = std::clamp(static_cast<int>((decibels + 48) / 48 * kSteps + 0.5), 0, kSteps);
    }
    return std::string(static_cast<std::size_t>(filled), '#') + std::string(static_cast<std::size_t>(kSteps - filled), '.');
}

}  // namespace

bool PlayControl::Start(const std::string& path, WaveDevice& device, std::ostream& err) {
    {
        const auto module = LoadModuleFile(path, err);
        if (!module) return false;
        songLength_ = module->state.songLength;
    }
    UseWaveDevice(&device);
    volumeLevel_ = kTopVolumeLevel;
    SetMasterVolume(volumeLevel_);
    if (PlayModule(reinterpret_cast<std::uintptr_t>(path.c_str()), 0, FileSource) == 0) {
        UseWaveDevice(nullptr);
        err << "zumbrik-xm: no sound output device could be opened\n";
        return false;
    }
    return true;
}

bool PlayControl::Act(PlayKey key) {
    const std::uint32_t order = GetPlayingPosition() >> 16;
    switch (key) {
        case PlayKey::Pause: ModulePaused() ? ResumeModule() : PauseModule(); break;
        case PlayKey::Louder: SetMasterVolume(volumeLevel_ = std::min(volumeLevel_ + 1, kTopVolumeLevel)); break;
        case PlayKey::Softer: SetMasterVolume(volumeLevel_ = volumeLevel_ > 0 ? volumeLevel_ - 1 : 0); break;
        case PlayKey::PreviousOrder: JumpToOrder(order > 0 ? order - 1 : 0); break;
        case PlayKey::NextOrder: JumpToOrder(order + 1); break;
        case PlayKey::Quit: return false;
    }
    return true;
}

std::string PlayControl::StatusLine() const {
    const std::uint32_t position = GetPlayingPosition();
    const std::uint32_t levels = GetPlayingLevels();
    const std::uint32_t ms = GetElapsedMs();
    char line[160];
    std::snprintf(line, sizeof line, "order %3u/%u  row %3u  %u:%02u.%u  L %s  R %s  vol %2u%-8s", position >> 16,
                  songLength_, position & 0xFFFF, ms / 60000, ms / 1000 % 60, ms / 100 % 10,
                  Meter(levels >> 16).c_str(), Meter(levels & 0xFFFF).c_str(), volumeLevel_,
                  ModulePaused() ? "  paused" : "");
    return line;
}

void PlayControl::Finish() {
    StopModule();
    UseWaveDevice(nullptr);
    ResumeModule();
    SetMasterVolume(kTopVolumeLevel);
}

}  // namespace zumbrik
