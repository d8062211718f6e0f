#include "app/score_listing.h"

namespace zumbrik {

namespace {

std::string PadLeft(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

}  // namespace

std::string FormatScoreListing(const ScoreTable& table) {
    if (table.empty()) return "Рекордов пока нет.\n";
    std::string text = " #       счёт  уровень  линии  дата и время          игрок\n";
    for (std::size_t k = 0; k < table.size(); ++k) {
        const ScoreEntry& entry = table[k];
        std::string when = entry.when;
        if (when.size() > 10) when[10] = ' ';
        text += PadLeft(std::to_string(k + 1), 2) + PadLeft(std::to_string(entry.score), 11) +
                PadLeft(std::to_string(entry.level), 9) + PadLeft(std::to_string(entry.lines), 7) + "  " + when +
                "   " + entry.login + "\n";
    }
    return text;
}

int PrintScores(ScoreBook& book, std::FILE* out, std::FILE* err) {
    const std::string listing = FormatScoreListing(LoadScores(book));
    std::fputs(listing.c_str(), out);
    std::fflush(out);
    PrintNotes(book, err);
    return 0;
}

void PrintNotes(const ScoreBook& book, std::FILE* err) {
    for (const std::string& note : book.notes) std::fprintf(err, "zumbrik: %s\n", note.c_str());
}

}  // namespace zumbrik
