#pragma once

#include "platform/console_surface.h"

namespace zumbrik {

// The real Windows console: each operation is the console or window function
// of the same name. The header stays free of <windows.h>; the handles are the
// platform's own, carried as ConsoleHandle.
class Win32Console final : public ConsoleSurface {
public:
    ConsoleHandle CreateConsoleScreenBuffer() override;
    ConsoleHandle GetStdHandle(std::uint32_t which) override;
    bool SetConsoleCursorInfo(ConsoleHandle buffer, std::uint32_t size, bool visible) override;
    bool SetConsoleScreenBufferSize(ConsoleHandle buffer, Coord size) override;
    bool SetConsoleActiveScreenBuffer(ConsoleHandle buffer) override;
    bool SetConsoleTitleW(const char16_t* title) override;
    WindowHandle GetConsoleWindow() override;
    bool GetWindowRect(WindowHandle window, WindowRect* rect) override;
    bool MoveWindow(WindowHandle window, int x, int y, int width, int height, bool repaint) override;

    std::uint32_t WriteConsoleOutputCharacterW(ConsoleHandle buffer, const char16_t* text, std::uint32_t length,
                                               Coord start) override;
    std::uint32_t WriteConsoleOutputCharacterA(ConsoleHandle buffer, const char* text, std::uint32_t length,
                                               Coord start) override;
    std::uint32_t WriteConsoleOutputAttribute(ConsoleHandle buffer, const ColourAttribute* attributes,
                                              std::uint32_t length, Coord start) override;
    std::uint32_t FillConsoleOutputCharacterA(ConsoleHandle buffer, char character, std::uint32_t length,
                                              Coord start) override;
    std::uint32_t FillConsoleOutputCharacterW(ConsoleHandle buffer, char16_t character, std::uint32_t length,
                                              Coord start) override;
    std::uint32_t FillConsoleOutputAttribute(ConsoleHandle buffer, ColourAttribute attribute, std::uint32_t length,
                                             Coord start) override;
    std::uint32_t ReadConsoleOutputCharacterW(ConsoleHandle buffer, char16_t* text, std::uint32_t length,
                                              Coord start) override;
    std::uint32_t ReadConsoleOutputAttribute(ConsoleHandle buffer, ColourAttribute* attributes, std::uint32_t length,
                                             Coord start) override;
    bool CloseHandle(ConsoleHandle buffer) override;
};

// Shows the console's own screen buffer again with its cursor visible, as the
// shell expects it. Safe to call more than once, and from a control handler.
void HandBackConsoleScreen();

// Hands the console back also when the program is ended by Ctrl+C, Ctrl+Break
// or the closing of its window, which would otherwise leave the game's screen up.
void HandBackConsoleScreenOnInterrupt();

}  // namespace zumbrik
