#pragma once
#include <chrono>
#include <cstdint>
#include <deque>
#include <vector>

#include "platform/console_input.h"
#include "platform/posix/key_parser.h"

namespace zumbrik {

class TerminalScreen;

// The console input queue over a terminal's bytes. Every key press becomes
// one key-down record; Ctrl+L asks the screen for a full repaint instead.
// Peeking and waiting also present the screen, so a game that waits for a key
// without sleeping (the game-over state) still shows what it drew.
class PosixInput final : public ConsoleInput {
public:
    // How long a lone ESC waits for the rest of a sequence.
    static constexpr int kEscapeTimeoutMs = 50;

    // screen may be null where nothing is presented (tests).
    PosixInput(int fd, TerminalScreen* screen) : fd_(fd), screen_(screen) {}

    bool PeekConsoleInputW(InputRecord* record) override;
    void FlushConsoleInputBuffer() override;
    bool WaitForInput(std::uint32_t timeoutMs) override;

    // Reads whatever the terminal has, waiting up to timeoutMs for it; a
    // signal ends the wait early.
    void Pump(int timeoutMs);
    bool EscapeQueued() const;
    std::size_t Pending() const { return queue_.size(); }

private:
    using Clock = std::chrono::steady_clock;

    void ExpireIfDue(Clock::time_point now);
    void TakeKeys();

    int fd_;
    TerminalScreen* screen_;
    KeyParser parser_;
    std::vector<TerminalKey> keys_;
    std::deque<InputRecord> queue_;
    Clock::time_point lastByte_{};
    Clock::time_point lastEmptyPeek_{};
};

}  // namespace zumbrik
