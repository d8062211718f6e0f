#include "model/score_table.h"

#include <algorithm>
#include <charconv>

namespace zumbrik {

namespace {

constexpr std::size_t kLoginLimit = 64;
constexpr std::uint32_t kLevelLimit = 20;
constexpr char kColumnsComment[] =
    "# score\tlevel\tlines\tdate-time\tlogin; best first, at most ten";

bool ParseNumber(std::string_view field, std::uint32_t& value) {
    if (field.empty() || field.size() > 10) return false;
    if (!std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    return error == std::errc{} && end == field.data() + field.size();
}

// "YYYY-MM-DDTHH:MM:SS": digits where the pattern has 9.
bool IsDateTime(std::string_view field) {
    constexpr std::string_view pattern = "9999-99-99T99:99:99";
    if (field.size() != pattern.size()) return false;
    for (std::size_t k = 0; k < field.size(); ++k) {
        const bool digit = field[k] >= '0' && field[k] <= '9';
        if (pattern[k] == '9' ? !digit : field[k] != pattern[k]) return false;
    }
    return true;
}

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

// Splits off the text up to the next tab; false when there is none.
bool TakeField(std::string_view& line, std::string_view& field) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return false;
    field = line.substr(0, tab);
    line.remove_prefix(tab + 1);
    return true;
}

std::optional<ScoreEntry> ParseEntry(std::string_view line) {
    ScoreEntry entry;
    std::string_view score, level, lines, when;
    if (!TakeField(line, score) || !TakeField(line, level) || !TakeField(line, lines) || !TakeField(line, when))
        return std::nullopt;
    if (!ParseNumber(score, entry.score) || !ParseNumber(level, entry.level) || !ParseNumber(lines, entry.lines))
        return std::nullopt;
    if (entry.level < 1 || entry.level > kLevelLimit || !IsDateTime(when)) return std::nullopt;
    if (line.empty() || line.size() > kLoginLimit || std::any_of(line.begin(), line.end(), IsControl))
        return std::nullopt;
    entry.when = when;
    entry.login = line;
    return entry;
}

}  // namespace

std::size_t AddScore(ScoreTable& table, ScoreEntry entry) {
    const auto at = std::find_if(table.begin(), table.end(),
                                 [&](const ScoreEntry& other) { return other.score < entry.score; });
    const std::size_t place = static_cast<std::size_t>(at - table.begin()) + 1;
    if (place > kScoreTableSize) return 0;
    table.insert(at, std::move(entry));
    if (table.size() > kScoreTableSize) table.resize(kScoreTableSize);
    return place;
}

std::string CleanLogin(std::string_view login) {
    std::string clean(login.substr(0, kLoginLimit));
    std::replace_if(clean.begin(), clean.end(), IsControl, '?');
    return clean.empty() ? "?" : clean;
}

std::string FormatScoreTable(const ScoreTable& table) {
    std::string text = std::string(kScoreFileTag) + "\n" + kColumnsComment + "\n";
    for (const ScoreEntry& entry : table) {
        text += std::to_string(entry.score) + '\t' + std::to_string(entry.level) + '\t' +
                std::to_string(entry.lines) + '\t' + entry.when + '\t' + CleanLogin(entry.login) + '\n';
    }
    return text;
}

std::optional<ScoreTable> ParseScoreTable(std::string_view text) {
    // Blank lines after the last one go; the last line left must still end in
    // "\n", so a cut-off file is damaged.
    const std::size_t lastMark = text.find_last_not_of(" \t\r\n");
    if (lastMark == std::string_view::npos) return std::nullopt;
    const std::size_t lastEnd = text.find('\n', lastMark);
    if (lastEnd == std::string_view::npos) return std::nullopt;
    text = text.substr(0, lastEnd + 1);
    ScoreTable table;
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        // A login never holds a control character, so a CR here can only be a line end.
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (first) {
            if (line != kScoreFileTag) return std::nullopt;
            first = false;
            continue;
        }
        if (line.starts_with('#')) continue;
        std::optional<ScoreEntry> entry = ParseEntry(line);
        if (!entry || table.size() == kScoreTableSize) return std::nullopt;
        // The writer keeps the table in order; a file out of order was not written by it.
        if (!table.empty() && table.back().score < entry->score) return std::nullopt;
        table.push_back(std::move(*entry));
    }
    return table;
}

bool IsLaterScoreFormat(std::string_view text) {
    constexpr std::string_view name = "zumbrik-scores ";
    if (!text.starts_with(name)) return false;
    text.remove_prefix(name.size());
    const std::string_view version = text.substr(0, text.find_first_of("\r\n"));
    if (version.empty() || version[0] == '0') return false;
    if (!std::all_of(version.begin(), version.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
    // However many digits: a number past 32 bits is later still.
    std::uint32_t number = 0;
    return !ParseNumber(version, number) || number > kScoreFormatVersion;
}

}  // namespace zumbrik
