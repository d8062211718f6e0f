#include "game/game_loop.h"

#include "console/panel_text.h"
#include "console/piece_drawing.h"
#include "console/screen_layout.h"
#include "game/game_scores.h"
#include "player/background/module_player.h"

namespace zumbrik {

namespace {
constexpr std::uint32_t kModuleResourceId = 1;
}  // namespace

void StartGame(GameIo& io, GameState& state) {
    io.surface.SetConsoleTitleW(kWindowTitle);
    FillLevelThresholds(state.thresholds);
    BuildShapeCatalogue(state.catalogue);
    state.buffers = SetUpConsole(io.surface);
    const ConsoleBuffer game = state.GameBuffer(io.surface);
    state.well.Clear();
    DrawStaticLayout(game);
    PlaceAtPreview(state.catalogue);
    ShowScore(game, 0);
    state.progress = ScoreState{};
    state.fallInterval = kStartBaseSpeed;
    state.passCounter = 0;
    ShowLevel(game, 0, state.thresholds[0]);
    state.gameOver = false;
    state.phase = LoopPhase::Pass;
    state.pieceActive = false;
    state.needsErase = false;
    state.musicOn = true;
    // Every run starts in the plain drawing style, as a fresh program would.
    state.dotStyle = false;
    state.random = GameRandom(SeedFromTimeOfDay(io.clock.GetSystemTime()));
    state.nextShape = state.random.Next() % kBasicShapeCount;
    ShowWellDigits(game, state.well);
    ShowTableAtStart(io, state);
    // A failure here only means silence: the game runs on without music.
    PlayModule(kModuleResourceId, 0, 0);
}

void QuitGame(GameIo& io, GameState& state) { RestoreConsole(io.surface, state.buffers); }

void LeaveGame(GameIo& io, GameState& state) {
    RecordGameLeft(io, state);
    QuitGame(io, state);
}

}  // namespace zumbrik
