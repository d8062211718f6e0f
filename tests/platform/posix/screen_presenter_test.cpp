#include "platform/posix/screen_presenter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/posix/ansi_colour.h"
#include "tests/platform/posix/fake_terminal.h"

namespace zumbrik {
namespace {

using testing::FakeTerminal;

// Every cell of the buffer must be on the terminal, with the colours the
// console attribute maps to, at the given offset.
::testing::AssertionResult ShowsBuffer(const FakeTerminal& terminal, const ScreenBuffer& buffer, int left = 0,
                                       int top = 0) {
    if (terminal.Failed()) return ::testing::AssertionFailure() << "replay failed: " << terminal.Error();
    for (int row = 0; row < buffer.Height(); ++row) {
        for (int column = 0; column < buffer.Width(); ++column) {
            const Cell& want = buffer.At(column, row);
            const FakeTerminal::Cell& got = terminal.At(left + column, top + row);
            if (got.character != static_cast<char32_t>(want.character) ||
                got.foreground != AnsiForeground(TextColour(want.attribute)) ||
                got.background != AnsiBackground(BackgroundColour(want.attribute)))
                return ::testing::AssertionFailure() << "cell " << column << "," << row << " differs";
        }
    }
    return ::testing::AssertionSuccess();
}

void Write(MemoryConsole& console, ConsoleHandle buffer, std::u16string_view text, Coord at,
           ColourAttribute attribute) {
    const auto length = static_cast<std::uint32_t>(text.size());
    console.WriteConsoleOutputCharacterW(buffer, text.data(), length, at);
    console.FillConsoleOutputAttribute(buffer, attribute, length, at);
}

class ScreenPresenterTest : public ::testing::Test {
protected:
    void SetUp() override {
        game = console.CreateConsoleScreenBuffer();
        pause = console.CreateConsoleScreenBuffer();
        console.SetConsoleActiveScreenBuffer(game);
        console.FillConsoleOutputAttribute(game, 0x60, 80, Coord{0, 0});
        Write(console, game, u"СЧЁТ: 0", Coord{52, 6}, 0x0B);
        Write(console, game, u"  ", Coord{37, 1}, 0x40);
        Write(console, game, u"ESC - выход", Coord{52, 28}, 0x0E);
    }
    const ScreenBuffer& Game() const { return *console.Buffer(game); }

