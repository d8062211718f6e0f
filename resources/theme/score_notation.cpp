#include "resources/theme/score_notation.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace zumbrik::theme {

namespace {

[[noreturn]] void Fail(std::string_view what, std::string_view token) {
    std::fprintf(stderr, "theme score: %.*s in \"%.*s\"\n", static_cast<int>(what.size()), what.data(),
                 static_cast<int>(token.size()), token.data());
    std::exit(2);
}

std::uint32_t Number(std::string_view text, std::string_view token) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) Fail("bad number", token);
    return value;
}

}  // namespace

std::uint8_t NoteNumber(std::string_view name) {
    static constexpr int kSemitones[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') Fail("bad note", name);
    int semitone = kSemitones[name[0] - 'A'];
    std::size_t at = 1;
    if (name[at] == '#') {
        ++semitone;
        ++at;
    }
    const std::uint32_t octave = Number(name.substr(at), name);
    const int number = static_cast<int>(octave) * 12 + semitone + 1;
    if (octave > 7 || number < 1 || number > 96) Fail("note out of range", name);
    return static_cast<std::uint8_t>(number);
}

std::vector<XmCell> ParseLine(std::string_view line, std::uint8_t instrument) {
    std::vector<XmCell> cells;
    while (!line.empty()) {
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string_view::npos) break;
        line.remove_prefix(start);
        const std::size_t end = std::min(line.find(' '), line.size());
        const std::string_view token = line.substr(0, end);
        line.remove_prefix(end);

        const std::size_t colon = token.find(':');
        if (colon == std::string_view::npos) Fail("missing :ROWS", token);
        const std::uint32_t rows = Number(token.substr(colon + 1), token);
        if (rows == 0) Fail("zero rows", token);
        std::string_view what = token.substr(0, colon);

        XmCell cell;
        if (what == "^") {
            cell.note = kKeyOff;
        } else if (what != "-") {
            cell.instrument = instrument;
            const std::size_t at = what.find('@');
            if (at != std::string_view::npos) {
                cell.instrument = static_cast<std::uint8_t>(Number(what.substr(at + 1), token));
                what = what.substr(0, at);
            }
            cell.note = NoteNumber(what);
        }
        cells.push_back(cell);
        cells.resize(cells.size() + rows - 1);
    }
    return cells;
}

}  // namespace zumbrik::theme
