#pragma once

#include "platform/console_surface.h"
#include "platform/clock.h"
#include "platform/console_input.h"

namespace zumbrik {

// The whole game: start-up, the loop and its states, until Escape. Returns 0.
int RunGame(ConsoleSurface& surface, ConsoleInput& input, Clock& clock);

}  // namespace zumbrik
