#pragma once
// The score table: the ten best games, best first, and its text form.
//
// The file is plain text, one record per line, lines ending in "\n":
//
//   zumbrik-scores 1
//   # score<TAB>level<TAB>lines<TAB>date-time<TAB>login; best first, at most ten
//   12300<TAB>7<TAB>58<TAB>2026-12-07T11:10:55<TAB>anna
//
// The first line names the format and its version. Lines that start with "#"
// are comments. Every other line is one game: the score, the level reached
// (1 to 20), the lines cleared, the local date and time it ended (ISO 8601,
// to the second) and the player's login name, which runs to the end of the
// line and so may hold spaces (never a tab or another control character).
// The reader also takes what an editor may leave in a table it did not
// otherwise change: lines ending in "\r\n" and blank lines at the end.
// Anything else makes the whole file damaged, except a first line naming a
// later version: that table belongs to a newer program and is left to it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zumbrik {

inline constexpr std::size_t kScoreTableSize = 10;
inline constexpr std::uint32_t kScoreFormatVersion = 1;
inline constexpr char kScoreFileTag[] = "zumbrik-scores 1";

struct ScoreEntry {
    std::uint32_t score = 0;
    std::uint32_t level = 1;
    std::uint32_t lines = 0;
    // "YYYY-MM-DDTHH:MM:SS", local time.
    std::string when;
    std::string login;

    bool operator==(const ScoreEntry&) const = default;
};

// Best first; at most kScoreTableSize entries.
using ScoreTable = std::vector<ScoreEntry>;

// Puts the entry in its place: below every entry with the same or a higher
// score, so an older game keeps its place against an equal new one. Gives the
// place it took (1 = best), or 0 when it did not make the table.
std::size_t AddScore(ScoreTable& table, ScoreEntry entry);

// The text of the file; the login names are cleaned first.
std::string FormatScoreTable(const ScoreTable& table);

// The table of a file's text, or nothing when the text is damaged or of a
// later version.
std::optional<ScoreTable> ParseScoreTable(std::string_view text);

// True when the first line is "zumbrik-scores N" with N above this
// program's version: not damaged, only not ours to read or write.
bool IsLaterScoreFormat(std::string_view text);

// A login name the file can hold: control characters become "?", at most 64
// bytes, never empty.
std::string CleanLogin(std::string_view login);

}  // namespace zumbrik
