#include <gtest/gtest.h>

#include "console/console_text.h"
#include "console/screen_layout.h"
#include "console/well_effects.h"
#include "platform/memory_console/memory_console.h"

namespace zumbrik {
namespace {

// A cleared row flashes across the well and nowhere else, the cells moved
// down keep their colours (the screen is their only store), and clearing the
// well leaves its walls and the digits beside it alone.
TEST(WellEffectsTest, EffectsStayInsideTheWellAndMovedCellsKeepTheirColour) {
    MemoryConsole console;
    const ConsoleBuffer buffer{console, console.CreateConsoleScreenBuffer()};
    const ScreenBuffer& s = *console.Buffer(buffer.handle);
    DrawStaticLayout(buffer);
    WriteText(buffer, Coord{1, 10}, u"000000000000000000000001", 0x07);
    WriteCell(buffer, Coord{29, 9}, u'.', 0x4F);
    auto row = [&](int r) {
        std::vector<ColourAttribute> attributes;
        for (int c = 25; c <= 50; ++c) attributes.push_back(s.At(c, r).attribute);
        return attributes;
    };
    std::vector<ColourAttribute> lit(26, kFlashAttribute), dark(26, 0x00);
    lit.front() = lit.back() = dark.front() = dark.back() = 0x60;  // the walls

    LightFlashRow(buffer, 10);
    EXPECT_EQ(row(10), lit);
    DarkenFlashRow(buffer, 10);
    EXPECT_EQ(row(10), dark);
    CopyCellFromRowAbove(buffer, 3, 10);
    EXPECT_EQ(s.At(29, 10).character, u'.');
    EXPECT_EQ(s.At(29, 10).attribute, 0x4F);

    ClearWellArea(buffer);
    for (int r : {1, 10, 28}) EXPECT_EQ(row(r), dark) << r;
    EXPECT_EQ(s.At(24, 10).character, u'1');
    EXPECT_EQ(s.At(24, 10).attribute, 0x07);
    EXPECT_EQ(s.At(29, 29).attribute, 0x60);  // the floor
}

}  // namespace
}  // namespace zumbrik
