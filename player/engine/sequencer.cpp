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
bool StartRow(PlayerState& state, bool playOnce, SongClock& clock) {
    if (state.pendingOrder >= 0) {
        state.orderIndex = state.pendingOrder;
    }
    if (state.pendingRow >= 0) {
        state.row = state.pendingRow;
    }
    state.pendingOrder = -1;
    state.pendingRow = -1;
    ProcessRow(state);
    if (state.pendingRow != -1) {
        return true;
    }
    if (state.row + 1 < CurrentPatternRows(state)) {
        state.pendingRow = state.row + 1;
        return true;
    }
    const std::int32_t next = state.orderIndex + 1;
    if (next < state.songLength) {
        state.pendingOrder = next;
        state.pendingRow = 0;
        return true;
    }
    clock.songEnds += 1;
    if (playOnce) {
        return false;
    }
    state.pendingOrder = state.restartPosition < state.songLength ? state.restartPosition : 0;
    state.pendingRow = 0;
    return true;
}

}  // namespace

bool StartTick(PlayerState& state, bool playOnce, SongClock& clock) {
    if (state.tick == 0) {
        if (!StartRow(state, playOnce, clock)) {
            return false;
        }
    } else {
        ProcessTick(state);
    }
    state.tick += 1;
    if (state.tick >= state.speed + state.patternDelayTicks) {
        state.tick = 0;
        state.patternDelayTicks = 0;
    }
    // Read after the processing so a tempo change applies to this tick;
    // never 0, or rendering would start ticks without end.
    state.tickFramesLeft = std::max(state.samplesPerTick, 1);
    return true;
}

bool RenderFrames(PlayerState& state, std::int32_t* accumulators, std::uint32_t frames, bool playOnce,
                  SongClock& clock) {
    std::uint32_t framesLeft = frames;
    std::int32_t* destination = accumulators;
    while (framesLeft > 0) {
        if (state.tickFramesLeft <= 0 && !StartTick(state, playOnce, clock)) {
            return false;
        }
        const std::uint32_t n = std::min(static_cast<std::uint32_t>(state.tickFramesLeft), framesLeft);
        Mix(state, destination, n);
        clock.elapsedMs += n * 20 / 960;
        state.tickFramesLeft -= static_cast<std::int32_t>(n);
        framesLeft -= n;
        destination += 2 * static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace zumbrik
