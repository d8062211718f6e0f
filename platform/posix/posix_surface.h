#pragma once
#include "platform/console_surface.h"
#include "platform/memory_console/memory_console.h"

namespace zumbrik {

class TerminalScreen;

// The game's console on a terminal: the memory console holds every cell, and
// this wrapper tells the screen when the game switches buffers or asks for
// its window, the two moments the terminal must hear about at once.
class PosixSurface final : public ConsoleSurface {
public:
    PosixSurface(MemoryConsole& console, TerminalScreen& screen) : console_(console), screen_(screen) {}

    ConsoleHandle CreateConsoleScreenBuffer() override { return console_.CreateConsoleScreenBuffer(); }
    ConsoleHandle GetStdHandle(std::uint32_t which) override { return console_.GetStdHandle(which); }
    bool SetConsoleCursorInfo(ConsoleHandle buffer, std::uint32_t size, bool visible) override {
        return console_.SetConsoleCursorInfo(buffer, size, visible);
    }
    bool SetConsoleScreenBufferSize(ConsoleHandle buffer, Coord size) override {
        return console_.SetConsoleScreenBufferSize(buffer, size);
    }
    bool SetConsoleActiveScreenBuffer(ConsoleHandle buffer) override;
    bool SetConsoleTitleW(const char16_t* title) override { return console_.SetConsoleTitleW(title); }
    WindowHandle GetConsoleWindow() override { return console_.GetConsoleWindow(); }
    bool GetWindowRect(WindowHandle window, WindowRect* rect) override { return console_.GetWindowRect(window, rect); }
    bool MoveWindow(WindowHandle window, int x, int y, int width, int height, bool repaint) override;

    std::uint32_t WriteConsoleOutputCharacterW(ConsoleHandle buffer, const char16_t* text, std::uint32_t length,
                                               Coord start) override {
        return console_.WriteConsoleOutputCharacterW(buffer, text, length, start);
    }
    std::uint32_t WriteConsoleOutputCharacterA(ConsoleHandle buffer, const char* text, std::uint32_t length,
                                               Coord start) override {
        return console_.WriteConsoleOutputCharacterA(buffer, text, length, start);
    }
    std::uint32_t WriteConsoleOutputAttribute(ConsoleHandle buffer, const ColourAttribute* attributes,
                                              std::uint32_t length, Coord start) override {
        return console_.WriteConsoleOutputAttribute(buffer, attributes, length, start);
    }
    std::uint32_t FillConsoleOutputCharacterA(ConsoleHandle buffer, char character, std::uint32_t length,
                                              Coord start) override {
        return console_.FillConsoleOutputCharacterA(buffer, character, length, start);
    }
    std::uint32_t FillConsoleOutputCharacterW(ConsoleHandle buffer, char16_t character, std::uint32_t length,
                                              Coord start) override {
        return console_.FillConsoleOutputCharacterW(buffer, character, length, start);
    }
    std::uint32_t FillConsoleOutputAttribute(ConsoleHandle buffer, ColourAttribute attribute, std::uint32_t length,
                                             Coord start) override {
        return console_.FillConsoleOutputAttribute(buffer, attribute, length, start);
    }
    std::uint32_t ReadConsoleOutputCharacterW(ConsoleHandle buffer, char16_t* text, std::uint32_t length,
                                              Coord start) override {
        return console_.ReadConsoleOutputCharacterW(buffer, text, length, start);
    }
    std::uint32_t ReadConsoleOutputAttribute(ConsoleHandle buffer, ColourAttribute* attributes, std::uint32_t length,
                                             Coord start) override {
        return console_.ReadConsoleOutputAttribute(buffer, attributes, length, start);
    }
    bool CloseHandle(ConsoleHandle buffer) override { return console_.CloseHandle(buffer); }

private:
    MemoryConsole& console_;
    TerminalScreen& screen_;
};

}  // namespace zumbrik
