#include "platform/memory_console/screen_buffer.h"

namespace zumbrik {

ScreenBuffer::ScreenBuffer()
    : cells_(static_cast<std::size_t>(kDefaultWidth) * kDefaultHeight, Cell{u' ', kDefaultAttribute}) {}

bool ScreenBuffer::Resize(int width, int height) {
    if (width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF) return false;
    std::vector<Cell> resized(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                              Cell{u' ', kDefaultAttribute});
    for (int row = 0; row < height && row < height_; ++row)
        for (int column = 0; column < width && column < width_; ++column)
            resized[static_cast<std::size_t>(row) * width + column] = At(column, row);
    cells_.swap(resized);
    width_ = width;
    height_ = height;
    ++revision_;
    return true;
}

}  // namespace zumbrik
