#include "platform/memory_console/memory_console.h"

#include <algorithm>

namespace zumbrik {

namespace {
// The memory console has one pretend window; its handle only has to be non-null.
int windowToken;
}  // namespace

MemoryConsole::MemoryConsole() {
    buffers_.push_back(std::make_unique<ScreenBuffer>());
    active_ = buffers_.front().get();
}

ScreenBuffer* MemoryConsole::Find(ConsoleHandle handle) const {
    for (const auto& buffer : buffers_)
        if (buffer.get() == handle) return buffer.get();
    return nullptr;
}

const ScreenBuffer* MemoryConsole::Buffer(ConsoleHandle handle) const { return Find(handle); }

ConsoleHandle MemoryConsole::CreateConsoleScreenBuffer() {
    buffers_.push_back(std::make_unique<ScreenBuffer>());
    return buffers_.back().get();
}

ConsoleHandle MemoryConsole::GetStdHandle(std::uint32_t which) {
    return which == kStdOutputHandle ? buffers_.front().get() : nullptr;
}

bool MemoryConsole::SetConsoleCursorInfo(ConsoleHandle buffer, std::uint32_t size, bool visible) {
    ScreenBuffer* b = Find(buffer);
    if (b == nullptr || size < 1 || size > 100) return false;
    b->SetCursorVisible(visible);
    return true;
}

bool MemoryConsole::SetConsoleScreenBufferSize(ConsoleHandle buffer, Coord size) {
    ScreenBuffer* b = Find(buffer);
    return b != nullptr && b->Resize(size.X, size.Y);
}

bool MemoryConsole::SetConsoleActiveScreenBuffer(ConsoleHandle buffer) {
    ScreenBuffer* b = Find(buffer);
    if (b == nullptr) return false;
    if (b != active_) ++activeSwitches_;
    active_ = b;
    return true;
}

bool MemoryConsole::SetConsoleTitleW(const char16_t* title) {
    title_ = title != nullptr ? title : u"";
    return true;
}

WindowHandle MemoryConsole::GetConsoleWindow() { return &windowToken; }

bool MemoryConsole::GetWindowRect(WindowHandle window, WindowRect* rect) {
    if (window != &windowToken || rect == nullptr) return false;
    *rect = window_;
    return true;
}

bool MemoryConsole::MoveWindow(WindowHandle window, int x, int y, int width, int height, bool) {
    if (window != &windowToken) return false;
    window_ = WindowRect{x, y, x + width, y + height};
    windowMoves_.push_back(window_);
    return true;
}

std::uint32_t MemoryConsole::WriteConsoleOutputCharacterW(ConsoleHandle buffer, const char16_t* text,
                                                          std::uint32_t length, Coord start) {
    ScreenBuffer* b = Find(buffer);
    if (b == nullptr || text == nullptr) return 0;
    return b->Run(start, length, [&](Cell& cell, std::uint32_t i) { cell.character = text[i]; });
}

std::uint32_t MemoryConsole::WriteConsoleOutputCharacterA(ConsoleHandle buffer, const char* text,
                                                          std::uint32_t length, Coord start) {
    ScreenBuffer* b = Find(buffer);
    if (b == nullptr || text == nullptr) return 0;
    return b->Run(start, length, [&](Cell& cell, std::uint32_t i) {
        cell.character = static_cast<char16_t>(static_cast<unsigned char>(text[i]));
    });
}

std::uint32_t MemoryConsole::WriteConsoleOutputAttribute(ConsoleHandle buffer, const ColourAttribute* attributes,
                                                         std::uint32_t length, Coord start) {
    ScreenBuffer* b = Find(buffer);
    if (b == nullptr || attributes == nullptr) return 0;
    return b->Run(start, length, [&](Cell& cell, std::uint32_t i) { cell.attribute = attributes[i]; });
}

std::uint32_t MemoryConsole::FillConsoleOutputCharacterA(ConsoleHandle buffer, char character, std::uint32_t length,
                                                         Coord start) {
    return FillConsoleOutputCharacterW(buffer, static_cast<char16_t>(static_cast<unsigned char>(character)), length,
                                       start);
}

std::uint32_t MemoryConsole::FillConsoleOutputCharacterW(ConsoleHandle buffer, char16_t character,
                                                         std::uint32_t length, Coord start) {
    ScreenBuffer* b = Find(buffer);
    if (b == nullptr) return 0;
    return b->Run(start, length, [&](Cell& cell, std::uint32_t) { cell.character = character; });
}

std::uint32_t MemoryConsole::FillConsoleOutputAttribute(ConsoleHandle buffer, ColourAttribute attribute,
                                                        std::uint32_t length, Coord start) {
    ScreenBuffer* b = Find(buffer);
    if (b == nullptr) return 0;
    return b->Run(start, length, [&](Cell& cell, std::uint32_t) { cell.attribute = attribute; });
}

std::uint32_t MemoryConsole::ReadConsoleOutputCharacterW(ConsoleHandle buffer, char16_t* text, std::uint32_t length,
                                                         Coord start) {
    const ScreenBuffer* b = Find(buffer);
    if (b == nullptr || text == nullptr) return 0;
    return b->Read(start, length, [&](const Cell& cell, std::uint32_t i) { text[i] = cell.character; });
}

std::uint32_t MemoryConsole::ReadConsoleOutputAttribute(ConsoleHandle buffer, ColourAttribute* attributes,
                                                        std::uint32_t length, Coord start) {
    const ScreenBuffer* b = Find(buffer);
    if (b == nullptr || attributes == nullptr) return 0;
    return b->Read(start, length, [&](const Cell& cell, std::uint32_t i) { attributes[i] = cell.attribute; });
}

bool MemoryConsole::CloseHandle(ConsoleHandle buffer) {
    ScreenBuffer* b = Find(buffer);
    // The standard output buffer belongs to whoever started us; closing the
    // active buffer would leave nothing to show.
    if (b == nullptr || b == buffers_.front().get() || b == active_) return false;
    buffers_.erase(std::find_if(buffers_.begin(), buffers_.end(), [&](const auto& p) { return p.get() == b; }));
    return true;
}

}  // namespace zumbrik
