#pragma once
#include <gtest/gtest.h>

#include <string>

#include "console/console_buffer.h"
#include "platform/memory_console/memory_console.h"

namespace zumbrik::testing {

// One fresh 80 by 30 buffer of the memory console to draw on.
class ConsoleFixture : public ::testing::Test {
protected:
    ConsoleFixture() : buffer{console, console.CreateConsoleScreenBuffer()} {}
    const ScreenBuffer& Screen() const { return *console.Buffer(buffer.handle); }
    std::u16string TextAt(int column, int row, int length) const {
        std::u16string text;
        for (int k = 0; k < length; ++k) text.push_back(Screen().At(column + k, row).character);
        return text;
    }
    bool AttributeRun(int column, int row, int length, ColourAttribute attribute) const {
        for (int k = 0; k < length; ++k)
            if (Screen().At(column + k, row).attribute != attribute) return false;
        return true;
    }
    void Paint(int x, int y, char16_t ch, ColourAttribute attribute) {
        const Coord at{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)};
        console.WriteConsoleOutputCharacterW(buffer.handle, &ch, 1, at);
        console.WriteConsoleOutputAttribute(buffer.handle, &attribute, 1, at);
    }

    MemoryConsole console;
    ConsoleBuffer buffer;
};

}  // namespace zumbrik::testing
