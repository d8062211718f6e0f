#include "model/shape_catalogue.h"

#include <string_view>

namespace zumbrik {

namespace {

struct ShapeForm {
    std::string_view grid;  // rows from the top, separated by '/'; '#' filled
    ColourAttribute attribute;
};

constexpr std::array<ShapeForm, kShapeCount> kForms{{
    {"##/##", 0x90},           // square
    {"#/#/#/#", 0xC0},         // bar
    {"#./#./##", 0xE0},        // L
    {".#/.#/##", 0xA0},        // mirrored L
    {"##./.##", 0xD0},         // Z
    {".##/##.", 0xB0},         // S
    {".#./###", 0xF0},         // T
    {"#/#", 0x40},             // domino
    {".#./###/.#.", 0x50},     // plus
    {"###/#.#", 0x20},         // arch
    {"##./.#./.##", 0x30},     // long Z
    {"###/###/###", 0x70},     // block
    {".##/.#./##.", 0x90},     // long S
}};

PieceShape ShapeFromForm(const ShapeForm& form) {
    PieceShape shape{};
    shape.attribute = form.attribute;
    int row = 0;
    int column = 0;
    for (char mark : form.grid) {
        if (mark == '/') {
            ++row;
            column = 0;
            continue;
        }
        if (mark == '#') shape.cells[static_cast<std::size_t>(4 * column + row)] = 1;
        ++column;
        if (column > shape.width) shape.width = static_cast<std::uint8_t>(column);
    }
    shape.height = static_cast<std::uint8_t>(row + 1);
    return shape;
}

}  // namespace

void BuildShapeCatalogue(ShapeCatalogue& catalogue) {
    for (std::size_t i = 0; i < catalogue.size(); ++i) catalogue[i] = ShapeFromForm(kForms[i]);
}

void PlaceAtPreview(ShapeCatalogue& catalogue) {
    for (PieceShape& shape : catalogue) {
        shape.column = kPreviewColumn;
        shape.row = kPreviewRow;
    }
}

}  // namespace zumbrik
