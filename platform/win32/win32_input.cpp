#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "platform/win32/win32_input.h"

namespace zumbrik {

Win32Input::Win32Input() : input_(::GetStdHandle(STD_INPUT_HANDLE)) {}

bool Win32Input::PeekConsoleInputW(InputRecord* record) {
    INPUT_RECORD raw;
    DWORD count = 0;
    if (record == nullptr || ::PeekConsoleInputW(input_, &raw, 1, &count) == 0 || count == 0) return false;
    *record = InputRecord{};
    record->EventType = raw.EventType;
    if (raw.EventType == KEY_EVENT) {
        const KEY_EVENT_RECORD& key = raw.Event.KeyEvent;
        KeyEventRecord& out = record->Event.KeyEvent;
        out.bKeyDown = key.bKeyDown;
        out.wRepeatCount = key.wRepeatCount;
        out.wVirtualKeyCode = key.wVirtualKeyCode;
        out.wVirtualScanCode = key.wVirtualScanCode;
        out.UnicodeChar = static_cast<char16_t>(key.uChar.UnicodeChar);
        out.dwControlKeyState = key.dwControlKeyState;
    }
    return true;
}

void Win32Input::FlushConsoleInputBuffer() { ::FlushConsoleInputBuffer(input_); }

// The console input handle is signalled while any record is pending.
bool Win32Input::WaitForInput(std::uint32_t timeoutMs) {
    return ::WaitForSingleObject(input_, timeoutMs) == WAIT_OBJECT_0;
}

}  // namespace zumbrik
