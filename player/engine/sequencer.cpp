#include "player/engine/sequencer.h"

#include <algorithm>

#include "player/mixer/mixer.h"
#include "player/engine/row_processing.h"
#include "player/engine/song_position.h"
#include "player/engine/tick_effects.h"

namespace zumbrik {

namespace {

// Takes over the pending position, runs the row, and chooses the next
// position unless the row chose it. False when the song ends in play-once.
bool StartRow(Play& play, bool playOnce, SongClock& clock) {
    TakePendingPosition(play);
    ProcessRow(play);
    if (ChooseNextPosition(play)) return true;
    clock.songEnds += 1;
    return !playOnce;
}

}  // namespace

bool StartTick(Play& play, bool playOnce, SongClock& clock) {
    if (play.tick == 0) {
        if (!StartRow(play, playOnce, clock)) {
            return false;
        }
    } else {
        ProcessTick(play);
    }
    play.tick += 1;
    if (play.tick >= play.speed + play.patternDelayTicks) {
        play.tick = 0;
        play.patternDelayTicks = 0;
    }
    // Read after the processing so a tempo change applies to this tick;
    // never 0, or rendering would start ticks without end.
    play.tickFramesLeft = NextTickFrames(play);
    return true;
}

bool RenderFrames(Play& play, std::int32_t* accumulators, std::uint32_t frames, bool playOnce,
                  SongClock& clock) {
    std::uint32_t framesLeft = frames;
    std::int32_t* destination = accumulators;
    while (framesLeft > 0) {
        if (play.tickFramesLeft <= 0 && !StartTick(play, playOnce, clock)) {
            return false;
        }
        const std::uint32_t n = std::min(static_cast<std::uint32_t>(play.tickFramesLeft), framesLeft);
        Mix(play.voices, 2 * ProcessedChannels(play), play.pace, destination, n);
        play.tickFramesLeft -= static_cast<std::int32_t>(n);
        framesLeft -= n;
        destination += 2 * static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace zumbrik
