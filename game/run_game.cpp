#include "game/run_game.h"

#include "game/game_loop.h"

namespace zumbrik {

int RunGame(ConsoleSurface& surface, ConsoleInput& input, Clock& clock) {
    GameIo io{surface, input, clock};
    GameState state;
    StartGame(io, state);
    while (LoopIteration(io, state) == LoopStep::Continue) {
    }
    QuitGame(io, state);
    return 0;
}

}  // namespace zumbrik
