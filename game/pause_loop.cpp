#include "game/game_loop.h"

#include "console/pause_screen.h"
#include "game/key_input.h"
#include "player/background/module_player.h"

namespace zumbrik {

namespace {
constexpr std::uint32_t kBlinkMs = 50;
}  // namespace

void RunPause(GameIo& io, GameState& state) {
    if (state.musicOn) PauseModule();
    DrawPauseScreen(io.surface, state.buffers, state.pause);
    const ConsoleBuffer pauseBuffer{io.surface, state.buffers.pauseBuffer};
    for (;;) {
        InputRecord record{};
        if (io.input.PeekConsoleInputW(&record)) {
            if (IsKeyDown(record, kVkP)) {
                io.input.FlushConsoleInputBuffer();
                break;
            }
            // Escape stays queued so the next playing pass reads it and quits.
            if (IsKeyDown(record, kVkEscape)) break;
            io.input.FlushConsoleInputBuffer();
        }
        BlinkStep(pauseBuffer, state.pause);
        io.clock.Sleep(kBlinkMs);
    }
    io.surface.SetConsoleActiveScreenBuffer(state.buffers.gameBuffer);
    if (state.musicOn) ResumeModule();
}

}  // namespace zumbrik
