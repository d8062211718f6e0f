#include <gtest/gtest.h>

#include "console/piece_drawing.h"
#include "model/shape_catalogue.h"
#include "platform/memory_console/memory_console.h"

namespace zumbrik {
namespace {

class LandingGuideTest : public ::testing::Test {
protected:
    LandingGuideTest() : buffer{console, console.CreateConsoleScreenBuffer()} { BuildShapeCatalogue(catalogue); }
    PieceShape Piece(int shape, int column, int row) {
        PieceShape piece = catalogue[static_cast<std::size_t>(shape)];
        piece.column = static_cast<std::int16_t>(column);
        piece.row = static_cast<std::int16_t>(row);
        return piece;
    }
    const Cell& At(int c, int r) { return console.Buffer(buffer.handle)->At(c, r); }

    MemoryConsole console;
    ConsoleBuffer buffer;
    ShapeCatalogue catalogue{};
};

TEST_F(LandingGuideTest, GuideRowExamples) {
    Well well{};
    EXPECT_EQ(LandingGuideRow(well, Piece(1, 30, 3)), 28);  // empty well: the floor row
    well.Set(31, 20, 1);
    well.Set(32, 25, 1);
    EXPECT_EQ(LandingGuideRow(well, Piece(11, 30, 3)), 19);  // highest cells at 20 and 25
    Well flat{};
    for (int x = 26; x <= 49; ++x) flat.Set(x, 20, 1);
    EXPECT_EQ(LandingGuideRow(flat, Piece(0, 30, 17)), 19);  // one above: the row under the box
    EXPECT_EQ(LandingGuideRow(flat, Piece(0, 30, 18)), 19);  // resting: the box's bottom row
    Well above{};
    above.Set(30, 2, 1);
    EXPECT_EQ(LandingGuideRow(above, Piece(1, 30, 3)), 28);  // nothing above the piece counts
}

TEST_F(LandingGuideTest, MarksInTheTopRowCoverASettledCellAndTheirEraseLeavesItBlack) {
    // The S (.## over ##.) with a settled cell under its top row in column 31:
    // the guide is its own top row, across a settled cell in the box's empty corner.
    Well well{};
    well.Set(31, 4, 1);
    well.Set(29, 3, 1);
    const ColourAttribute grey = 0x70;
    console.WriteConsoleOutputAttribute(buffer.handle, &grey, 1, Coord{29, 3});
    const PieceShape s = Piece(5, 29, 3);
    ASSERT_EQ(LandingGuideRow(well, s), 3);
    DrawLandingGuide(buffer, well, s, false);
    DrawPiece(buffer, s, PieceLook::Plain);
    EXPECT_EQ(At(29, 3).character, u'+');  // only the box's empty cell shows its mark
    EXPECT_EQ(At(29, 3).attribute, 0x0E);
    EXPECT_EQ(At(30, 3).attribute, 0xB0);
    EXPECT_EQ(At(29, 4).attribute, 0xB0);
    DrawPiece(buffer, s, PieceLook::Erased);
    DrawLandingGuide(buffer, well, s, true);
    for (int c = 29; c <= 31; ++c) EXPECT_EQ(At(c, 3).attribute, 0) << c;
    EXPECT_EQ(At(29, 4).attribute, 0);
    EXPECT_EQ(well.At(29, 3), 1);
}

}  // namespace
}  // namespace zumbrik
