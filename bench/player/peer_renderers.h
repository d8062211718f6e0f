#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zumbrik::bench {

// What one render of a module cost.
struct RenderFigures {
    double audioSeconds = 0;
    double cpuSeconds = 0;
};

// A module player we compare against: it renders a module once (48 kHz,
// stereo 16-bit, linear interpolation, no loop), loading not counted.
struct PeerRenderer {
    std::string name;
    std::function<std::optional<RenderFigures>(const std::vector<std::uint8_t>& module)> render;
};

// The peers this build was linked with (none when their libraries are absent).
std::vector<PeerRenderer> AvailablePeers();

// CPU time of this process, in seconds.
double ProcessCpuSeconds();

}  // namespace zumbrik::bench
