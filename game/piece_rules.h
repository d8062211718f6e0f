#pragma once

#include "model/piece_shape.h"
#include "model/well.h"

namespace zumbrik {

// A quarter turn clockwise about the box's top-left corner; position and colour stay.
void RotateClockwise(PieceShape& piece);
// The piece rests on a settled cell or on the floor row.
bool HasLanded(const PieceShape& piece, const Well& well);
// The callers test the walls first; these only look at settled cells.
bool CanMoveLeft(const PieceShape& piece, const Well& well);
bool CanMoveRight(const PieceShape& piece, const Well& well);
// The turned piece would reach below the floor row.
bool RotationHitsFloor(const PieceShape& piece);
// How many columns (0..4) the turned piece must move left to clear the settled
// cells it would overlap where it stands.
int RotationKick(const PieceShape& piece, const Well& well);
// The Up key: turns the piece in place, kicked left if need be; false (and the
// piece unchanged) when the turn is refused.
bool TryRotate(PieceShape& piece, const Well& well);
// Writes the piece into the well; false when it locked in the top row, which ends the game.
bool MergeIntoWell(const PieceShape& piece, Well& well);

}  // namespace zumbrik
