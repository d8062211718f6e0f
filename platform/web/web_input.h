#pragma once
#include <cstdint>
#include <deque>

#include "platform/console_input.h"

namespace zumbrik {

// The keys the page hands over as they are pressed; the game reads them at
// its next step. The page waits between steps, so nothing here blocks.
class WebInput final : public ConsoleInput {
public:
    // A tab the browser stops stepping (in the background) still gets no more than this.
    static constexpr std::size_t kMostPending = 64;

    void KeyDown(std::uint16_t virtualKey);
    bool Pending() const { return !queue_.empty(); }

    bool PeekConsoleInputW(InputRecord* record) override;
    void FlushConsoleInputBuffer() override { queue_.clear(); }
    // True when a key is pending, at once.
    bool WaitForInput(std::uint32_t timeoutMs) override;

private:
    std::deque<InputRecord> queue_;
};

}  // namespace zumbrik
