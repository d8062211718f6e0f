#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zumbrik {

// What `zumbrik-xm play` shows about the song it plays.
struct PlayStatus {
    std::string path;  // as given; the line shows its last part
    std::uint32_t order = 0;
    std::uint32_t songLength = 0;
    std::uint32_t row = 0;
    std::uint32_t pattern = 0;
    // The song's longest pattern and highest pattern number: the row and
    // pattern fields are as wide as these need, whatever plays now.
    std::uint32_t mostRows = 0;
    std::uint32_t highestPattern = 0;
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
// per side; while paused, "paused" takes the last field's place. When the
// line is narrower, the meters go first, then the pattern, the volume, the
// duration and the position; the name is cut last. Every field keeps the
// width the song's largest value needs, so nothing moves while the song
// plays. Control characters and broken UTF-8 in the name show as '?'.
std::string FormatStatusLine(const PlayStatus& status, int columns);

// The line that introduces a song: "file N of M  NAME  "TITLE"", cut to
// the terminal as the status line is. The title is already printable.
std::string FormatHeading(std::size_t file, std::size_t files, const std::string& path, const std::string& title,
                          int columns);

// The keys, as few lines as fit the terminal.
std::vector<std::string> KeyHelpLines(int columns);

// Columns the line takes: its UTF-8 code points.
std::size_t DisplayWidth(const std::string& text);

}  // namespace zumbrik
