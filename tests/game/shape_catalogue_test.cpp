#include <gtest/gtest.h>

#include <vector>

#include "game/game_random.h"
#include "game/piece_rules.h"
#include "game/shape_catalogue.h"

namespace zumbrik {
namespace {

TEST(ShapeCatalogueTest, ShapesAreStoredColumnByColumnWithTheirColours) {
    ShapeCatalogue catalogue{};
    BuildShapeCatalogue(catalogue);
    const std::array<std::uint8_t, 16> l{1, 1, 1, 0, 0, 0, 1};
    const std::array<std::uint8_t, 16> longS{0, 0, 1, 0, 1, 1, 1, 0, 1};
    EXPECT_EQ(catalogue[2].cells, l);
    EXPECT_EQ(catalogue[12].cells, longS);
    const std::vector<int> cellCounts{4, 4, 4, 4, 4, 4, 4, 2, 5, 5, 5, 9, 5};
    const std::vector<ColourAttribute> colours{0x90, 0xC0, 0xE0, 0xA0, 0xD0, 0xB0, 0xF0,
                                               0x40, 0x50, 0x20, 0x30, 0x70, 0x90};
    for (int s = 0; s < kShapeCount; ++s) {
        const PieceShape& shape = catalogue[static_cast<std::size_t>(s)];
        EXPECT_EQ(shape.attribute, colours[static_cast<std::size_t>(s)]) << s;
        int cells = 0;
        for (std::uint8_t c : shape.cells) cells += c;
        EXPECT_EQ(cells, cellCounts[static_cast<std::size_t>(s)]) << s;
        // Every shape fills each row and each column of its box.
        for (int i = 0; i < shape.width; ++i) {
            bool any = false;
            for (int j = 0; j < shape.height; ++j) any = any || shape.Filled(i, j);
            EXPECT_TRUE(any) << s << " column " << i;
        }
        for (int j = 0; j < shape.height; ++j) {
            bool any = false;
            for (int i = 0; i < shape.width; ++i) any = any || shape.Filled(i, j);
            EXPECT_TRUE(any) << s << " row " << j;
        }
    }
    EXPECT_EQ(catalogue[1].width, 1);
    EXPECT_EQ(catalogue[1].height, 4);
}

TEST(ShapeCatalogueTest, SpawnedShapesStayInsideTheSpawnCornerInEveryTurn) {
    ShapeCatalogue catalogue{};
    BuildShapeCatalogue(catalogue);
    PlaceAtPreview(catalogue);
    for (const PieceShape& shape : catalogue) {
        EXPECT_EQ(shape.column, kPreviewColumn);
        EXPECT_EQ(shape.row, kPreviewRow);
        PieceShape piece = shape;
        piece.column = kSpawnColumn;
        piece.row = kSpawnRow;
        for (int turn = 0; turn < 4; ++turn) {
            EXPECT_LE(piece.column + piece.width - 1, 40);
            EXPECT_LE(piece.row + piece.height - 1, 4);
            RotateClockwise(piece);
        }
    }
}

TEST(GameRandomTest, FollowsTheLinearCongruentialSequence) {
    GameRandom random(1);
    EXPECT_EQ(random.Next(), 41u);
    EXPECT_EQ(random.Next(), 18467u);
    EXPECT_EQ(random.Next(), 6334u);
    EXPECT_EQ(random.Next(), 26500u);
    EXPECT_EQ(SeedFromTimeOfDay(SystemTime{2026, 1, 1, 1, 23, 59, 59, 999}), 86399u);
    EXPECT_EQ(SeedFromTimeOfDay(SystemTime{2026, 1, 1, 1, 0, 0, 0, 0}), 0u);
}

}  // namespace
}  // namespace zumbrik
