#include <gtest/gtest.h>

#include <string>

#include "game/piece_rules.h"
#include "model/shape_catalogue.h"

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
    const PieceShape l = Piece(2, 30, 5, 1);
    EXPECT_EQ(Grid(l), "###/#..");
    EXPECT_EQ(l.column, 30);
    EXPECT_EQ(l.row, 5);
    const PieceShape l2 = Piece(2, 30, 5, 2);
    EXPECT_EQ(Grid(l2), "##/.#/.#");
    // No cell of the old, taller box is left over outside the new one.
    for (int j = l2.height; j < 4; ++j)
        for (int i = 0; i < 4; ++i) EXPECT_FALSE(l2.Filled(i, j)) << i << "," << j;
    EXPECT_EQ(Piece(1, 30, 5, 4).cells, Piece(1, 30, 5).cells);
    for (int shape : {0, 8, 11}) EXPECT_EQ(Grid(Piece(shape, 30, 5, 1)), Grid(Piece(shape, 30, 5))) << shape;
}

TEST_F(PieceRulesTest, LandingMovingAndMerging) {
    EXPECT_FALSE(HasLanded(Piece(1, 30, 24), well));
    EXPECT_TRUE(HasLanded(Piece(1, 30, 25), well));  // bottom on the floor row
    well.Set(38, 12, 1);
    EXPECT_TRUE(HasLanded(Piece(4, 37, 10), well));   // the Z's overhang rests on it
    EXPECT_FALSE(HasLanded(Piece(6, 39, 10), well));

    const PieceShape z = Piece(4, 30, 10);  // ##. over .##
    well.Set(29, 11, 1);                    // beside the box's empty corner
    EXPECT_TRUE(CanMoveLeft(z, well));
    well.Set(29, 10, 1);
    EXPECT_FALSE(CanMoveLeft(z, well));
    well.Set(33, 10, 1);
    EXPECT_TRUE(CanMoveRight(z, well));
    well.Set(33, 11, 1);
    EXPECT_FALSE(CanMoveRight(z, well));

    Well merged{};
    EXPECT_FALSE(MergeIntoWell(Piece(6, 37, 1), merged));  // top row: the game ends
    EXPECT_EQ(merged.At(38, 1), 1);
    EXPECT_EQ(merged.At(37, 1), 0);
    EXPECT_TRUE(MergeIntoWell(Piece(6, 37, 3), merged));
    int filled = 0;
    for (std::uint8_t cell : merged.cells) filled += cell;
    EXPECT_EQ(filled, 8);
}

TEST_F(PieceRulesTest, TurnsAreRefusedBelowTheFloorAndWhenTheKickedPlaceIsBlocked) {
    EXPECT_FALSE(RotationHitsFloor(Piece(1, 30, 25, 1)));  // flat bar turns into rows 25..28
    PieceShape low = Piece(1, 30, 26, 1);
    EXPECT_TRUE(RotationHitsFloor(low));
    EXPECT_FALSE(TryRotate(low, well));
    EXPECT_EQ(Grid(low), "####");

    well.Set(42, 10, 1);
    well.Set(39, 10, 1);
    PieceShape blocked = Piece(1, 40, 10);
    EXPECT_FALSE(TryRotate(blocked, well));
    EXPECT_EQ(blocked.column, 40);
    EXPECT_EQ(Grid(blocked), "#/#/#/#");

    Well nearLeft{};
    nearLeft.Set(28, 5, 1);
    PieceShape left = Piece(1, 27, 5);
    EXPECT_EQ(RotationKick(left, nearLeft), 3);  // would start at column 24
    EXPECT_FALSE(TryRotate(left, nearLeft));
    EXPECT_EQ(left.column, 27);
}

TEST_F(PieceRulesTest, TurnsKickLeftAndPullInFromTheRightWall) {
    PieceShape atWall = Piece(1, 49, 10);
    ASSERT_TRUE(TryRotate(atWall, well));
    EXPECT_EQ(atWall.column, 46);
    EXPECT_EQ(Grid(atWall), "####");

    well.Set(42, 10, 1);
    EXPECT_EQ(RotationKick(Piece(1, 40, 10), well), 2);
    PieceShape kicked = Piece(1, 40, 10);
    ASSERT_TRUE(TryRotate(kicked, well));
    EXPECT_EQ(kicked.column, 38);
    EXPECT_EQ(kicked.row, 10);

    PieceShape l = Piece(2, 48, 10);  // #. / #. / ## against the wall gets wider
    ASSERT_TRUE(TryRotate(l, well));
    EXPECT_EQ(l.column, 47);
    EXPECT_EQ(Grid(l), "###/#..");
}

TEST(WellTest, CellsOutsideTheStoredGridReadAsEmptyAndIgnoreWrites) {
    Well well{};
    for (auto [x, y] : {std::pair{50, 5}, {25, 5}, {30, 30}, {30, -1}}) well.Set(x, y, 1);
    int filled = 0;
    for (std::uint8_t cell : well.cells) filled += cell;
    EXPECT_EQ(filled, 0);
    well.Set(49, 29, 1);
    EXPECT_EQ(well.cells[23 * 30 + 29], 1);
    EXPECT_EQ(well.At(50, 29), 0);
}

}  // namespace
}  // namespace zumbrik
