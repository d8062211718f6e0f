#include "game/line_clearing.h"

#include "console/panel_text.h"
#include "console/well_effects.h"

namespace zumbrik {

namespace {

bool RowFull(const Well& well, int y) {
    for (int x = kWellLeftColumn; x <= kWellRightColumn; ++x)
        if (well.At(x, y) != 1) return false;
    return true;
}

}  // namespace

int LightTopFullRow(ConsoleBuffer gameBuffer, Well& well) {
    for (int y = kWellTopRow; y <= kWellFloorRow; ++y) {
        if (!RowFull(well, y)) continue;
        for (int x = kWellLeftColumn; x <= kWellRightColumn; ++x) well.Set(x, y, 0);
        LightFlashRow(gameBuffer, static_cast<std::int16_t>(y));
        return y;
    }
    return 0;
}

void EndRowFlash(ConsoleBuffer gameBuffer, Well& well, int row) {
    DarkenFlashRow(gameBuffer, static_cast<std::int16_t>(row));
    ShiftRowsDown(row, gameBuffer, well);
}

void ShiftRowsDown(int y, ConsoleBuffer gameBuffer, Well& well) {
    for (int r = y; r >= kWellTopRow; --r)
        for (int i = 0; i < kWellColumns; ++i) {
            const int x = kWellLeftColumn + i;
            well.Set(x, r, well.At(x, r - 1));
            if (r > kWellTopRow) CopyCellFromRowAbove(gameBuffer, i, static_cast<std::int16_t>(r));
        }
}

void AwardRow(ConsoleBuffer gameBuffer, ScoreState& progress, const LevelThresholds& thresholds, std::uint32_t m) {
    progress.score += RowAward(progress.baseSpeed, m);
    ++progress.lines;
    ShowScore(gameBuffer, progress.score);
    while (progress.levelIndex < kTopLevelIndex && progress.score >= thresholds[progress.levelIndex]) {
        --progress.baseSpeed;
        ++progress.levelIndex;
        ShowLevel(gameBuffer, progress.levelIndex, thresholds[progress.levelIndex]);
    }
}

}  // namespace zumbrik
