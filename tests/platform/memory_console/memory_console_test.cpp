#include <gtest/gtest.h>

#include <string>

#include "platform/memory_console/memory_console.h"

namespace zumbrik {
namespace {

std::u16string RowText(const ScreenBuffer& b, int row, int from, int count) {
    std::u16string s;
    for (int c = from; c < from + count; ++c) s += b.At(c, row).character;
    return s;
}

class MemoryConsoleTest : public ::testing::Test {
protected:
    MemoryConsole console;
    ConsoleHandle buffer = console.CreateConsoleScreenBuffer();
    const ScreenBuffer& Cells() { return *console.Buffer(buffer); }
};

TEST_F(MemoryConsoleTest, FreshBufferIsBlankEightyByThirtyInDefaultAttribute) {
    EXPECT_EQ(Cells().Width(), 80);
    EXPECT_EQ(Cells().Height(), 30);
    EXPECT_EQ(Cells().At(79, 29).character, u' ');
    EXPECT_EQ(Cells().At(0, 0).attribute, ScreenBuffer::kDefaultAttribute);
}

TEST_F(MemoryConsoleTest, TextWrapsAfterColumn79AndKeepsAttributes) {
    console.FillConsoleOutputAttribute(buffer, 0x60, 80 * 30, {0, 0});
    const std::u16string text = u"АБВГД";
    EXPECT_EQ(console.WriteConsoleOutputCharacterW(buffer, text.c_str(), 5, {77, 3}), 5u);
    EXPECT_EQ(RowText(Cells(), 3, 77, 3), u"АБВ");
    EXPECT_EQ(RowText(Cells(), 4, 0, 2), u"ГД");
    EXPECT_EQ(Cells().At(1, 4).attribute, 0x60);
    EXPECT_EQ(Cells().At(2, 4).character, u' ');
}

TEST_F(MemoryConsoleTest, RunsAreCutAfterTheLastCell) {
    EXPECT_EQ(console.FillConsoleOutputCharacterW(buffer, u'x', 10, {75, 29}), 5u);
    EXPECT_EQ(RowText(Cells(), 29, 74, 6), u" xxxxx");
    // Nothing spilled back to the top.
    EXPECT_EQ(Cells().At(0, 0).character, u' ');
    EXPECT_EQ(console.FillConsoleOutputAttribute(buffer, 0xF0, 1000, {0, 29}), 80u);
}

TEST_F(MemoryConsoleTest, StartOutsideTheBufferChangesNothing) {
    const char16_t text[] = u"zz";
    const ColourAttribute attr = 0x0E;
    const auto before = Cells().Revision();
    for (Coord start : {Coord{80, 0}, Coord{0, 30}, Coord{-1, 5}, Coord{5, -1}}) {
        EXPECT_EQ(console.WriteConsoleOutputCharacterW(buffer, text, 2, start), 0u);
        EXPECT_EQ(console.WriteConsoleOutputAttribute(buffer, &attr, 1, start), 0u);
        EXPECT_EQ(console.FillConsoleOutputAttribute(buffer, attr, 3, start), 0u);
    }
    EXPECT_EQ(Cells().Revision(), before);
}

TEST_F(MemoryConsoleTest, SingleCellWritesAndReadBack) {
    console.WriteConsoleOutputCharacterA(buffer, " ", 1, {10, 10});
    const ColourAttribute attr = 0x90;
    console.WriteConsoleOutputAttribute(buffer, &attr, 1, {10, 10});
    const char16_t dot[] = u".";
    console.WriteConsoleOutputCharacterW(buffer, dot, 1, {11, 10});
    char16_t c = 0;
    ColourAttribute a = 0;
    EXPECT_EQ(console.ReadConsoleOutputCharacterW(buffer, &c, 1, {11, 10}), 1u);
    EXPECT_EQ(console.ReadConsoleOutputAttribute(buffer, &a, 1, {10, 10}), 1u);
    EXPECT_EQ(c, u'.');
    EXPECT_EQ(a, 0x90);
    EXPECT_EQ(console.ReadConsoleOutputAttribute(buffer, &a, 1, {80, 10}), 0u);
}

TEST_F(MemoryConsoleTest, ActiveBufferSwitchesAndStandardOutputComesBack) {
    ConsoleHandle saved = console.GetStdHandle(kStdOutputHandle);
    EXPECT_TRUE(console.StandardOutputActive());
    console.SetConsoleActiveScreenBuffer(buffer);
    EXPECT_EQ(&console.Active(), console.Buffer(buffer));
    EXPECT_FALSE(console.CloseHandle(buffer)) << "the shown buffer cannot be closed";
    console.SetConsoleActiveScreenBuffer(saved);
    EXPECT_TRUE(console.StandardOutputActive());
    EXPECT_EQ(console.ActiveSwitches(), 2u);
    EXPECT_TRUE(console.CloseHandle(buffer));
    EXPECT_EQ(console.Buffer(buffer), nullptr);
    EXPECT_EQ(console.FillConsoleOutputAttribute(buffer, 1, 1, {0, 0}), 0u) << "closed handles write nothing";
}

TEST_F(MemoryConsoleTest, TitleCursorAndWindowAreRecorded) {
    console.SetConsoleTitleW(u"Console Zumbrik 1.0");
    EXPECT_EQ(console.Title(), u"Console Zumbrik 1.0");
    console.SetConsoleCursorInfo(buffer, 1, false);
    EXPECT_FALSE(Cells().CursorVisible());
    WindowRect r{};
    ASSERT_TRUE(console.GetWindowRect(console.GetConsoleWindow(), &r));
    console.MoveWindow(console.GetConsoleWindow(), r.left, r.top, 1000, 1000, true);
    ASSERT_EQ(console.WindowMoves().size(), 1u);
    EXPECT_EQ(console.WindowMoves()[0].right - console.WindowMoves()[0].left, 1000);
}

}  // namespace
}  // namespace zumbrik
