#pragma once

#include "platform/console_surface.h"
#include "platform/clock.h"
#include "platform/console_input.h"

namespace zumbrik {

struct ScoreBook;

// What the command line may change about a run.
struct GameOptions {
    bool music = true;  // false: the music starts switched off, as if M had been pressed
};

// The whole game: start-up, the loop and its states, until Escape. Returns 0.
// Finished games go into `scores`, when given.
int RunGame(ConsoleSurface& surface, ConsoleInput& input, Clock& clock, ScoreBook* scores = nullptr,
            GameOptions options = {});

}  // namespace zumbrik
