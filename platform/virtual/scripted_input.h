#pragma once
#include <cstdint>
#include <deque>

#include "platform/console_input.h"
#include "platform/virtual/manual_clock.h"

namespace zumbrik {

// An input queue filled by a script. Waiting for input passes virtual time on
// the manual clock, so keys scheduled there arrive while the game waits.
class ScriptedInput final : public ConsoleInput {
public:
    explicit ScriptedInput(ManualClock& clock) : clock_(clock) {}

    void Push(const InputRecord& record) { queue_.push_back(record); }
    void KeyDown(std::uint16_t virtualKey) { Push(MakeKey(virtualKey, true)); }
    void KeyUp(std::uint16_t virtualKey) { Push(MakeKey(virtualKey, false)); }
    // A non-key event (focus), which the game must treat as "no key".
    void Focus() { Push(InputRecord{kFocusEvent, {}}); }
    // Schedules a key-down at a virtual time.
    void KeyDownAt(std::uint64_t atMs, std::uint16_t virtualKey) {
        clock_.At(atMs, [this, virtualKey] { KeyDown(virtualKey); });
    }

    std::size_t Pending() const { return queue_.size(); }
    std::uint64_t Flushes() const { return flushes_; }

    bool PeekConsoleInputW(InputRecord* record) override;
    void FlushConsoleInputBuffer() override;
    bool WaitForInput(std::uint32_t timeoutMs) override;

    static InputRecord MakeKey(std::uint16_t virtualKey, bool down);

private:
    ManualClock& clock_;
    std::deque<InputRecord> queue_;
    std::uint64_t flushes_ = 0;
};

}  // namespace zumbrik
