#include "player/song_duration.h"

#include "player/sequencer.h"

namespace zumbrik {

std::uint64_t OnePassFrames(PlayerState& state, std::uint64_t frameLimit) {
    SongClock clock;
    std::uint64_t frames = 0;
    while (frames < frameLimit) {
        const bool rowOver = state.tick == 0 && state.tickFramesLeft <= 0;
        if (clock.songEnds > 0 && rowOver) break;
        if (state.tickFramesLeft <= 0) StartTick(state, false, clock);
        frames += static_cast<std::uint64_t>(state.tickFramesLeft);
        state.tickFramesLeft = 0;
    }
    return frames < frameLimit ? frames : frameLimit;
}

}  // namespace zumbrik
