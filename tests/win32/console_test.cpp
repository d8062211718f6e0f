#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win32_console.h"

namespace zumbrik {
namespace {

class Win32ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        buffer = console.CreateConsoleScreenBuffer();
        ASSERT_NE(buffer, nullptr) << "no console: run on a terminal";
        ASSERT_TRUE(console.SetConsoleScreenBufferSize(buffer, {80, 30}));
    }
    void TearDown() override {
        if (buffer != nullptr) console.CloseHandle(buffer);
    }

    std::u16string Read(Coord start, std::uint32_t length) {
        std::u16string text(length, u'\0');
        text.resize(console.ReadConsoleOutputCharacterW(buffer, text.data(), length, start));
        return text;
    }
    ColourAttribute AttributeAt(Coord at) {
        ColourAttribute a = 0xFFFF;
        console.ReadConsoleOutputAttribute(buffer, &a, 1, at);
        return a;
    }
    CONSOLE_SCREEN_BUFFER_INFO Info() {
        CONSOLE_SCREEN_BUFFER_INFO info{};
        ::GetConsoleScreenBufferInfo(buffer, &info);
        return info;
    }

    Win32Console console;
    ConsoleHandle buffer = nullptr;
};

TEST_F(Win32ConsoleTest, BufferIsEightyByThirtyAndItsEdgesAreWhereTheGameExpects) {
    const CONSOLE_SCREEN_BUFFER_INFO info = Info();
    EXPECT_EQ(info.dwSize.X, 80);
    EXPECT_EQ(info.dwSize.Y, 30);
    EXPECT_EQ(console.FillConsoleOutputCharacterW(buffer, u'#', 1, {79, 29}), 1u);
    EXPECT_EQ(Read({79, 29}, 1), u"#");
}

TEST_F(Win32ConsoleTest, ShrinksFromABufferLargerThanEightyByThirty) {
    ASSERT_TRUE(console.SetConsoleScreenBufferSize(buffer, {132, 60}));
    // Open the window wide, as a console started in a big terminal would be.
    const SMALL_RECT wide{0, 0, 119, 49};
    ::SetConsoleWindowInfo(buffer, TRUE, &wide);
    ASSERT_TRUE(console.SetConsoleScreenBufferSize(buffer, {80, 30}));
    const CONSOLE_SCREEN_BUFFER_INFO info = Info();
    EXPECT_EQ(info.dwSize.X, 80);
    EXPECT_EQ(info.dwSize.Y, 30);
    EXPECT_LE(info.srWindow.Right, 79);
    EXPECT_LE(info.srWindow.Bottom, 29);
}

TEST_F(Win32ConsoleTest, TextWrapsAfterColumn79AndLeavesAttributesAlone) {
    console.FillConsoleOutputAttribute(buffer, 0x60, 80 * 30, {0, 0});
    const std::u16string text = u"СЧЁТ:";
    EXPECT_EQ(console.WriteConsoleOutputCharacterW(buffer, text.c_str(), 5, {77, 6}), 5u);
    EXPECT_EQ(Read({77, 6}, 3), u"СЧЁ");
    EXPECT_EQ(Read({0, 7}, 2), u"Т:");
    EXPECT_EQ(AttributeAt({1, 7}), 0x60);
}

TEST_F(Win32ConsoleTest, RunsAreCutAtTheLastCellAndStartsOutsideWriteNothing) {
    console.FillConsoleOutputCharacterW(buffer, u' ', 80 * 30, {0, 0});
    EXPECT_EQ(console.FillConsoleOutputCharacterW(buffer, u'x', 10, {75, 29}), 5u);
    EXPECT_EQ(Read({74, 29}, 6), u" xxxxx");
    EXPECT_EQ(Read({0, 0}, 1), u" ");
    EXPECT_EQ(console.FillConsoleOutputAttribute(buffer, 0xF0, 1000, {0, 29}), 80u);

    const ColourAttribute attr = 0x0E;
    for (Coord start : {Coord{80, 0}, Coord{0, 30}}) {
        EXPECT_EQ(console.WriteConsoleOutputCharacterW(buffer, u"zz", 2, start), 0u);
        EXPECT_EQ(console.WriteConsoleOutputAttribute(buffer, &attr, 1, start), 0u);
    }
    EXPECT_EQ(Read({0, 0}, 80).find(u'z'), std::u16string::npos);
}

