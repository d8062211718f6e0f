#pragma once

#include "game/game_state.h"

namespace zumbrik {

enum class LoopStep { Continue, Quit };

// Start-up in its fixed order, up to and including starting the music.
void StartGame(GameIo& io, GameState& state);
// One iteration of the loop in whichever state the game is.
LoopStep LoopIteration(GameIo& io, GameState& state);
// One playing pass: spawn, key, redraw, fall or lock, pause, 20 ms.
LoopStep PlayingPass(GameIo& io, GameState& state);
// One look at the input while the game is over: Enter restarts, Escape quits.
LoopStep GameOverStep(GameIo& io, GameState& state);
// Back to the saved output buffer, both game buffers closed.
void QuitGame(GameIo& io, GameState& state);

void SpawnPiece(GameIo& io, GameState& state);
void LockPiece(GameIo& io, GameState& state);
void RestartGame(GameIo& io, GameState& state);
void RunPause(GameIo& io, GameState& state);
// The M key: music off when on, on when off.
void SwitchMusic(GameState& state);

}  // namespace zumbrik
