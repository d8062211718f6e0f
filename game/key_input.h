#pragma once

#include "platform/console_input.h"

namespace zumbrik {

// Only key presses count; releases, mouse and focus events never act.
inline bool IsKeyDown(const InputRecord& record) {
    return record.EventType == kKeyEvent && record.Event.KeyEvent.bKeyDown != 0;
}

inline bool IsKeyDown(const InputRecord& record, std::uint16_t virtualKey) {
    return IsKeyDown(record) && record.Event.KeyEvent.wVirtualKeyCode == virtualKey;
}

}  // namespace zumbrik
