#include "app/xm_tool/play_status.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "player/module_player.h"

namespace zumbrik {

namespace {

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

std::string PlayStatusLine(std::uint32_t songLength, std::uint32_t volumeLevel) {
    const std::uint32_t position = GetPlayingPosition();
    const std::uint32_t levels = GetPlayingLevels();
    const std::uint32_t ms = GetElapsedMs();
    char line[160];
    std::snprintf(line, sizeof line, "order %3u/%u  row %3u  %u:%02u.%u  L %s  R %s  vol %2u%-8s", position >> 16,
                  songLength, position & 0xFFFF, ms / 60000, ms / 1000 % 60, ms / 100 % 10,
                  Meter(levels >> 16).c_str(), Meter(levels & 0xFFFF).c_str(), volumeLevel,
                  ModulePaused() ? "  paused" : "");
    return line;
}

}  // namespace zumbrik
