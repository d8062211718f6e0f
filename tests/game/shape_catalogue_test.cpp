#include <gtest/gtest.h>

#include <algorithm>

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
    PlaceAtPreview(catalogue);
    for (int s = 0; s < kShapeCount; ++s) {
        PieceShape piece = catalogue[static_cast<std::size_t>(s)];
        // Black on a coloured ground; the basic shapes are told apart by their colour.
        EXPECT_EQ(piece.attribute & 0x0F, 0) << s;
        EXPECT_NE(piece.attribute, 0) << s;
        for (int other = 0; s < kBasicShapeCount && other < s; ++other) {
            EXPECT_NE(piece.attribute, catalogue[static_cast<std::size_t>(other)].attribute) << s << " " << other;
        }
        EXPECT_EQ(piece.column * 100 + piece.row, kPreviewColumn * 100 + kPreviewRow);
        int cells = 0;
        for (int c = 0; c < 4; ++c) {
            for (int r = 0; r < 4; ++r) {
                if (piece.cells[static_cast<std::size_t>(c * 4 + r)] == 0) continue;
                ++cells;
                EXPECT_LT(c, piece.width) << s;  // every cell inside the shape's size
                EXPECT_LT(r, piece.height) << s;
            }
        }
        EXPECT_TRUE(s >= kBasicShapeCount || cells == 4) << s;  // the basic shapes are the four-cell ones
        EXPECT_GE(cells, std::max<int>(piece.width, piece.height)) << s;
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
