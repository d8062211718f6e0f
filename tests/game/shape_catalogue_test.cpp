#include <gtest/gtest.h>

#include "game/game_random.h"
#include "game/piece_rules.h"
#include "model/shape_catalogue.h"

namespace zumbrik {
namespace {

TEST(ShapeCatalogueTest, ShapesAreStoredColumnByColumnAndStayInTheSpawnCorner) {
    ShapeCatalogue catalogue{};
    BuildShapeCatalogue(catalogue);
    EXPECT_EQ(catalogue[2].cells, (std::array<std::uint8_t, 16>{1, 1, 1, 0, 0, 0, 1}));
    EXPECT_EQ(catalogue[12].cells, (std::array<std::uint8_t, 16>{0, 0, 1, 0, 1, 1, 1, 0, 1}));
    const int cellCounts[kShapeCount] = {4, 4, 4, 4, 4, 4, 4, 2, 5, 5, 5, 9, 5};
    const ColourAttribute colours[kShapeCount] = {0x90, 0xC0, 0xE0, 0xA0, 0xD0, 0xB0, 0xF0,
                                                  0x40, 0x50, 0x20, 0x30, 0x70, 0x90};
    PlaceAtPreview(catalogue);
    for (int s = 0; s < kShapeCount; ++s) {
        PieceShape piece = catalogue[static_cast<std::size_t>(s)];
        EXPECT_EQ(piece.attribute, colours[s]) << s;
        EXPECT_EQ(piece.column * 100 + piece.row, kPreviewColumn * 100 + kPreviewRow);
        int cells = 0;
        for (std::uint8_t c : piece.cells) cells += c;
        EXPECT_EQ(cells, cellCounts[s]) << s;
        piece.column = kSpawnColumn;
        piece.row = kSpawnRow;
        for (int turn = 0; turn < 4; ++turn, RotateClockwise(piece)) {
            EXPECT_LE(piece.column + piece.width - 1, 40) << s;
            EXPECT_LE(piece.row + piece.height - 1, 4) << s;
        }
    }
}

TEST(GameRandomTest, FollowsTheLinearCongruentialSequenceFromTheTimeOfDay) {
    GameRandom random(1);
    EXPECT_EQ(random.Next(), 41u);
    EXPECT_EQ(random.Next(), 18467u);
    EXPECT_EQ(random.Next(), 6334u);
    EXPECT_EQ(SeedFromTimeOfDay(SystemTime{2026, 1, 1, 1, 23, 59, 59, 999}), 86399u);
}

}  // namespace
}  // namespace zumbrik
