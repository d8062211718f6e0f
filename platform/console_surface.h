#pragma once
#include <cstdint>

#include "platform/colour_attribute.h"

namespace zumbrik {

// A cell position: column, row. Mirrors the platform's COORD.
struct Coord {
    std::int16_t X;
    std::int16_t Y;
};

// Mirrors the platform's RECT (window rectangle in pixels).
struct WindowRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

using ConsoleHandle = void*;
using WindowHandle = void*;

inline constexpr std::uint32_t kStdOutputHandle = static_cast<std::uint32_t>(-11);

// The console operations the game draws with, under the platform's names.
// Every write goes in reading order from its start, wraps after the last
// column, is cut after the last cell of the buffer, and does nothing when its
// start lies outside the buffer. Results are counts of cells touched; the game
// ignores them.
class ConsoleSurface {
public:
    virtual ~ConsoleSurface() = default;

    virtual ConsoleHandle CreateConsoleScreenBuffer() = 0;
    virtual ConsoleHandle GetStdHandle(std::uint32_t which) = 0;
    virtual bool SetConsoleCursorInfo(ConsoleHandle buffer, std::uint32_t size, bool visible) = 0;
    virtual bool SetConsoleScreenBufferSize(ConsoleHandle buffer, Coord size) = 0;
    virtual bool SetConsoleActiveScreenBuffer(ConsoleHandle buffer) = 0;
    virtual bool SetConsoleTitleW(const char16_t* title) = 0;
    virtual WindowHandle GetConsoleWindow() = 0;
    virtual bool GetWindowRect(WindowHandle window, WindowRect* rect) = 0;
    virtual bool MoveWindow(WindowHandle window, int x, int y, int width, int height, bool repaint) = 0;

    virtual std::uint32_t WriteConsoleOutputCharacterW(ConsoleHandle buffer, const char16_t* text,
                                                       std::uint32_t length, Coord start) = 0;
    virtual std::uint32_t WriteConsoleOutputCharacterA(ConsoleHandle buffer, const char* text,
                                                       std::uint32_t length, Coord start) = 0;
    virtual std::uint32_t WriteConsoleOutputAttribute(ConsoleHandle buffer, const ColourAttribute* attributes,
                                                      std::uint32_t length, Coord start) = 0;
    virtual std::uint32_t FillConsoleOutputCharacterA(ConsoleHandle buffer, char character,
                                                      std::uint32_t length, Coord start) = 0;
    virtual std::uint32_t FillConsoleOutputCharacterW(ConsoleHandle buffer, char16_t character,
                                                      std::uint32_t length, Coord start) = 0;
    virtual std::uint32_t FillConsoleOutputAttribute(ConsoleHandle buffer, ColourAttribute attribute,
                                                     std::uint32_t length, Coord start) = 0;
    virtual std::uint32_t ReadConsoleOutputCharacterW(ConsoleHandle buffer, char16_t* text,
                                                      std::uint32_t length, Coord start) = 0;
    virtual std::uint32_t ReadConsoleOutputAttribute(ConsoleHandle buffer, ColourAttribute* attributes,
                                                     std::uint32_t length, Coord start) = 0;
    virtual bool CloseHandle(ConsoleHandle buffer) = 0;
};

}  // namespace zumbrik
