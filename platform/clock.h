#pragma once
#include <cstdint>

namespace zumbrik {

// Mirrors the platform's SYSTEMTIME.
struct SystemTime {
    std::uint16_t wYear;
    std::uint16_t wMonth;
    std::uint16_t wDayOfWeek;
    std::uint16_t wDay;
    std::uint16_t wHour;
    std::uint16_t wMinute;
    std::uint16_t wSecond;
    std::uint16_t wMilliseconds;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual void Sleep(std::uint32_t ms) = 0;
    // The current UTC time of day.
    virtual SystemTime GetSystemTime() = 0;
};

}  // namespace zumbrik
