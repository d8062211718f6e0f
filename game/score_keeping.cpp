#include "game/score_keeping.h"

#include <algorithm>

namespace zumbrik {

namespace {

// Holds the store's lock for one scope.
class LockScope {
public:
    LockScope(ScoreStore& store, std::string& reason) : store_(store), state_(store.Lock(reason)) {}
    ~LockScope() {
        if (Held()) store_.Unlock();
    }
    LockScope(const LockScope&) = delete;
    LockScope& operator=(const LockScope&) = delete;
    bool Held() const { return state_ == StoreLock::Held; }
    bool Busy() const { return state_ == StoreLock::Busy; }

private:
    ScoreStore& store_;
    StoreLock state_;
};

// LeftAlone: the file stays as it is, so nobody may write over it.
enum class TableState { Ready, LeftAlone };

// Each thing goes wrong once per run as far as the player is told.
void AddNote(ScoreBook& book, std::string note) {
    for (const std::string& said : book.notes)
        if (said == note) return;
    book.notes.push_back(std::move(note));
}

TableState LeaveAlone(ScoreBook& book, std::string note) {
    AddNote(book, std::move(note));
    book.tableLeftAlone = true;
    return TableState::LeftAlone;
}

// A later version's table and anything that is not a file are not ours to
// read, move or write over: the note that says so, or nothing.
std::optional<std::string> NotOurs(ScoreBook& book, StoreRead read, const std::string& text) {
    const std::string tableAt = "таблица рекордов " + book.store.Location();
    if (read == StoreRead::NotAFile)
        return tableAt + " — не обычный файл (например, именованный канал); она оставлена как есть";
    if (read == StoreRead::Read && IsLaterScoreFormat(text))
        return tableAt + " записана более новой версией игры; эта версия не может её обновить";
    return std::nullopt;
}

// Reads the table. A damaged or unreadable file is moved aside (only under
// the lock), never deleted; one that is not ours is not touched at all.
TableState ReadTable(ScoreBook& book, ScoreTable& table, const LockScope& lock, std::string reason) {
    table.clear();
    std::string text;
    const StoreRead read = book.store.Read(text);
    if (read == StoreRead::Missing) return TableState::Ready;
    if (std::optional<std::string> note = NotOurs(book, read, text)) return LeaveAlone(book, std::move(*note));
    if (read == StoreRead::Read) {
        if (std::optional<ScoreTable> parsed = ParseScoreTable(text)) {
            table = std::move(*parsed);
            return TableState::Ready;
        }
    }
    const std::string tableAt = "таблица рекордов " + book.store.Location();
    const std::string aside = lock.Held() ? book.store.KeepAside(reason) : std::string();
    const bool damaged = read == StoreRead::Read;
    if (aside.empty()) {
        return LeaveAlone(book, tableAt + (damaged ? " повреждена" : " не читается") +
                                    ", и её не удалось отложить (" + reason + "); она оставлена как есть");
    }
    AddNote(book, std::string("таблица рекордов ") + (damaged ? "была повреждена" : "не читалась") +
                      ", она сохранена как " + aside + ", начата новая");
    return TableState::Ready;
}

// The scores of waiting files that read as tables, added to the table.
// A file that does not is left where it is. An entry the table already holds
// to the second is not added again: its file outlived a merge that was cut
// short after the table was written.
std::vector<std::string> MergeWaiting(ScoreBook& book, ScoreTable& table) {
    std::vector<std::string> merged;
    for (const WaitingScore& waiting : book.store.ReadWaiting()) {
        const std::optional<ScoreTable> entries = ParseScoreTable(waiting.text);
        if (!entries) continue;
        for (const ScoreEntry& entry : *entries)
            if (std::find(table.begin(), table.end(), entry) == table.end()) AddScore(table, entry);
        merged.push_back(waiting.name);
    }
    return merged;
}

bool AnyWaiting(ScoreBook& book) {
    const std::vector<WaitingScore> waiting = book.store.ReadWaiting();
    return std::any_of(waiting.begin(), waiting.end(),
                       [](const WaitingScore& w) { return ParseScoreTable(w.text).has_value(); });
}

// The merged files go only once the table that holds them is on disk.
bool WriteTable(ScoreBook& book, const ScoreTable& table, const std::vector<std::string>& merged,
                std::string& reason) {
    if (!book.store.Replace(FormatScoreTable(table), reason)) return false;
    for (const std::string& name : merged) book.store.RemoveWaiting(name);
    return true;
}

// Another game held the lock past the wait: the score goes into a file of its
// own rather than being lost or keeping the player waiting.
void KeepWaiting(ScoreBook& book, ScoreEntry entry) {
    const std::string score = std::to_string(entry.score);
    std::string reason;
    const std::string path = book.store.AddWaiting(FormatScoreTable({std::move(entry)}), reason);
    const std::string busy = "таблицу рекордов " + book.store.Location() + " держала другая игра";
    if (path.empty()) {
        AddNote(book, "счёт " + score + " не удалось сохранить: " + busy + ", а отдельный файл не записался (" +
                          reason + ")");
        return;
    }
    AddNote(book, busy + ", поэтому счёт " + score + " записан отдельно в " + path +
                      "; его внесёт в таблицу следующая игра");
}

}  // namespace

ScoreTable LoadScores(ScoreBook& book) {
    // A replacement is atomic, so a read without the lock sees one whole
    // table; only a file that does not read, or waiting scores, need the
    // lock. Nothing is created just to look.
    std::string text;
    const StoreRead read = book.store.Read(text);
    if (std::optional<std::string> note = NotOurs(book, read, text)) {
        LeaveAlone(book, std::move(*note));
        return {};
    }
    if (!AnyWaiting(book)) {
        if (read == StoreRead::Missing) return {};
        if (read == StoreRead::Read)
            if (std::optional<ScoreTable> table = ParseScoreTable(text)) return std::move(*table);
    }
    std::string reason;
    const LockScope lock(book.store, reason);
    ScoreTable table;
    if (ReadTable(book, table, lock, reason) == TableState::LeftAlone) return {};
    if (!lock.Held()) return table;
    ScoreTable updated = table;
    const std::vector<std::string> merged = MergeWaiting(book, updated);
    if (merged.empty()) return table;
    if (WriteTable(book, updated, merged, reason)) return updated;
    AddNote(book, "счета, записанные отдельно, не удалось внести в таблицу рекордов " + book.store.Location() +
                      " (" + reason + ")");
    return table;
}

std::optional<std::size_t> RecordScore(ScoreBook& book, ScoreEntry entry, ScoreTable& table) {
    const std::uint32_t score = entry.score;
    std::string reason;
    const LockScope lock(book.store, reason);
    if (lock.Busy()) {
        KeepWaiting(book, std::move(entry));
        return std::nullopt;
    }
    ScoreTable current;
    if (lock.Held() && ReadTable(book, current, lock, reason) == TableState::Ready) {
        ScoreTable updated = current;
        const std::vector<std::string> merged = MergeWaiting(book, updated);
        const std::size_t place = AddScore(updated, std::move(entry));
        if ((place == 0 && merged.empty()) || WriteTable(book, updated, merged, reason)) {
            table = std::move(updated);
            return place;
        }
        table = std::move(current);
    }
    if (reason.empty()) reason = "таблица оставлена как есть";
    AddNote(book, "счёт " + std::to_string(score) + " не удалось сохранить в " + book.store.Location() + " (" +
                      reason + ")");
    return std::nullopt;
}

}  // namespace zumbrik
