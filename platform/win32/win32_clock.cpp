#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "platform/win32/win32_clock.h"

namespace zumbrik {

void Win32Clock::Sleep(std::uint32_t ms) { ::Sleep(ms); }

SystemTime Win32Clock::GetSystemTime() {
    SYSTEMTIME t;
    ::GetSystemTime(&t);
    return SystemTime{t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

}  // namespace zumbrik
