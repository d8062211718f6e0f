#include "game/game_scores.h"

#include "console/score_text.h"
#include "game/score_keeping.h"

namespace zumbrik {

namespace {

// The best score of the table on the panel; an empty table leaves the row as
// the layout has it.
void ShowBest(GameIo& io, GameState& state, const ScoreTable& table) {
    if (table.empty()) return;
    ShowBestScore(state.GameBuffer(io.surface), table.front().score);
}

std::optional<std::size_t> Record(GameIo& io, GameState& state) {
    ScoreBook& book = *io.scores;
    ScoreEntry entry{state.progress.score, state.progress.levelIndex + 1, state.progress.lines,
                     book.store.LocalDateTime(), book.store.LoginName()};
    ScoreTable table;
    const std::optional<std::size_t> place = RecordScore(book, std::move(entry), table);
    if (place) ShowBest(io, state, table);
    return place;
}

}  // namespace

void ShowTableAtStart(GameIo& io, GameState& state) {
    if (io.scores != nullptr) ShowBest(io, state, LoadScores(*io.scores));
}

void RecordGameOver(GameIo& io, GameState& state) {
    // A game without a point is no result: it would only push zeros into the
    // table and show a first place to someone who never touched a key.
    if (io.scores == nullptr || state.progress.score == 0) return;
    const std::optional<std::size_t> place = Record(io, state);
    if (place && *place > 0) {
        ShowTablePlace(state.GameBuffer(io.surface), *place);
        state.tablePlaceShown = true;
    }
}

void RecordGameLeft(GameIo& io, GameState& state) {
    if (io.scores != nullptr && !state.gameOver && state.progress.score > 0) Record(io, state);
}

void WipeTablePlaceIfShown(GameIo& io, GameState& state) {
    if (!state.tablePlaceShown) return;
    WipeTablePlace(state.GameBuffer(io.surface));
    state.tablePlaceShown = false;
}

}  // namespace zumbrik
