#pragma once
#include <cstdint>

#include "console/console_buffer.h"
#include "console/console_setup.h"
#include "console/pause_screen.h"
#include "game/game_random.h"
#include "model/piece_shape.h"
#include "game/scoring.h"
#include "model/shape_catalogue.h"
#include "model/well.h"
#include "platform/clock.h"
#include "platform/console_input.h"

namespace zumbrik {

struct ScoreBook;

// What the game talks to.
struct GameIo {
    ConsoleSurface& surface;
    ConsoleInput& input;
    Clock& clock;
    // Where finished games are recorded; none in runs that keep no scores.
    ScoreBook* scores = nullptr;
};

// Where the loop stands between two steps: at the start of a pass, waiting
// out a cleared row's flash in the middle of one, or on the pause screen.
enum class LoopPhase { Pass, RowFlash, Paused };

// The whole state of a run. It lives in RunGame's frame and is handed to the
// rules and the drawing by reference.
struct GameState {
    ShapeCatalogue catalogue{};
    LevelThresholds thresholds{};
    Well well{};
    // Both pieces are held by value: a spawn copies into them, nothing can fail.
    PieceShape fallingPiece{};
    // The piece as it was last drawn; its image is what gets erased.
    PieceShape previousPiece{};
    std::uint32_t nextShape = 0;
    ScoreState progress{};
    std::uint32_t fallInterval = kStartBaseSpeed;
    std::uint32_t passCounter = 0;
    std::uint32_t passKey = 0;
    LoopPhase phase = LoopPhase::Pass;
    // The cascade in hand: the row flashing now and how many rows the piece has cleared with it.
    int flashRow = 0;
    std::uint32_t cascadeRows = 0;
    bool pieceActive = false;
    bool needsErase = false;
    bool gameOver = false;
    bool musicOn = true;
    // F switches pieces between a blank and a dot in each cell.
    bool dotStyle = false;
    // The game-over place line is on screen until the restart.
    bool tablePlaceShown = false;
    GameRandom random{};
    ConsoleBuffers buffers{};
    PauseScreen pause{};

    ConsoleBuffer GameBuffer(ConsoleSurface& surface) const { return ConsoleBuffer{surface, buffers.gameBuffer}; }
};

}  // namespace zumbrik
