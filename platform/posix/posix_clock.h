#pragma once
#include "platform/clock.h"

namespace zumbrik {

class TerminalScreen;
class PosixInput;

// Sleeps on the real clock after presenting the screen, so every state the
// game sleeps on (a row flash, a blink frame) is seen. While the terminal is
// too small to show the game, time stands still for the game: it sleeps
// until the window is large enough again, or until Escape is pressed.
class PosixClock final : public Clock {
public:
    // screen and input may be null where nothing is presented (tests).
    PosixClock(TerminalScreen* screen, PosixInput* input) : screen_(screen), input_(input) {}

    void Sleep(std::uint32_t ms) override;
    SystemTime GetSystemTime() override;

private:
    TerminalScreen* screen_;
    PosixInput* input_;
};

}  // namespace zumbrik
