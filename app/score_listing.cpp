#include "app/score_listing.h"

#include <cerrno>
#include <cstring>

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
    const ScoreTable table = LoadScores(book);
    // A table left as it is has not been read: "no scores yet" would be untrue.
    if (book.tableLeftAlone) {
        PrintNotes(book, err);
        return 1;
    }
    const std::string listing = FormatScoreListing(table);
    errno = 0;
    const bool written = std::fputs(listing.c_str(), out) >= 0 && std::fflush(out) == 0 && std::ferror(out) == 0;
    const int error = errno;
    PrintNotes(book, err);
    if (written) return 0;
    std::fprintf(err, "zumbrik: не удалось вывести таблицу рекордов: сообщение системы «%s»\n",
                 std::strerror(error != 0 ? error : EIO));
    return 1;
}

void PrintNotes(const ScoreBook& book, std::FILE* err) {
    for (const std::string& note : book.notes) std::fprintf(err, "zumbrik: %s\n", note.c_str());
}

}  // namespace zumbrik
