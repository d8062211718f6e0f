#pragma once
#include <thread>

#include "player/background_player.h"

namespace zumbrik {

// The output thread's loop: every 5 ms it looks at which ring segment the
// device plays and renders the segments behind it, one per wake-up, until
// the stop request is set or a play-once song ends (then it tears the player
// down itself and returns).
void RunOutputThread(BackgroundPlayer& player);

// Moves the thread to real-time scheduling where the system allows it; a
// refusal is ignored and the music plays at normal priority.
void RaiseThreadPriority(std::thread& thread);

}  // namespace zumbrik
