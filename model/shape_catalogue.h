#pragma once
#include <array>

#include "model/piece_shape.h"

namespace zumbrik {

inline constexpr int kShapeCount = 13;
// Only the four-cell shapes come up until the ninth level.
inline constexpr int kBasicShapeCount = 7;
inline constexpr int kPreviewColumn = 62;
inline constexpr int kPreviewRow = 19;
inline constexpr int kSpawnColumn = 37;
inline constexpr int kSpawnRow = 1;

using ShapeCatalogue = std::array<PieceShape, kShapeCount>;

// Fills every entry's size, colour and cells; positions stay 0.
void BuildShapeCatalogue(ShapeCatalogue& catalogue);
// Every entry stands at the preview position, so the preview draws it unchanged.
void PlaceAtPreview(ShapeCatalogue& catalogue);

}  // namespace zumbrik
