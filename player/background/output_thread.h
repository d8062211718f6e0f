#pragma once

#include "player/background/background_player.h"

namespace zumbrik {

// The output thread's loop: every 5 ms it looks at which ring segment the
// device plays, logs it as the one heard, and renders the segments behind
// it, one per wake-up, until the stop request is set. It never stops the
// player itself: a song that has ended leaves it rendering silence.
void RunOutputThread(BackgroundPlayer& player);

}  // namespace zumbrik
