#pragma once

#include "platform/console_input.h"

namespace zumbrik {

// The console's input queue on the standard input handle.
class Win32Input final : public ConsoleInput {
public:
    Win32Input();

    bool PeekConsoleInputW(InputRecord* record) override;
    void FlushConsoleInputBuffer() override;
    bool WaitForInput(std::uint32_t timeoutMs) override;

private:
    void* input_;
};

}  // namespace zumbrik
