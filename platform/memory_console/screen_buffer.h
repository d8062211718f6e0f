#pragma once
#include <cstdint>
#include <vector>

#include "platform/console_surface.h"

namespace zumbrik {

struct Cell {
    char16_t character = u' ';
    ColourAttribute attribute = 0;
};

// One text-mode screen buffer as a grid of cells, with the console's rules for
// runs: reading order from the start, wrap after the last column, cut after
// the last cell, and no effect at all from a start outside the grid.
class ScreenBuffer {
public:
    static constexpr int kDefaultWidth = 80;
    static constexpr int kDefaultHeight = 30;
    // Blank cells of a fresh buffer carry the console's default grey on black.
    static constexpr ColourAttribute kDefaultAttribute = 0x07;

    ScreenBuffer();

    int Width() const { return width_; }
    int Height() const { return height_; }
    const Cell& At(int column, int row) const { return cells_[Index(column, row)]; }
    bool CursorVisible() const { return cursorVisible_; }
    // Grows on every change to a cell, so a presenter can skip unchanged frames.
    std::uint64_t Revision() const { return revision_; }

    void SetCursorVisible(bool visible) { cursorVisible_ = visible; }
    // Keeps the cells that fit in the new size; new cells are default blanks.
    bool Resize(int width, int height);

    // Each run operation visits `length` cells from `start` and calls
    // visit(cell, i) for the i-th of them; it returns how many it visited.
    template <typename Visit>
    std::uint32_t Run(Coord start, std::uint32_t length, Visit visit) {
        if (start.X < 0 || start.Y < 0 || start.X >= width_ || start.Y >= height_) return 0;
        const std::size_t first = Index(start.X, start.Y);
        const std::size_t room = cells_.size() - first;
        const std::uint32_t n = length < room ? length : static_cast<std::uint32_t>(room);
        for (std::uint32_t i = 0; i < n; ++i) visit(cells_[first + i], i);
        if (n != 0) ++revision_;
        return n;
    }
    template <typename Visit>
    std::uint32_t Read(Coord start, std::uint32_t length, Visit visit) const {
        if (start.X < 0 || start.Y < 0 || start.X >= width_ || start.Y >= height_) return 0;
        const std::size_t first = Index(start.X, start.Y);
        const std::size_t room = cells_.size() - first;
        const std::uint32_t n = length < room ? length : static_cast<std::uint32_t>(room);
        for (std::uint32_t i = 0; i < n; ++i) visit(cells_[first + i], i);
        return n;
    }

private:
    std::size_t Index(int column, int row) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(column);
    }

    int width_ = kDefaultWidth;
    int height_ = kDefaultHeight;
    std::vector<Cell> cells_;
    bool cursorVisible_ = true;
    std::uint64_t revision_ = 0;
};

}  // namespace zumbrik
