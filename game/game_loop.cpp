#include "game/game_loop.h"

#include "console/panel_text.h"
#include "console/piece_drawing.h"
#include "game/game_scores.h"
#include "game/line_clearing.h"
#include "game/key_input.h"
#include "game/piece_rules.h"
#include "player/background/module_player.h"

namespace zumbrik {

namespace {

// Read at every draw: a switch of style shows as pieces are next drawn.
PieceLook LookOf(const GameState& state) { return state.dotStyle ? PieceLook::Dotted : PieceLook::Plain; }

// Applies the pass's key to the falling piece; true when the piece changed.
bool ApplyKey(GameState& state) {
    PieceShape& piece = state.fallingPiece;
    switch (state.passKey) {
        case kVkLeft:
            if (piece.column > kWellLeftColumn && CanMoveLeft(piece, state.well)) {
                --piece.column;
                return true;
            }
            return false;
        case kVkRight:
            if (piece.column + piece.width <= kWellRightColumn && CanMoveRight(piece, state.well)) {
                ++piece.column;
                return true;
            }
            return false;
        case kVkUp:
            return TryRotate(piece, state.well);
        case kVkDown:
            state.fallInterval = 1;
            state.passCounter = 0;
            return true;
        case kVkF:
            state.dotStyle = !state.dotStyle;
            return false;
        case kVkM:
            SwitchMusic(state);
            return false;
        default:
            return false;
    }
}

// The end of every pass: the pause screen when P was the pass's key.
NextStep EndPass(GameIo& io, GameState& state) {
    return state.passKey == kVkP ? EnterPause(io, state) : PassWait(state);
}

// Lights the cascade's next full row, or ends the cascade with the digits view.
bool LightNextRow(GameIo& io, GameState& state) {
    const ConsoleBuffer game = state.GameBuffer(io.surface);
    state.flashRow = LightTopFullRow(game, state.well);
    if (state.flashRow != 0) {
        state.phase = LoopPhase::RowFlash;
        return true;
    }
    state.phase = LoopPhase::Pass;
    ShowWellDigits(game, state.well);
    return false;
}

}  // namespace

NextStep GameStep(GameIo& io, GameState& state) {
    switch (state.phase) {
        case LoopPhase::RowFlash:
            return RowFlashStep(io, state);
        case LoopPhase::Paused:
            return PauseStep(io, state);
        case LoopPhase::Pass:
            break;
    }
    return state.gameOver ? GameOverStep(io, state) : PlayingPass(io, state);
}

NextStep PlayingPass(GameIo& io, GameState& state) {
    const ConsoleBuffer game = state.GameBuffer(io.surface);
    if (!state.pieceActive) SpawnPiece(io, state);

    state.passKey = 0;
    InputRecord record{};
    if (io.input.PeekConsoleInputW(&record)) {
        if (IsKeyDown(record, kVkEscape)) return NextStep::Quit();
        if (IsKeyDown(record)) state.passKey = record.Event.KeyEvent.wVirtualKeyCode;
        // At most one key acts per pass; releases, repeats and other keys go.
        io.input.FlushConsoleInputBuffer();
    }

    const bool moved = ApplyKey(state);
    if (moved || state.needsErase) {
        DrawPiece(game, state.previousPiece, PieceLook::Erased);
        DrawLandingGuide(game, state.well, state.previousPiece, true);
    }
    state.previousPiece = state.fallingPiece;
    state.needsErase = false;

    if (HasLanded(state.fallingPiece, state.well)) {
        DrawPiece(game, state.fallingPiece, LookOf(state));
        if (state.passCounter >= state.fallInterval) {
            LockPiece(io, state);
            if (state.phase == LoopPhase::RowFlash) return NextStep::After(kFlashMs);
        }
    } else {
        DrawLandingGuide(game, state.well, state.fallingPiece, false);
        DrawPiece(game, state.fallingPiece, LookOf(state));
        // The counter never passes the interval while the piece is free, so
        // ">=" falls exactly when it reaches it; it also cannot strand a piece.
        if (state.passCounter >= state.fallInterval) {
            ++state.fallingPiece.row;
            state.needsErase = true;
            state.passCounter = 0;
        }
    }
    return EndPass(io, state);
}

NextStep RowFlashStep(GameIo& io, GameState& state) {
    const ConsoleBuffer game = state.GameBuffer(io.surface);
    EndRowFlash(game, state.well, state.flashRow);
    AwardRow(game, state.progress, state.thresholds, ++state.cascadeRows);
    if (LightNextRow(io, state)) return NextStep::After(kFlashMs);
    return EndPass(io, state);
}

void SpawnPiece(GameIo& io, GameState& state) {
    const ConsoleBuffer game = state.GameBuffer(io.surface);
    state.fallingPiece = state.catalogue[state.nextShape];
    DrawPiece(game, state.catalogue[state.nextShape], PieceLook::Erased);
    const std::uint32_t choices = state.progress.levelIndex >= 8 ? kShapeCount : kBasicShapeCount;
    state.nextShape = state.random.Next() % choices;
    DrawPiece(game, state.catalogue[state.nextShape], LookOf(state));
    state.fallingPiece.column = kSpawnColumn;
    state.fallingPiece.row = kSpawnRow;
    const std::uint32_t turns = state.random.Next() % 4;
    for (std::uint32_t n = 0; n < turns; ++n) RotateClockwise(state.fallingPiece);
    state.previousPiece = state.fallingPiece;
    state.pieceActive = true;
    state.needsErase = true;
}

void LockPiece(GameIo& io, GameState& state) {
    const ConsoleBuffer game = state.GameBuffer(io.surface);
    state.pieceActive = false;
    if (!MergeIntoWell(state.fallingPiece, state.well)) {
        // The score and level texts keep the old game's values until the restart.
        state.gameOver = true;
        ShowGameOver(game);
        RecordGameOver(io, state);
        state.progress = ScoreState{};
    }
    state.fallInterval = state.progress.baseSpeed;
    state.passCounter = 0;
    state.cascadeRows = 0;
    if (state.gameOver)
        ShowWellDigits(game, state.well);
    else
        LightNextRow(io, state);
}

NextStep PassWait(GameState& state) {
    ++state.passCounter;
    return NextStep::After(kPassMs);
}

void SwitchMusic(GameState& state) {
    if (state.musicOn)
        PauseModule();
    else
        ResumeModule();
    state.musicOn = !state.musicOn;
}

}  // namespace zumbrik
