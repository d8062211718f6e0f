#pragma once
#include <cstdint>

#include "game/game_state.h"

namespace zumbrik {

// What a step asks of its host before the next step: nothing, a sleep, a wait
// for a key of at most `ms`, or the end of the game.
struct NextStep {
    enum class Kind { Now, Sleep, KeyOrTimeout, Quit };
    Kind kind = Kind::Now;
    std::uint32_t ms = 0;

    static NextStep Now() { return {Kind::Now, 0}; }
    static NextStep After(std::uint32_t ms) { return {Kind::Sleep, ms}; }
    static NextStep KeyOrAfter(std::uint32_t ms) { return {Kind::KeyOrTimeout, ms}; }
    static NextStep Quit() { return {Kind::Quit, 0}; }
    bool operator==(const NextStep&) const = default;
};

// Every playing pass ends with this wait.
inline constexpr std::uint32_t kPassMs = 20;

// Start-up in its fixed order, up to and including starting the music.
void StartGame(GameIo& io, GameState& state);
// One step of the loop in whichever state the game is: a playing pass up to
// its wait (a row flash cuts it in two), one frame of the pause screen, or one
// look at the keys after game over. The game never waits itself: the terminal
// sleeps as the step asks, the web page comes back from a timer.
NextStep GameStep(GameIo& io, GameState& state);
// The game is left: it is recorded if it scored, and the console put back.
void LeaveGame(GameIo& io, GameState& state);

// The steps GameStep chooses from.
// A playing pass: spawn, key, redraw, fall or lock, pause; then 20 ms.
NextStep PlayingPass(GameIo& io, GameState& state);
// After a cleared row's flash: the rows come down, the points and levels; the
// next full row or the rest of the pass.
NextStep RowFlashStep(GameIo& io, GameState& state);
// One frame of the pause screen; P (or Escape, left queued) goes back.
NextStep PauseStep(GameIo& io, GameState& state);
// One look at the input while the game is over: Enter restarts, Escape quits.
NextStep GameOverStep(GameIo& io, GameState& state);
// Back to the saved output buffer, both game buffers closed.
void QuitGame(GameIo& io, GameState& state);

void SpawnPiece(GameIo& io, GameState& state);
// The piece goes into the well; game over when it locked in the top row, else
// the first full row lights up and the phase is RowFlash.
void LockPiece(GameIo& io, GameState& state);
void RestartGame(GameIo& io, GameState& state);
// P in a pass: the music pauses and the pause screen shows.
NextStep EnterPause(GameIo& io, GameState& state);
// The last of every pass: its 20 ms. The counter counts the pass already, as
// nothing reads it during the wait.
NextStep PassWait(GameState& state);
// The M key: music off when on, on when off.
void SwitchMusic(GameState& state);

}  // namespace zumbrik
