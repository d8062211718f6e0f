#pragma once

#include "console/console_buffer.h"
#include "model/piece_shape.h"
#include "model/well.h"

namespace zumbrik {

inline constexpr ColourAttribute kGuideAttribute = 0x0E;

// How a piece's filled cells are drawn: black blanks where they are, or its
// colour with a blank or (the dotted style F switches to) a dot in each cell.
enum class PieceLook { Erased, Plain, Dotted };

// The piece's filled cells in the given look; empty cells of the box are left alone.
void DrawPiece(ConsoleBuffer buffer, const PieceShape& piece, PieceLook look);
// The row the landing guide marks for this piece: just above the highest
// settled cell below the piece's top row in any column of its box, else 28.
int LandingGuideRow(const Well& well, const PieceShape& piece);
// "+" marks across the piece's box width in the guide row, or black blanks there.
void DrawLandingGuide(ConsoleBuffer buffer, const Well& well, const PieceShape& piece, bool erase);

}  // namespace zumbrik
