#include "app/xm_tool/play_status_line.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace zumbrik {

namespace {

// Names shorter than this are never cut for the sake of other fields.
constexpr std::size_t kShortestName = 12;
constexpr int kMeterSteps = 8;
constexpr char kGap[] = "  ";

// A meter over 48 dB for a mean level of 0..32767.
std::string Meter(std::uint32_t level) {
    int filled = 0;
    if (level > 0) {
        const double decibels = 20 * std::log10(static_cast<double>(level) / 32767.0);
        filled = std::clamp(static_cast<int>((decibels + 48) / 48 * kMeterSteps + 0.5), 0, kMeterSteps);
    }
    return std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(kMeterSteps - filled), '.');
}

std::string Clock(std::uint64_t ms) {
    const std::uint64_t seconds = ms / 1000;
    std::string text = std::to_string(seconds / 60) + ":";
    if (seconds % 60 < 10) text += '0';
    return text + std::to_string(seconds % 60);
}

// Length of the UTF-8 sequence a lead byte starts; 0 for a byte no sequence starts with.
std::size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// The name's code points, each a string of its bytes; a terminal must not
// receive control bytes (an escape sequence in a file name) or broken text.
std::vector<std::string> SafeCodePoints(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::vector<std::string> points;
    for (std::size_t i = 0; i < name.size();) {
        const auto lead = static_cast<unsigned char>(name[i]);
        std::size_t length = SequenceLength(lead);
        for (std::size_t k = 1; k < length; ++k) {
            if (i + k >= name.size() || (static_cast<unsigned char>(name[i + k]) & 0xC0) != 0x80) length = 0;
        }
        // C1 controls are U+0080..U+009F: C2 80..C2 9F.
        const bool control = lead < 0x20 || lead == 0x7F ||
                             (length == 2 && lead == 0xC2 && static_cast<unsigned char>(name[i + 1]) < 0xA0);
        if (length == 0 || control) {
            points.emplace_back("?");
            i += std::max<std::size_t>(length, 1);
        } else {
            points.push_back(name.substr(i, length));
            i += length;
        }
    }
    return points;
}

std::string JoinFields(const std::vector<std::string>& fields) {
    std::string line;
    for (const std::string& field : fields) line += kGap + field;
    return line;
}

}  // namespace

std::size_t DisplayWidth(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string FormatStatusLine(const PlayStatus& status, int columns) {
    if (columns < 2) return "";
    const auto room = static_cast<std::size_t>(columns - 1);

    const std::string where = "ord " + std::to_string(status.order) + "/" + std::to_string(status.songLength) +
                              " row " + std::to_string(status.row);
    const std::string pattern = " pat " + std::to_string(status.pattern);
    const std::string elapsed = Clock(status.elapsedMs);
    const std::string duration = (status.durationIsMinimum ? "/>" : "/") + Clock(status.durationMs);
    const std::string volume = "vol " + std::to_string(status.volume);
    const std::string meters = "L " + Meter(status.leftLevel) + " R " + Meter(status.rightLevel);
    const std::string paused = status.paused ? "paused" : "";

    // From the fullest line to the barest, each dropping what matters least.
    std::vector<std::vector<std::string>> layouts = {
        {where + pattern, elapsed + duration, paused, volume, meters},
        {where + pattern, elapsed + duration, paused, volume},
        {where, elapsed + duration, paused, volume},
        {where, elapsed + duration, paused},
        {where, elapsed, paused},
        {elapsed, paused},
        {paused},
    };
    const std::vector<std::string> name = SafeCodePoints(status.path);
    std::string fields;
    for (std::vector<std::string>& layout : layouts) {
        layout.erase(std::remove(layout.begin(), layout.end(), std::string()), layout.end());
        fields = JoinFields(layout);
        if (DisplayWidth(fields) + std::min(name.size(), kShortestName) <= room) break;
    }

    std::string line;
    const std::size_t fieldsWidth = DisplayWidth(fields);
    const std::size_t nameRoom = room > fieldsWidth ? room - fieldsWidth : 0;
    if (name.size() <= nameRoom) {
        for (const std::string& point : name) line += point;
    } else if (nameRoom > 0) {
        for (std::size_t i = 0; i + 1 < nameRoom; ++i) line += name[i];
        line += '~';  // the name goes on
    }
    line += fields;
    // Still too wide (a very narrow terminal): cut at a code point.
    std::size_t width = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80 && ++width > room) return line.substr(0, i);
    }
    return line;
}

}  // namespace zumbrik
