#include "game/score_keeping.h"

namespace zumbrik {

namespace {

// Holds the store's lock for one scope.
class StoreLock {
public:
    StoreLock(ScoreStore& store, std::string& reason) : store_(store), held_(store.Lock(reason)) {}
    ~StoreLock() {
        if (held_) store_.Unlock();
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    bool Held() const { return held_; }

private:
    ScoreStore& store_;
    bool held_;
};

enum class TableState { Ready, Damaged };

// Each thing goes wrong once per run as far as the player is told.
void AddNote(ScoreBook& book, std::string note) {
    for (const std::string& said : book.notes)
        if (said == note) return;
    book.notes.push_back(std::move(note));
}

// Reads the table; a file that does not read is moved aside (only under the
// lock), never deleted. Damaged means it is still in place, so nobody may
// write over it.
TableState ReadTable(ScoreBook& book, ScoreTable& table, const StoreLock& lock, std::string reason) {
    table.clear();
    std::string text;
    const StoreRead read = book.store.Read(text);
    if (read == StoreRead::Missing) return TableState::Ready;
    if (read == StoreRead::Read) {
        if (std::optional<ScoreTable> parsed = ParseScoreTable(text)) {
            table = std::move(*parsed);
            return TableState::Ready;
        }
    }
    const std::string aside = lock.Held() ? book.store.KeepAside(reason) : std::string();
    const std::string what = read == StoreRead::Read ? "повреждена" : "не читается";
    if (aside.empty()) {
        AddNote(book, "таблица рекордов " + book.store.Location() + " " + what + ", и её не удалось отложить (" +
                          reason + "); она оставлена как есть");
        return TableState::Damaged;
    }
    AddNote(book, "таблица рекордов была " + what + ", она сохранена как " + aside + ", начата новая");
    return TableState::Ready;
}

}  // namespace

ScoreTable LoadScores(ScoreBook& book) {
    // A replacement is atomic, so a read without the lock sees one whole
    // table; only a file that does not read needs the lock, to move it aside.
    // Nothing is created just to look.
    std::string text;
    const StoreRead read = book.store.Read(text);
    if (read == StoreRead::Missing) return {};
    if (read == StoreRead::Read)
        if (std::optional<ScoreTable> table = ParseScoreTable(text)) return std::move(*table);
    std::string reason;
    StoreLock lock(book.store, reason);
    ScoreTable table;
    if (ReadTable(book, table, lock, reason) == TableState::Damaged) table.clear();
    return table;
}

std::optional<std::size_t> RecordScore(ScoreBook& book, ScoreEntry entry, ScoreTable& table) {
    const std::uint32_t score = entry.score;
    std::string reason;
    StoreLock lock(book.store, reason);
    ScoreTable current;
    if (lock.Held() && ReadTable(book, current, lock, reason) == TableState::Ready) {
        ScoreTable updated = current;
        const std::size_t place = AddScore(updated, std::move(entry));
        if (place == 0 || book.store.Replace(FormatScoreTable(updated), reason)) {
            table = std::move(updated);
            return place;
        }
        table = std::move(current);
    }
    if (reason.empty()) reason = "таблица не читается";
    AddNote(book, "счёт " + std::to_string(score) + " не удалось сохранить в " + book.store.Location() + ": " + reason);
    return std::nullopt;
}

}  // namespace zumbrik
