#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/memory_console/memory_console.h"
#include "platform/posix/byte_sink.h"

namespace zumbrik {

// Shows the memory console's active buffer on an ANSI terminal. It remembers
// what the terminal shows and writes only the cells that differ, all in one
// write wrapped in a synchronised update; it repaints everything only on the
// first frame, after a buffer switch, a resize or an explicit request. The
// buffer is centred when the terminal is larger than it; when the terminal is
// smaller, a notice asks for a larger window instead.
class ScreenPresenter {
public:
    explicit ScreenPresenter(ByteSink& sink) : sink_(sink) {}

    // The terminal's size in cells. A change repaints everything.
    void SetTerminalSize(int columns, int rows);
    int TerminalColumns() const { return columns_; }
    int TerminalRows() const { return rows_; }
    void RequestFullRepaint() {
        valid_ = false;
        noticeShown_ = false;
    }

    // True when the terminal cannot hold the active buffer.
    bool TooSmall(const MemoryConsole& console) const;

    // Brings the terminal up to date; returns the number of bytes written.
    // The standard output buffer is the user's own screen, not ours to draw:
    // while it is active nothing is written.
    std::size_t Present(const MemoryConsole& console);

    // Figures for benchmarks and tests.
    std::uint64_t FullRepaints() const { return fullRepaints_; }

private:
    void AppendTitle(const std::u16string& title);
    void AppendNotice(int width, int height);
    void AppendFullRepaint(const ScreenBuffer& buffer);
    void AppendChanges(const ScreenBuffer& buffer);
    void AppendCell(const Cell& cell, int column);
    void MoveTo(int column, int row);

    ByteSink& sink_;
    std::string out_;
    int columns_ = 80;
    int rows_ = 30;

    // What the terminal shows: valid_ false means nothing can be assumed.
    bool valid_ = false;
    bool noticeShown_ = false;
    const ScreenBuffer* buffer_ = nullptr;
    std::uint64_t switches_ = 0;
    std::uint64_t revision_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::vector<Cell> shown_;
    bool titleSent_ = false;
    std::u16string title_;

    // Where the buffer's top-left cell sits on the terminal (0-based), and the
    // terminal's cursor and colours as the last write left them.
    int originColumn_ = 0;
    int originRow_ = 0;
    int cursorColumn_ = -1;
    int cursorRow_ = -1;
    int attribute_ = -1;

    std::uint64_t fullRepaints_ = 0;
};

}  // namespace zumbrik
