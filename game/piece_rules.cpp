#include "game/piece_rules.h"

namespace zumbrik {

namespace {

// Calls visit(i, j) for every filled cell of the piece's box.
template <typename Visit>
void ForEachFilled(const PieceShape& piece, Visit visit) {
    for (int i = 0; i < piece.width; ++i)
        for (int j = 0; j < piece.height; ++j)
            if (piece.Filled(i, j)) visit(i, j);
}

template <typename Test>
bool AnyFilled(const PieceShape& piece, Test test) {
    bool found = false;
    ForEachFilled(piece, [&](int i, int j) { found = found || test(i, j); });
    return found;
}

bool BottomRowFilled(const PieceShape& piece) {
    for (int i = 0; i < piece.width; ++i)
        if (piece.Filled(i, piece.height - 1)) return true;
    return false;
}

}  // namespace

void RotateClockwise(PieceShape& piece) {
    const int oldWidth = piece.width;
    const int oldHeight = piece.height;
    std::array<std::uint8_t, 16> turned{};
    for (int a = 0; a < oldHeight; ++a)
        for (int b = 0; b < oldWidth; ++b)
            turned[static_cast<std::size_t>(4 * a + b)] = piece.cells[static_cast<std::size_t>(4 * b + oldHeight - 1 - a)];
    piece.cells = turned;
    piece.width = static_cast<std::uint8_t>(oldHeight);
    piece.height = static_cast<std::uint8_t>(oldWidth);
}

bool HasLanded(const PieceShape& piece, const Well& well) {
    const int x = piece.column;
    const int y = piece.row;
    if (AnyFilled(piece, [&](int i, int j) { return well.At(x + i, y + j + 1) == 1; })) return true;
    return y + piece.height > kWellFloorRow && BottomRowFilled(piece);
}

bool CanMoveLeft(const PieceShape& piece, const Well& well) {
    return !AnyFilled(piece, [&](int i, int j) { return well.At(piece.column + i - 1, piece.row + j) == 1; });
}

bool CanMoveRight(const PieceShape& piece, const Well& well) {
    return !AnyFilled(piece, [&](int i, int j) { return well.At(piece.column + i + 1, piece.row + j) == 1; });
}

bool RotationHitsFloor(const PieceShape& piece) {
    PieceShape turned = piece;
    RotateClockwise(turned);
    return turned.row + turned.height > kWellFloorRow + 1 && BottomRowFilled(turned);
}

int RotationKick(const PieceShape& piece, const Well& well) {
    // Cells of the turned copy right of the wall read as free (Well::At), so a
    // piece that gets wider at the wall is pulled inside by TryRotate, not refused.
    PieceShape turned = piece;
    RotateClockwise(turned);
    int kick = 0;
    ForEachFilled(turned, [&](int i, int j) {
        if (well.At(turned.column + i, turned.row + j) == 1 && turned.width - i > kick) kick = turned.width - i;
    });
    return kick;
}

bool TryRotate(PieceShape& piece, const Well& well) {
    const std::int16_t originalColumn = piece.column;
    auto refuse = [&] {
        piece.column = originalColumn;
        return false;
    };
    if (RotationHitsFloor(piece)) return refuse();
    const int kick = RotationKick(piece, well);
    if (originalColumn - kick < kWellLeftColumn) return refuse();
    piece.column = static_cast<std::int16_t>(originalColumn - kick);
    if (RotationKick(piece, well) != 0) return refuse();
    // Only a piece that gets wider can reach past the right wall by turning.
    const int turnedWidth = piece.height;
    if (turnedWidth > piece.width && piece.column + turnedWidth - 1 > kWellRightColumn)
        piece.column = static_cast<std::int16_t>(kWellRightColumn + 1 - turnedWidth);
    if (RotationKick(piece, well) != 0) return refuse();
    RotateClockwise(piece);
    return true;
}

bool MergeIntoWell(const PieceShape& piece, Well& well) {
    ForEachFilled(piece, [&](int i, int j) { well.Set(piece.column + i, piece.row + j, 1); });
    return piece.row != kWellTopRow;
}

}  // namespace zumbrik
