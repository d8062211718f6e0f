#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console/panel_text.h"
#include "console/score_text.h"
#include "console/screen_layout.h"
#include "platform/memory_console/memory_console.h"

namespace zumbrik {
namespace {

// The longest texts a game can leave (the largest score and best, the top
// level after the highest threshold, game over, the last place) stay on their
// own rows inside the panel, and a new game's texts leave none of them behind.
TEST(PanelTextTest, ANewGameLeavesNothingOfTheLongestTextsOfTheLast) {
    MemoryConsole console;
    const ConsoleBuffer buffer{console, console.CreateConsoleScreenBuffer()};
    const ScreenBuffer& s = *console.Buffer(buffer.handle);
    auto Row = [&](int row) {
        std::u16string text;
        for (int column = 0; column < 80; ++column) text += s.At(column, row).character;
        return text;
    };
    DrawStaticLayout(buffer);
    std::vector<std::u16string> layout;
    for (int row = 0; row < 30; ++row) layout.push_back(Row(row));
    ShowScore(buffer, 4294967295u);
    ShowLevel(buffer, 18, 300000);
    ShowLevel(buffer, 19, 0);
    ShowBestScore(buffer, 4294967295u);
    ShowGameOver(buffer);
    ShowTablePlace(buffer, 10);
    const int changing[] = {6, 8, 10, 12, 15, 16, 17};
    for (int row = 0; row < 30; ++row) {
        const bool mayChange = std::find(std::begin(changing), std::end(changing), row) != std::end(changing);
        const std::u16string& before = layout[static_cast<std::size_t>(row)];
        // Outside the panel's text columns, and on rows of fixed texts, nothing changes.
        EXPECT_EQ(Row(row).substr(0, mayChange ? 52 : 80), before.substr(0, mayChange ? 52 : 80)) << row;
        EXPECT_EQ(Row(row).substr(79), before.substr(79)) << row;
    }

    ShowScore(buffer, 0);
    ShowLevel(buffer, 0, 100);
    WipeGameOver(buffer);
    WipeTablePlace(buffer);
    struct Line {
        int row;
        std::u16string text;
        ColourAttribute attribute;
    };
    const Line lines[] = {{6, u"СЧЁТ: 0", 0x0B}, {8, u"СЛОЖНОСТЬ: 1", 0x0B}, {10, u"До следующей: 100", 0x09},
                          {12, u"РЕКОРД: 4294967295", 0x0B},  // the best of the run stays
                          {15, u"", 0x09}, {16, u"", 0x09}, {17, u"", 0x09}};
    for (const Line& line : lines) {
        EXPECT_EQ(Row(line.row).substr(52, 27), line.text + std::u16string(27 - line.text.size(), u' ')) << line.row;
        for (std::size_t k = 0; k < line.text.size(); ++k)
            EXPECT_EQ(s.At(52 + static_cast<int>(k), line.row).attribute, line.attribute);
    }
}

}  // namespace
}  // namespace zumbrik
