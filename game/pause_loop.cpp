#include "game/game_loop.h"

#include "console/pause_screen.h"
#include "game/key_input.h"
#include "player/background/module_player.h"

namespace zumbrik {

namespace {

constexpr std::uint32_t kBlinkMs = 50;

NextStep LeavePause(GameIo& io, GameState& state) {
    io.surface.SetConsoleActiveScreenBuffer(state.buffers.gameBuffer);
    if (state.musicOn) ResumeModule();
    state.phase = LoopPhase::Pass;
    // The pass that showed the pause screen ends with its own wait.
    return PassWait(state);
}

}  // namespace

NextStep EnterPause(GameIo& io, GameState& state) {
    if (state.musicOn) PauseModule();
    DrawPauseScreen(io.surface, state.buffers, state.pause);
    state.phase = LoopPhase::Paused;
    return PauseStep(io, state);
}

NextStep PauseStep(GameIo& io, GameState& state) {
    InputRecord record{};
    if (io.input.PeekConsoleInputW(&record)) {
        if (IsKeyDown(record, kVkP)) {
            io.input.FlushConsoleInputBuffer();
            return LeavePause(io, state);
        }
        // Escape stays queued so the next playing pass reads it and quits.
        if (IsKeyDown(record, kVkEscape)) return LeavePause(io, state);
        io.input.FlushConsoleInputBuffer();
    }
    BlinkStep(ConsoleBuffer{io.surface, state.buffers.pauseBuffer}, state.pause);
    return NextStep::After(kBlinkMs);
}

}  // namespace zumbrik
