#pragma once
#include <cstdint>
#include <string>

namespace zumbrik {

// What `zumbrik-xm play` shows about the song it plays.
struct PlayStatus {
    std::string path;  // as given; the line shows its last part
    std::uint32_t order = 0;
    std::uint32_t songLength = 0;
    std::uint32_t row = 0;
    std::uint32_t pattern = 0;
    std::uint32_t elapsedMs = 0;
    std::uint64_t durationMs = 0;
    bool durationIsMinimum = false;  // the song scan gave up before the end
    std::uint32_t volume = 0;        // 0..25
    bool paused = false;
    std::uint32_t leftLevel = 0;  // mean level, 0..32767
    std::uint32_t rightLevel = 0;
};

// One line for a terminal `columns` wide, never touching its last column (a
// write there may wrap): the file name, position, time, volume and a meter
// per side. When the line is narrower, the meters go first, then the pattern,
// the volume, the duration and the position; the name is cut last. Control
// characters and broken UTF-8 in the name show as '?'.
std::string FormatStatusLine(const PlayStatus& status, int columns);

// Columns the line takes: its UTF-8 code points.
std::size_t DisplayWidth(const std::string& text);

}  // namespace zumbrik
