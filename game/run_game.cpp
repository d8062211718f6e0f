#include "game/run_game.h"

#include "game/game_loop.h"
#include "game/game_scores.h"

namespace zumbrik {

namespace {

// The blocking host: it waits as each step asks, on the platform's clock and input.
void WaitAsAsked(GameIo& io, NextStep next) {
    if (next.kind == NextStep::Kind::Sleep) io.clock.Sleep(next.ms);
    if (next.kind == NextStep::Kind::KeyOrTimeout) io.input.WaitForInput(next.ms);
}

}  // namespace

int RunGame(ConsoleSurface& surface, ConsoleInput& input, Clock& clock, ScoreBook* scores, GameOptions options) {
    GameIo io{surface, input, clock, scores};
    GameState state;
    StartGame(io, state);
    if (!options.music) SwitchMusic(state);
    for (NextStep next = GameStep(io, state); next.kind != NextStep::Kind::Quit; next = GameStep(io, state))
        WaitAsAsked(io, next);
    LeaveGame(io, state);
    return 0;
}

}  // namespace zumbrik
