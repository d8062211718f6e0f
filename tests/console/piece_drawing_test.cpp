#include <gtest/gtest.h>

#include "console/piece_drawing.h"
#include "game/piece_rules.h"
#include "game/shape_catalogue.h"
#include "tests/console/console_fixture.h"

namespace zumbrik::testing {
namespace {

class PieceDrawingTest : public ConsoleFixture {
protected:
    PieceDrawingTest() {
        BuildShapeCatalogue(catalogue);
        DotStyle = false;
    }
    ~PieceDrawingTest() override { DotStyle = false; }
    PieceShape Piece(int shape, int column, int row) {
        PieceShape piece = catalogue[static_cast<std::size_t>(shape)];
        piece.column = static_cast<std::int16_t>(column);
        piece.row = static_cast<std::int16_t>(row);
        return piece;
    }
    ShapeCatalogue catalogue{};
    Well well{};
};

TEST_F(PieceDrawingTest, FilledCellsOnlyAreDrawnAndErased) {
    Paint(30, 10, u'+', 0x0E);  // under the plus's empty top-left corner
    const PieceShape plus = Piece(8, 30, 10);
    DrawPiece(buffer, plus, false);
    EXPECT_EQ(Screen().At(31, 10).attribute, 0x50);
    EXPECT_EQ(Screen().At(30, 11).attribute, 0x50);
    EXPECT_EQ(Screen().At(32, 12).attribute, ScreenBuffer::kDefaultAttribute);
    EXPECT_EQ(TextAt(30, 10, 1), u"+");
    EXPECT_EQ(Screen().At(30, 10).attribute, 0x0E);
    DrawPiece(buffer, plus, true);
    EXPECT_EQ(Screen().At(31, 11).attribute, 0);
    EXPECT_EQ(Screen().At(31, 12).attribute, 0);
    EXPECT_EQ(TextAt(30, 10, 1), u"+");
    EXPECT_EQ(Screen().At(30, 10).attribute, 0x0E);
}

TEST_F(PieceDrawingTest, DotStyleIsReadAtEachDraw) {
    DotStyle = true;
    DrawPiece(buffer, Piece(0, 40, 5), false);
    EXPECT_EQ(TextAt(40, 5, 2), u"..");
    EXPECT_EQ(TextAt(40, 6, 2), u"..");
    DotStyle = false;
    DrawPiece(buffer, Piece(0, 44, 5), false);
    EXPECT_EQ(TextAt(44, 5, 2), u"  ");
    EXPECT_EQ(TextAt(40, 5, 2), u"..");  // nothing already drawn changes
    DotStyle = true;
    DrawPiece(buffer, Piece(0, 40, 5), true);
    EXPECT_EQ(TextAt(40, 5, 2), u"  ");  // erasing always writes blanks
}

TEST_F(PieceDrawingTest, GuideRowExamples) {
    // Empty well: the floor row, under the whole box.
    EXPECT_EQ(LandingGuideRow(well, Piece(1, 30, 3)), 28);
    // Highest settled cells in the box's columns at rows 20 and 25: row 19.
    well.Set(31, 20, 1);
    well.Set(32, 25, 1);
    EXPECT_EQ(LandingGuideRow(well, Piece(11, 30, 3)), 19);
    // One row above a flat surface: the row right under the box.
    Well flat{};
    for (int x = 26; x <= 49; ++x) flat.Set(x, 20, 1);
    EXPECT_EQ(LandingGuideRow(flat, Piece(0, 30, 17)), 19);
    // Resting on it: the box's bottom row.
    EXPECT_EQ(LandingGuideRow(flat, Piece(0, 30, 18)), 19);
    // Cells above the piece's top row are not looked at.
    Well above{};
    above.Set(30, 2, 1);
    EXPECT_EQ(LandingGuideRow(above, Piece(1, 30, 3)), 28);
}

TEST_F(PieceDrawingTest, GuideMarksTheBoxWidthAndItsEraseLeavesSettledCellsBlack) {
    const PieceShape t = Piece(6, 30, 3);  // .#. over ###
    DrawLandingGuide(buffer, well, t, false);
    EXPECT_EQ(TextAt(29, 28, 5), u" +++ ");
    EXPECT_TRUE(AttributeRun(30, 28, 3, 0x0E));
    DrawLandingGuide(buffer, well, t, true);
    EXPECT_EQ(TextAt(30, 28, 3), u"   ");
    EXPECT_TRUE(AttributeRun(30, 28, 3, 0));

    // The S (.## over ##.) with a settled cell under its top row in column
    // 31 has its guide in its own top row, across a settled cell at (29, 3)
    // that sits in the box's empty corner.
    Well notch{};
    notch.Set(31, 4, 1);
    notch.Set(29, 3, 1);
    Paint(29, 3, u' ', 0x70);
    const PieceShape s = Piece(5, 29, 3);
    EXPECT_EQ(LandingGuideRow(notch, s), 3);
    DrawLandingGuide(buffer, notch, s, false);
    EXPECT_EQ(TextAt(29, 3, 3), u"+++");
    EXPECT_EQ(Screen().At(29, 3).attribute, 0x0E);
    DrawPiece(buffer, s, false);
    EXPECT_EQ(TextAt(29, 3, 1), u"+");  // only the box's empty cell shows its mark
    EXPECT_EQ(Screen().At(30, 3).attribute, 0xB0);
    DrawPiece(buffer, s, true);
    DrawLandingGuide(buffer, notch, s, true);
    EXPECT_TRUE(AttributeRun(29, 3, 3, 0));
    EXPECT_EQ(notch.At(29, 3), 1);
}

}  // namespace
}  // namespace zumbrik::testing
