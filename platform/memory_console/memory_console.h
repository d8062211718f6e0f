#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/console_surface.h"
#include "platform/memory_console/screen_buffer.h"

namespace zumbrik {

// The console held in memory: screen buffers as cell grids, one of them
// active. The terminal front end presents the active buffer; tests read it.
class MemoryConsole final : public ConsoleSurface {
public:
    MemoryConsole();

    // What the console shows now, and the buffer that was active at start.
    const ScreenBuffer& Active() const { return *active_; }
    const ScreenBuffer& StandardOutput() const { return *buffers_.front(); }
    bool StandardOutputActive() const { return active_ == buffers_.front().get(); }
    const ScreenBuffer* Buffer(ConsoleHandle handle) const;
    // Grows whenever another buffer becomes active.
    std::uint64_t ActiveSwitches() const { return activeSwitches_; }
    const std::u16string& Title() const { return title_; }
    std::size_t OpenBuffers() const { return buffers_.size(); }
    // Every MoveWindow request, in order (the memory console has no window).
    const std::vector<WindowRect>& WindowMoves() const { return windowMoves_; }

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

private:
    ScreenBuffer* Find(ConsoleHandle handle) const;

    // buffers_[0] is the standard output buffer; it is never closed.
    std::vector<std::unique_ptr<ScreenBuffer>> buffers_;
    ScreenBuffer* active_ = nullptr;
    std::uint64_t activeSwitches_ = 0;
    std::u16string title_;
    WindowRect window_{0, 0, 640, 480};
    std::vector<WindowRect> windowMoves_;
};

}  // namespace zumbrik
