#include "platform/web/web_input.h"

namespace zumbrik {

void WebInput::KeyDown(std::uint16_t virtualKey) {
    if (queue_.size() >= kMostPending) return;
    InputRecord record{};
    record.EventType = kKeyEvent;
    record.Event.KeyEvent.bKeyDown = 1;
    record.Event.KeyEvent.wRepeatCount = 1;
    record.Event.KeyEvent.wVirtualKeyCode = virtualKey;
    queue_.push_back(record);
}

bool WebInput::PeekConsoleInputW(InputRecord* record) {
    if (queue_.empty()) return false;
    *record = queue_.front();
    return true;
}

bool WebInput::WaitForInput(std::uint32_t) { return Pending(); }

}  // namespace zumbrik
