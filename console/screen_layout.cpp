#include "console/screen_layout.h"

#include "console/console_text.h"

namespace zumbrik {

namespace {

void FillBlanks(ConsoleBuffer buffer, Coord start, std::uint32_t length, ColourAttribute attribute) {
    buffer.surface.FillConsoleOutputCharacterW(buffer.handle, u' ', length, start);
    buffer.surface.FillConsoleOutputAttribute(buffer.handle, attribute, length, start);
}

}  // namespace

void PaintBorderColumn(ConsoleBuffer buffer, std::int16_t column) {
    for (std::int16_t row = 1; row <= 29; ++row) {
        const Coord at{column, row};
        buffer.surface.WriteConsoleOutputCharacterA(buffer.handle, " ", 1, at);
        buffer.surface.WriteConsoleOutputAttribute(buffer.handle, &kFrameAttribute, 1, at);
    }
}

void DrawStaticLayout(ConsoleBuffer buffer) {
    FillBlanks(buffer, Coord{0, 0}, 80, kFrameAttribute);
    PaintBorderColumn(buffer, 0);
    FillBlanks(buffer, Coord{0, 29}, 80, kFrameAttribute);
    PaintBorderColumn(buffer, 79);
    PaintBorderColumn(buffer, 50);
    PaintBorderColumn(buffer, 25);
    // The panel divider stops at column 78: column 79 is the right border.
    FillBlanks(buffer, Coord{50, 4}, 29, kFrameAttribute);

    WriteText(buffer, kHeaderAt, kHeaderText, kLabelAttribute);
    WriteText(buffer, kPreviewLabelAt, kPreviewLabel, kLabelAttribute);
    WriteText(buffer, kHelpDotStyleAt, kHelpDotStyle, kLabelAttribute);
    WriteText(buffer, kHelpPauseAt, kHelpPause, kLabelAttribute);
    WriteText(buffer, kHelpMusicAt, kHelpMusic, kLabelAttribute);
    WriteText(buffer, kHelpQuitAt, kHelpQuit, kLabelAttribute);
}

}  // namespace zumbrik
