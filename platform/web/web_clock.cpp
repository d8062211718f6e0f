#include "platform/web/web_clock.h"

#include <time.h>

namespace zumbrik {

SystemTime WebClock::GetSystemTime() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    tm utc{};
    ::gmtime_r(&now.tv_sec, &utc);
    return SystemTime{static_cast<std::uint16_t>(utc.tm_year + 1900), static_cast<std::uint16_t>(utc.tm_mon + 1),
                      static_cast<std::uint16_t>(utc.tm_wday),        static_cast<std::uint16_t>(utc.tm_mday),
                      static_cast<std::uint16_t>(utc.tm_hour),        static_cast<std::uint16_t>(utc.tm_min),
                      static_cast<std::uint16_t>(utc.tm_sec),         static_cast<std::uint16_t>(now.tv_nsec / 1'000'000)};
}

std::int64_t WebClock::EpochMs() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

std::string WebClock::LocalDateTime() {
    const time_t now = ::time(nullptr);
    tm local{};
    char text[32] = {};
    if (::localtime_r(&now, &local) == nullptr || ::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local) == 0)
        return {};
    return text;
}

}  // namespace zumbrik
