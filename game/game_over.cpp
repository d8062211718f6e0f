#include "game/game_loop.h"

#include "console/panel_text.h"
#include "console/well_effects.h"
#include "game/game_scores.h"
#include "game/key_input.h"

namespace zumbrik {

namespace {
// The game-over state waits for a key this long at a time instead of spinning.
constexpr std::uint32_t kGameOverWaitMs = 100;
}  // namespace

NextStep GameOverStep(GameIo& io, GameState& state) {
    InputRecord record{};
    // Wait for the next key rather than poll a core flat out.
    if (!io.input.PeekConsoleInputW(&record)) return NextStep::KeyOrAfter(kGameOverWaitMs);
    if (IsKeyDown(record, kVkReturn)) {
        RestartGame(io, state);
        io.input.FlushConsoleInputBuffer();
        return NextStep::Now();
    }
    if (IsKeyDown(record, kVkEscape)) return NextStep::Quit();
    io.input.FlushConsoleInputBuffer();
    return NextStep::Now();
}

void RestartGame(GameIo& io, GameState& state) {
    const ConsoleBuffer game = state.GameBuffer(io.surface);
    state.gameOver = false;
    ClearWellArea(game);
    state.well.Clear();
    ShowWellDigits(game, state.well);
    ShowLevel(game, 0, state.thresholds[0]);
    ShowScore(game, 0);
    WipeGameOver(game);
    WipeTablePlaceIfShown(io, state);
}

}  // namespace zumbrik
