#include "platform/virtual/scripted_input.h"

namespace zumbrik {

InputRecord ScriptedInput::MakeKey(std::uint16_t virtualKey, bool down) {
    InputRecord record{};
    record.EventType = kKeyEvent;
    record.Event.KeyEvent.bKeyDown = down ? 1 : 0;
    record.Event.KeyEvent.wRepeatCount = 1;
    record.Event.KeyEvent.wVirtualKeyCode = virtualKey;
    return record;
}

bool ScriptedInput::PeekConsoleInputW(InputRecord* record) {
    if (queue_.empty()) return false;
    *record = queue_.front();
    return true;
}

void ScriptedInput::FlushConsoleInputBuffer() {
    queue_.clear();
    ++flushes_;
}

bool ScriptedInput::WaitForInput(std::uint32_t timeoutMs) {
    // Pass virtual time in small steps so a key scheduled inside the timeout
    // ends the wait at about its own time, as a real key would.
    constexpr std::uint32_t kStepMs = 10;
    for (std::uint32_t waited = 0; queue_.empty() && waited < timeoutMs; waited += kStepMs)
        clock_.Advance(kStepMs);
    return !queue_.empty();
}

}  // namespace zumbrik
