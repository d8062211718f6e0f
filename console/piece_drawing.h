#pragma once

#include "console/console_buffer.h"
#include "game/piece_shape.h"
#include "game/well.h"

namespace zumbrik {

// The one program-wide game flag, toggled by F: pieces are drawn with a dot in
// each cell instead of a blank. Read at every draw; nothing is redrawn when it changes.
extern bool DotStyle;

inline constexpr ColourAttribute kGuideAttribute = 0x0E;

// The piece's filled cells in its colour, or black blanks where they are.
// Empty cells of the box are left alone.
void DrawPiece(ConsoleBuffer buffer, const PieceShape& piece, bool erase);
// The row the landing guide marks for this piece: just above the highest
// settled cell below the piece's top row in any column of its box, else 28.
int LandingGuideRow(const Well& well, const PieceShape& piece);
// "+" marks across the piece's box width in the guide row, or black blanks there.
void DrawLandingGuide(ConsoleBuffer buffer, const Well& well, const PieceShape& piece, bool erase);

}  // namespace zumbrik
