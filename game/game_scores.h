#pragma once

#include "game/game_state.h"

namespace zumbrik {

// Reads the table at start-up and shows its best score, if it has one.
void ShowTableAtStart(GameIo& io, GameState& state);
// Adds the game that just ended to the table when it scored anything: at game
// over, with the place it took on screen, or when it is left (Escape, or a
// signal that ends the program). Never stops the game.
void RecordGameOver(GameIo& io, GameState& state);
void RecordGameLeft(GameIo& io, GameState& state);
// At restart: the place line of the last game goes.
void WipeTablePlaceIfShown(GameIo& io, GameState& state);

}  // namespace zumbrik
