#pragma once
#include <cstdint>

namespace zumbrik {

// Mirrors the key part of the platform's INPUT_RECORD; other event kinds carry
// only their EventType.
struct KeyEventRecord {
    std::int32_t bKeyDown;
    std::uint16_t wRepeatCount;
    std::uint16_t wVirtualKeyCode;
    std::uint16_t wVirtualScanCode;
    char16_t UnicodeChar;
    std::uint32_t dwControlKeyState;
};

struct InputRecord {
    std::uint16_t EventType;
    struct {
        KeyEventRecord KeyEvent;
    } Event;
};

// Event kinds and virtual-key codes as the platform numbers them.
inline constexpr std::uint16_t kKeyEvent = 0x0001;
inline constexpr std::uint16_t kFocusEvent = 0x0010;

inline constexpr std::uint16_t kVkReturn = 0x0D;
inline constexpr std::uint16_t kVkEscape = 0x1B;
inline constexpr std::uint16_t kVkLeft = 0x25;
inline constexpr std::uint16_t kVkUp = 0x26;
inline constexpr std::uint16_t kVkRight = 0x27;
inline constexpr std::uint16_t kVkDown = 0x28;
inline constexpr std::uint16_t kVkF = 0x46;
inline constexpr std::uint16_t kVkM = 0x4D;
inline constexpr std::uint16_t kVkP = 0x50;

// The console's input queue. Peeking never removes a record; only a flush does.
class ConsoleInput {
public:
    virtual ~ConsoleInput() = default;
    // Copies the oldest pending record without removing it; false when none.
    virtual bool PeekConsoleInputW(InputRecord* record) = 0;
    // Discards every pending record.
    virtual void FlushConsoleInputBuffer() = 0;
    // Blocks until a record is pending or the timeout passes; true when one is.
    virtual bool WaitForInput(std::uint32_t timeoutMs) = 0;
};

}  // namespace zumbrik
