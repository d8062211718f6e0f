#include "console/piece_drawing.h"

#include "console/console_text.h"

namespace zumbrik {

void DrawPiece(ConsoleBuffer buffer, const PieceShape& piece, PieceLook look) {
    const char16_t character = look == PieceLook::Dotted ? u'.' : u' ';
    const ColourAttribute attribute = look == PieceLook::Erased ? ColourAttribute{0} : piece.attribute;
    for (int i = 0; i < piece.width; ++i)
        for (int j = 0; j < piece.height; ++j)
            if (piece.Filled(i, j))
                WriteCell(buffer, Coord{static_cast<std::int16_t>(piece.column + i), static_cast<std::int16_t>(piece.row + j)},
                          character, attribute);
}

int LandingGuideRow(const Well& well, const PieceShape& piece) {
    int guide = kWellFloorRow;
    for (int x = piece.column; x < piece.column + piece.width; ++x) {
        // The scan starts under the top row, not under the bottom, so the guide
        // can fall inside the piece's own box.
        for (int r = piece.row + 1; r < kWellRows; ++r) {
            if (well.At(x, r) == 1) {
                if (r - 1 < guide) guide = r - 1;
                break;
            }
        }
    }
    return guide;
}

void DrawLandingGuide(ConsoleBuffer buffer, const Well& well, const PieceShape& piece, bool erase) {
    const auto row = static_cast<std::int16_t>(LandingGuideRow(well, piece));
    for (int x = piece.column; x < piece.column + piece.width; ++x) {
        const Coord at{static_cast<std::int16_t>(x), row};
        if (erase)
            WriteCell(buffer, at, u' ', 0x00);
        else
            WriteCell(buffer, at, u'+', kGuideAttribute);
    }
}

}  // namespace zumbrik
