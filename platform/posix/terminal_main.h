#pragma once
#include <functional>

#include "platform/console_surface.h"
#include "platform/clock.h"
#include "platform/console_input.h"

namespace zumbrik {

using GameEntry = std::function<int(ConsoleSurface&, ConsoleInput&, Clock&)>;

// Runs a game on the terminal of standard input and output, and puts the
// terminal back afterwards. Without a terminal on both it says so on stderr
// and returns 2 before touching anything. SIGINT, SIGTERM and SIGHUP end the
// game as Escape does, so it can record the game being played.
int RunInTerminal(const GameEntry& game);

// After RunInTerminal, once the program has said what it had to: ends the
// process by the signal that ended the game, if one did; returns otherwise.
void EndByQuitSignal();

}  // namespace zumbrik