TEST_F(Win32ConsoleTest, SingleCellsWriteAndReadBackWithTheirAttributes) {
    const ColourAttribute frame = 0x60;
    EXPECT_EQ(console.WriteConsoleOutputCharacterA(buffer, " ", 1, {25, 3}), 1u);
    EXPECT_EQ(console.WriteConsoleOutputAttribute(buffer, &frame, 1, {25, 3}), 1u);
    EXPECT_EQ(console.FillConsoleOutputCharacterA(buffer, '.', 1, {26, 3}), 1u);
    EXPECT_EQ(console.FillConsoleOutputAttribute(buffer, 0xB0, 1, {26, 3}), 1u);
    EXPECT_EQ(Read({25, 3}, 2), u" .");
    EXPECT_EQ(AttributeAt({25, 3}), 0x60);
    EXPECT_EQ(AttributeAt({26, 3}), 0xB0);
    // A fill of attributes keeps the characters.
    console.FillConsoleOutputAttribute(buffer, 0x07, 2, {25, 3});
    EXPECT_EQ(Read({25, 3}, 2), u" .");
}

// The screen buffer that is active now, as the console itself reports it.
HANDLE OpenActiveBuffer() {
    return ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
}

TEST_F(Win32ConsoleTest, ActiveBufferSwitchesAndTheFirstOneComesBack) {
    EXPECT_EQ(console.GetStdHandle(kStdOutputHandle), ::GetStdHandle(STD_OUTPUT_HANDLE));
    // ctest hands the test a pipe as its standard output, so the console's
    // first buffer is reached by name here instead.
    HANDLE first = OpenActiveBuffer();
    ASSERT_NE(first, INVALID_HANDLE_VALUE);

    ASSERT_TRUE(console.SetConsoleActiveScreenBuffer(buffer));
    HANDLE shown = OpenActiveBuffer();
    ASSERT_NE(shown, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    ::WriteConsoleOutputCharacterW(shown, L"@", 1, COORD{3, 3}, &n);
    EXPECT_EQ(Read({3, 3}, 1), u"@");
    ::CloseHandle(shown);

    EXPECT_TRUE(console.SetConsoleActiveScreenBuffer(first));
    EXPECT_FALSE(console.SetConsoleActiveScreenBuffer(nullptr));
    ::CloseHandle(first);
}

TEST_F(Win32ConsoleTest, CursorIsHiddenAndTitleIsSet) {
    EXPECT_TRUE(console.SetConsoleCursorInfo(buffer, 1, false));
    CONSOLE_CURSOR_INFO cursor{};
    ASSERT_NE(::GetConsoleCursorInfo(buffer, &cursor), 0);
    EXPECT_EQ(cursor.dwSize, 1u);
    EXPECT_FALSE(cursor.bVisible);

    EXPECT_TRUE(console.SetConsoleTitleW(u"Console Zumbrik 1.0"));
    wchar_t title[64] = {};
    ::GetConsoleTitleW(title, 64);
    EXPECT_EQ(std::wstring(title), L"Console Zumbrik 1.0");
}

TEST_F(Win32ConsoleTest, WindowOperationsFailQuietlyWithoutAWindow) {
    // A console on a terminal has no window; the game ignores the results, so
    // all that matters is that the calls come back.
    WindowHandle window = console.GetConsoleWindow();
    WindowRect rect{1, 2, 3, 4};
    const bool known = console.GetWindowRect(window, &rect);
    if (window == nullptr) {
        EXPECT_FALSE(known);
        EXPECT_FALSE(console.MoveWindow(window, 0, 0, 1000, 1000, true));
    } else {
        EXPECT_TRUE(known);
        EXPECT_TRUE(console.MoveWindow(window, rect.left, rect.top, 1000, 1000, true));
    }
    EXPECT_FALSE(console.GetWindowRect(window, nullptr));
}

}  // namespace
}  // namespace zumbrik
