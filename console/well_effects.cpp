#include "console/well_effects.h"

#include "model/well.h"

namespace zumbrik {

namespace {

void FillWellRow(ConsoleBuffer buffer, std::int16_t row, ColourAttribute attribute) {
    const Coord start{kWellLeftColumn, row};
    buffer.surface.FillConsoleOutputCharacterW(buffer.handle, u' ', kWellColumns, start);
    buffer.surface.FillConsoleOutputAttribute(buffer.handle, attribute, kWellColumns, start);
}

}  // namespace

void ClearWellArea(ConsoleBuffer buffer) {
    for (std::int16_t row = kWellTopRow; row <= kWellFloorRow; ++row) {
        const Coord start{kWellLeftColumn, row};
        buffer.surface.FillConsoleOutputAttribute(buffer.handle, 0x00, kWellColumns, start);
        buffer.surface.FillConsoleOutputCharacterW(buffer.handle, u' ', kWellColumns, start);
    }
}

void LightFlashRow(ConsoleBuffer buffer, std::int16_t row) { FillWellRow(buffer, row, kFlashAttribute); }

void DarkenFlashRow(ConsoleBuffer buffer, std::int16_t row) { FillWellRow(buffer, row, 0x00); }

void CopyCellFromRowAbove(ConsoleBuffer buffer, int wellColumn, std::int16_t row) {
    const Coord from{static_cast<std::int16_t>(kWellLeftColumn + wellColumn), static_cast<std::int16_t>(row - 1)};
    const Coord to{from.X, row};
    char16_t character = u' ';
    ColourAttribute attribute = 0;
    buffer.surface.ReadConsoleOutputCharacterW(buffer.handle, &character, 1, from);
    buffer.surface.ReadConsoleOutputAttribute(buffer.handle, &attribute, 1, from);
    buffer.surface.WriteConsoleOutputCharacterW(buffer.handle, &character, 1, to);
    buffer.surface.WriteConsoleOutputAttribute(buffer.handle, &attribute, 1, to);
}

}  // namespace zumbrik