    MemoryConsole console;
    ConsoleHandle game = nullptr;
    ConsoleHandle pause = nullptr;
    FakeTerminal terminal{80, 30};
    ScreenPresenter presenter{terminal};
};

TEST_F(ScreenPresenterTest, FirstFrameShowsEveryCellInOneSynchronisedWrite) {
    EXPECT_GT(presenter.Present(console), 2400u);
    EXPECT_EQ(terminal.Writes(), 1u);
    EXPECT_EQ(terminal.LastWrite().find("\x1b[?2026h"), 0u);
    EXPECT_TRUE(terminal.LastWrite().ends_with("\x1b[?2026l"));
    EXPECT_FALSE(terminal.InsideUpdate());
    EXPECT_TRUE(ShowsBuffer(terminal, Game()));
    EXPECT_EQ(presenter.FullRepaints(), 1u);
}

TEST_F(ScreenPresenterTest, WritesOnlyTheCellsThatChanged) {
    presenter.Present(console);
    // Nothing changed: nothing written, not even an empty update.
    EXPECT_EQ(presenter.Present(console), 0u);
    // A write that leaves the cells as they were is not a change either.
    Write(console, game, u"  ", Coord{37, 1}, 0x40);
    EXPECT_EQ(presenter.Present(console), 0u);
    EXPECT_EQ(terminal.Writes(), 1u);

    // The piece moves one row down: four cells change.
    Write(console, game, u"  ", Coord{37, 1}, 0x00);
    Write(console, game, u"  ", Coord{37, 2}, 0x40);
    const std::size_t bytes = presenter.Present(console);
    EXPECT_GT(bytes, 0u);
    EXPECT_LT(bytes, 60u);
    EXPECT_TRUE(ShowsBuffer(terminal, Game()));
    EXPECT_EQ(presenter.FullRepaints(), 1u);
}

TEST_F(ScreenPresenterTest, RandomDrawingStaysInStepOnACentredLargerTerminal) {
    FakeTerminal large(101, 41);
    ScreenPresenter centred(large);
    centred.SetTerminalSize(101, 41);
    std::mt19937 random(7);
    const char16_t glyphs[] = u" .~+ЁЖя0";
    for (int frame = 0; frame < 200; ++frame) {
        for (int n = static_cast<int>(random() % 6); n > 0; --n) {
            const char16_t text[2] = {glyphs[random() % 8], glyphs[random() % 8]};
            Write(console, game, std::u16string_view(text, 1 + random() % 2),
                  Coord{static_cast<std::int16_t>(random() % 80), static_cast<std::int16_t>(random() % 30)},
                  static_cast<ColourAttribute>(random() % 256));
        }
        centred.Present(console);
        ASSERT_TRUE(ShowsBuffer(large, Game(), 10, 5)) << "frame " << frame;
    }
    EXPECT_EQ(centred.FullRepaints(), 1u);
    // The margins stay in the terminal's own colours.
    EXPECT_EQ(large.At(0, 0).background, 49);
    EXPECT_EQ(large.At(100, 40).background, 49);
}

TEST_F(ScreenPresenterTest, BufferSwitchRepaintsEverything) {
    presenter.Present(console);
    Write(console, pause, u"ПАУЗА", Coord{37, 0}, 0x0E);
    console.SetConsoleActiveScreenBuffer(pause);
    presenter.Present(console);
    EXPECT_TRUE(ShowsBuffer(terminal, *console.Buffer(pause)));
    EXPECT_EQ(presenter.FullRepaints(), 2u);

    // Away and back between two frames: what the terminal shows is unknown.
    console.SetConsoleActiveScreenBuffer(game);
    console.SetConsoleActiveScreenBuffer(pause);
    presenter.Present(console);
    EXPECT_EQ(presenter.FullRepaints(), 3u);

    console.SetConsoleActiveScreenBuffer(game);
    presenter.Present(console);
    EXPECT_TRUE(ShowsBuffer(terminal, Game()));
}

TEST_F(ScreenPresenterTest, TooSmallTerminalShowsANoticeUntilResized) {
    presenter.Present(console);
    presenter.SetTerminalSize(60, 20);
    EXPECT_TRUE(presenter.TooSmall(console));
    presenter.Present(console);
    EXPECT_NE(terminal.LastWrite().find("Увеличьте его до 80×30"), std::string::npos);
    EXPECT_NE(terminal.LastWrite().find("(сейчас 60×20)"), std::string::npos);
    // The game goes on drawing; the notice is not rewritten for it.
    Write(console, game, u"СЧЁТ: 100", Coord{52, 6}, 0x0B);
    EXPECT_EQ(presenter.Present(console), 0u);
    // Ctrl+L brings the notice back, as it would the game.
    presenter.RequestFullRepaint();
    EXPECT_GT(presenter.Present(console), 0u);
    EXPECT_NE(terminal.LastWrite().find("Увеличьте"), std::string::npos);

    presenter.SetTerminalSize(80, 30);
    EXPECT_FALSE(presenter.TooSmall(console));
    presenter.Present(console);
    EXPECT_TRUE(ShowsBuffer(terminal, Game()));
}

TEST_F(ScreenPresenterTest, StandardOutputBufferIsNeverDrawn) {
    MemoryConsole fresh;
    EXPECT_EQ(presenter.Present(fresh), 0u);
    presenter.Present(console);
    console.SetConsoleActiveScreenBuffer(console.GetStdHandle(kStdOutputHandle));
    EXPECT_EQ(presenter.Present(console), 0u);
}

TEST_F(ScreenPresenterTest, TitleIsSentOnceAndAgainWhenItChanges) {
    console.SetConsoleTitleW(u"Console Zumbrik 1.0\x1b");
    presenter.Present(console);
    EXPECT_EQ(terminal.Title(), "Console Zumbrik 1.0");
    const std::size_t writes = terminal.Writes();
    presenter.Present(console);
    EXPECT_EQ(terminal.Writes(), writes);
    console.SetConsoleTitleW(u"Зумбрик");
    presenter.Present(console);
    EXPECT_EQ(terminal.Title(), "Зумбрик");
}

}  // namespace
}  // namespace zumbrik
