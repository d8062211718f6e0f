#include "game/run_game.h"

#include "game/game_loop.h"
#include "game/game_scores.h"

namespace zumbrik {

int RunGame(ConsoleSurface& surface, ConsoleInput& input, Clock& clock, ScoreBook* scores, GameOptions options) {
    GameIo io{surface, input, clock, scores};
    GameState state;
    StartGame(io, state);
    if (!options.music) SwitchMusic(state);
    while (LoopIteration(io, state) == LoopStep::Continue) {
    }
    RecordGameLeft(io, state);
    QuitGame(io, state);
    return 0;
}

}  // namespace zumbrik
