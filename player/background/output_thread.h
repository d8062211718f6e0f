#pragma once

#include "player/background/background_player.h"

namespace zumbrik {

// The output thread's loop: every 5 ms it looks at which ring segment the
// device plays and renders the segments behind it, one per wake-up, until
// the stop request is set or a play-once song ends (then it tears the player
// down itself and returns).
void RunOutputThread(BackgroundPlayer& player);

}  // namespace zumbrik
