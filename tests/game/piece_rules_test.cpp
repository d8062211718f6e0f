#include <gtest/gtest.h>

#include <string>

#include "game/piece_rules.h"
#include "game/shape_catalogue.h"

namespace zumbrik {
namespace {

// The box as rows of '#' and '.', top row first, separated by '/'.
std::string Grid(const PieceShape& piece) {
    std::string grid;
    for (int j = 0; j < piece.height; ++j) {
        if (j > 0) grid += '/';
        for (int i = 0; i < piece.width; ++i) grid += piece.Filled(i, j) ? '#' : '.';
    }
    return grid;
}

class PieceRulesTest : public ::testing::Test {
protected:
    PieceRulesTest() { BuildShapeCatalogue(catalogue); }
    PieceShape Piece(int shape, int column, int row, int turns = 0) {
        PieceShape piece = catalogue[static_cast<std::size_t>(shape)];
        piece.column = static_cast<std::int16_t>(column);
        piece.row = static_cast<std::int16_t>(row);
        for (int k = 0; k < turns; ++k) RotateClockwise(piece);
        return piece;
    }
    ShapeCatalogue catalogue{};
    Well well{};
};

TEST_F(PieceRulesTest, RotateClockwiseTurnsAboutTheTopLeftCorner) {
    PieceShape l = Piece(2, 30, 5);
    RotateClockwise(l);
    EXPECT_EQ(Grid(l), "###/#..");
    EXPECT_EQ(l.column, 30);
    EXPECT_EQ(l.row, 5);
    EXPECT_EQ(l.attribute, 0xE0);
    RotateClockwise(l);
    EXPECT_EQ(Grid(l), "##/.#/.#");
    // Cells outside the turned box are cleared, not left over from the old box.
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (i >= l.width || j >= l.height) {
                EXPECT_FALSE(l.Filled(i, j)) << i << "," << j;
            }

    PieceShape bar = Piece(1, 30, 5);
    const PieceShape original = bar;
    RotateClockwise(bar);
    EXPECT_EQ(Grid(bar), "####");
    for (int k = 0; k < 3; ++k) RotateClockwise(bar);
    EXPECT_EQ(bar.cells, original.cells);
    EXPECT_EQ(bar.width, original.width);

    for (int shape : {0, 8, 11}) {
        PieceShape same = Piece(shape, 30, 5);
        RotateClockwise(same);
        EXPECT_EQ(Grid(same), Grid(Piece(shape, 30, 5))) << shape;
    }
    PieceShape s = Piece(5, 30, 5, 1);
    EXPECT_EQ(Grid(s), "#./##/.#");
}

TEST_F(PieceRulesTest, LandingOnTheFloorAndOnSettledCells) {
    EXPECT_FALSE(HasLanded(Piece(1, 30, 24), well));
    EXPECT_TRUE(HasLanded(Piece(1, 30, 25), well));  // bottom at row 28
    EXPECT_TRUE(HasLanded(Piece(6, 40, 27), well));
    well.Set(38, 12, 1);
    // The T (.#. over ###) rests on a cell under any of its bottom cells...
    EXPECT_TRUE(HasLanded(Piece(6, 36, 10), well));
    // ...and the Z's overhanging cell rests on a cell under it too.
    EXPECT_TRUE(HasLanded(Piece(4, 37, 10), well));
    EXPECT_FALSE(HasLanded(Piece(6, 39, 10), well));
}

TEST_F(PieceRulesTest, SideMovesAreBlockedOnlyBySettledCellsBesideFilledCells) {
    const PieceShape z = Piece(4, 30, 10);  // ##. over .##
    EXPECT_TRUE(CanMoveLeft(z, well));
    well.Set(29, 11, 1);  // beside the empty corner of the box
    EXPECT_TRUE(CanMoveLeft(z, well));
    well.Set(29, 10, 1);
    EXPECT_FALSE(CanMoveLeft(z, well));
    well.Set(33, 10, 1);
    EXPECT_TRUE(CanMoveRight(z, well));
    well.Set(33, 11, 1);
    EXPECT_FALSE(CanMoveRight(z, well));
}

TEST_F(PieceRulesTest, TurningIsRefusedBelowTheFloor) {
    const PieceShape flat = Piece(1, 30, 25, 1);
    EXPECT_FALSE(RotationHitsFloor(flat));  // turns into rows 25..28
    EXPECT_TRUE(RotationHitsFloor(Piece(1, 30, 26, 1)));
    PieceShape low = Piece(1, 30, 26, 1);
    EXPECT_FALSE(TryRotate(low, well));
    EXPECT_EQ(Grid(low), "####");
    EXPECT_EQ(low.column, 30);
}

TEST_F(PieceRulesTest, TurningKicksLeftAndPullsInFromTheRightWall) {
    PieceShape atWall = Piece(1, 49, 10);
    ASSERT_TRUE(TryRotate(atWall, well));
    EXPECT_EQ(atWall.column, 46);
    EXPECT_EQ(atWall.width, 4);
    EXPECT_EQ(atWall.row, 10);

    well.Set(42, 10, 1);
    EXPECT_EQ(RotationKick(Piece(1, 40, 10), well), 2);
    PieceShape kicked = Piece(1, 40, 10);
    ASSERT_TRUE(TryRotate(kicked, well));
    EXPECT_EQ(kicked.column, 38);
    EXPECT_EQ(Grid(kicked), "####");
    EXPECT_EQ(kicked.row, 10);

    // The kicked place is blocked too: no turn, piece as it was.
    well.Set(39, 10, 1);
    PieceShape blocked = Piece(1, 40, 10);
    EXPECT_FALSE(TryRotate(blocked, well));
    EXPECT_EQ(blocked.column, 40);
    EXPECT_EQ(Grid(blocked), "#/#/#/#");

    // A kick that would start left of the well is refused.
    Well nearLeft{};
    nearLeft.Set(28, 5, 1);
    PieceShape left = Piece(1, 27, 5);
    EXPECT_EQ(RotationKick(left, nearLeft), 3);
    EXPECT_FALSE(TryRotate(left, nearLeft));
    EXPECT_EQ(left.column, 27);
    EXPECT_EQ(left.width, 1);
}

TEST_F(PieceRulesTest, TurningNearTheRightWallIgnoresWhatLiesBeyondIt) {
    // An L on its side next to the wall gets wider: the cells it would put
    // past column 49 count as free, and step 4 pulls it inside.
    PieceShape l = Piece(2, 48, 10);  // #. / #. / ## at columns 48..49
    ASSERT_TRUE(TryRotate(l, well));
    EXPECT_EQ(l.column, 47);
    EXPECT_EQ(Grid(l), "###/#..");
}

TEST_F(PieceRulesTest, MergeWritesTheCellsAndReportsALockInTheTopRow) {
    const PieceShape top = Piece(6, 37, 1);
    EXPECT_FALSE(MergeIntoWell(top, well));
    EXPECT_EQ(well.At(38, 1), 1);
    EXPECT_EQ(well.At(37, 2), 1);
    EXPECT_EQ(well.At(37, 1), 0);
    Well other{};
    EXPECT_TRUE(MergeIntoWell(Piece(6, 37, 2), other));
    EXPECT_EQ(other.At(39, 3), 1);
    int filled = 0;
    for (std::uint8_t cell : other.cells) filled += cell;
    EXPECT_EQ(filled, 4);
}

TEST(WellTest, CellsOutsideTheStoredGridReadAsEmptyAndIgnoreWrites) {
    Well well{};
    well.Set(50, 5, 1);
    well.Set(25, 5, 1);
    well.Set(30, 30, 1);
    well.Set(30, -1, 1);
    int filled = 0;
    for (std::uint8_t cell : well.cells) filled += cell;
    EXPECT_EQ(filled, 0);
    well.Set(49, 29, 1);
    EXPECT_EQ(well.At(49, 29), 1);
    EXPECT_EQ(well.cells[23 * 30 + 29], 1);
    EXPECT_EQ(well.At(50, 29), 0);
}

}  // namespace
}  // namespace zumbrik
