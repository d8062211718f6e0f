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

std::size_t Digits(std::uint64_t value) {
    return std::to_string(value).size();
}

std::string PaddedLeft(const std::string& text, std::size_t width, char pad) {
    const std::size_t shown = DisplayWidth(text);
    return shown >= width ? text : std::string(width - shown, pad) + text;
}

std::string PaddedRight(const std::string& text, std::size_t width) {
    const std::size_t shown = DisplayWidth(text);
    return shown >= width ? text : text + std::string(width - shown, ' ');
}

// A number as wide as the largest it can be: 0-padded, as trackers count.
std::string Counted(std::uint32_t value, std::uint64_t largest) {
    return PaddedLeft(std::to_string(value), Digits(std::max<std::uint64_t>(value, largest)), '0');
}

// The label (a name, or a heading) and as many fields as fit after it, the
// label cut last and never below kShortestName for the fields' sake. Each
// layout is tried in turn; its last field gives way to `last` when set.
std::string FitLine(const std::vector<std::string>& label, std::vector<std::vector<std::string>> layouts,
                    const std::string& last, std::size_t room) {
    std::string fields;
    for (std::vector<std::string>& layout : layouts) {
        if (!last.empty() && !layout.empty()) layout.back() = PaddedRight(last, DisplayWidth(layout.back()));
        fields = JoinFields(layout);
        if (DisplayWidth(fields) + std::min(label.size(), kShortestName) <= room) break;
    }
    std::string line;
    const std::size_t fieldsWidth = DisplayWidth(fields);
    const std::size_t labelRoom = room > fieldsWidth ? room - fieldsWidth : 0;
    if (label.size() <= labelRoom) {
        for (const std::string& point : label) line += point;
    } else if (labelRoom > 0) {
        for (std::size_t i = 0; i + 1 < labelRoom; ++i) line += label[i];
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

}  // namespace

std::size_t DisplayWidth(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string FormatStatusLine(const PlayStatus& status, int columns) {
    if (columns < 2) return "";
    const std::string where = "ord " + Counted(status.order, status.songLength) + "/" +
                              std::to_string(status.songLength) + " row " +
                              Counted(status.row, status.mostRows > 0 ? status.mostRows - 1 : 0);
    const std::string pattern = " pat " + Counted(status.pattern, status.highestPattern);
    const std::string durationClock = Clock(status.durationMs);
    // Room for every time up to the duration, and alone for "paused" in its place.
    const std::string elapsedClock = PaddedLeft(Clock(status.elapsedMs), durationClock.size(), ' ');
    const std::string elapsed = PaddedLeft(elapsedClock, 6, ' ');
    const std::string time = elapsedClock + (status.durationIsMinimum ? "/>" : "/") + durationClock;
    const std::string volume = "vol " + PaddedLeft(std::to_string(status.volume), 2, ' ');
    const std::string meters = "L " + Meter(status.leftLevel) + " R " + Meter(status.rightLevel);

    // From the fullest line to the barest, each dropping what matters least.
    const std::vector<std::vector<std::string>> layouts = {
        {where + pattern, time, volume, meters},
        {where + pattern, time, volume},
        {where, time, volume},
        {where, time},
        {where, elapsed},
        {elapsed},
        {},
    };
    return FitLine(SafeCodePoints(status.path), layouts, status.paused ? "paused" : "",
                   static_cast<std::size_t>(columns - 1));
}

std::string FormatHeading(std::size_t file, std::size_t files, const std::string& path, const std::string& title,
                          int columns) {
    if (columns < 2) return "";
    std::vector<std::string> label = SafeCodePoints(path);
    if (!title.empty()) {
        for (const char c : std::string(kGap) + "\"" + title + "\"") label.emplace_back(1, c);
    }
    const std::string counted = "file " + std::to_string(file) + " of " + std::to_string(files) + kGap;
    const std::size_t room = static_cast<std::size_t>(columns - 1);
    if (counted.size() >= room) return FitLine(label, {{}}, "", room);
    return counted + FitLine(label, {{}}, "", room - counted.size());
}

std::vector<std::string> KeyHelpLines(int columns) {
    static const char* const kKeys[] = {"space pause", "+ - volume", "left right order", "n p next/previous file",
                                        "h ? keys", "q quit"};
    const std::size_t room = columns < 2 ? 1 : static_cast<std::size_t>(columns - 1);
    std::vector<std::string> lines(1, "keys:");
    for (const char* key : kKeys) {
        // Further lines start under the first key.
        if (lines.back().size() + std::string(kGap).size() + std::string(key).size() > room) {
            lines.emplace_back(std::string("keys:").size(), ' ');
        }
        lines.back() += kGap + std::string(key);
    }
    for (std::string& line : lines) line = line.substr(0, room);
    return lines;
}

}  // namespace zumbrik
