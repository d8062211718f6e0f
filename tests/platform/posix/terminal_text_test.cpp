#include <gtest/gtest.h>

#include <string>

#include "platform/posix/ansi_colour.h"
#include "platform/posix/terminal_text.h"

namespace zumbrik {
namespace {

TEST(AnsiColour, ConsolePaletteMapsToTheMatchingAnsiColours) {
    // Console order: black, blue, green, cyan, red, magenta, dark yellow, grey,
    // then the bright eight.
    const int expected[16] = {30, 34, 32, 36, 31, 35, 33, 37, 90, 94, 92, 96, 91, 95, 93, 97};
    for (std::uint8_t c = 0; c < 16; ++c) {
        EXPECT_EQ(AnsiForeground(c), expected[c]) << int(c);
        EXPECT_EQ(AnsiBackground(c), expected[c] + 10) << int(c);
    }
}

TEST(AnsiColour, SgrCarriesBothColoursOfTheAttribute) {
    std::string out;
    AppendSgr(out, 0x60);  // the frame: black on dark yellow
    EXPECT_EQ(out, "\x1b[30;43m");
    out.clear();
    AppendSgr(out, 0xF0);  // a flashing row: black on bright white
    EXPECT_EQ(out, "\x1b[30;107m");
    out.clear();
    AppendSgr(out, 0x08);  // dark grey on black
    EXPECT_EQ(out, "\x1b[90;40m");
}

TEST(CellGlyph, EveryCellTakesExactlyOneColumn) {
    std::string out;
    for (char16_t c : std::u16string(u"Ё~ я")) AppendCellGlyph(out, c);
    EXPECT_EQ(out, "Ё~ я");
    out.clear();
    // Control codes would move the cursor or start an escape sequence.
    for (char16_t c : {u'\0', u'\x1b', u'\n', u'\x7f', u'\x9b'}) AppendCellGlyph(out, c);
    EXPECT_EQ(out, "     ");
    out.clear();
    // A lone surrogate, a combining mark, a double-width ideograph.
    for (char16_t c : {u'\xd83d', u'\x0301', u'\x4e2d'}) AppendCellGlyph(out, c);
    EXPECT_EQ(out, "???");
}

TEST(Utf8Text, PairsSurrogatesAndDropsControls) {
    std::string out;
    AppendUtf8Text(out, u"Зум\x07\x1b]0;x\U0001F600\xdc00");
    EXPECT_EQ(out, "Зум]0;x\xF0\x9F\x98\x80?");
}

}  // namespace
}  // namespace zumbrik
