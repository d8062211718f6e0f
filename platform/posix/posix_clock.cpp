#include "platform/posix/posix_clock.h"

#include <time.h>

#include <cerrno>

#include "platform/posix/posix_input.h"
#include "platform/posix/terminal_screen.h"

namespace zumbrik {

void PosixClock::Sleep(std::uint32_t ms) {
    if (screen_ != nullptr) {
        screen_->Present();
        while (screen_->TooSmall() && (input_ == nullptr || !input_->EscapeQueued())) {
            if (input_ != nullptr) {
                input_->Pump(250);
            } else {
                const timespec pause{0, 250'000'000};
                ::nanosleep(&pause, nullptr);
            }
            screen_->Present();
        }
    }
    timespec deadline{};
    ::clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += static_cast<time_t>(ms / 1000);
    deadline.tv_nsec += static_cast<long>(ms % 1000) * 1'000'000L;
    if (deadline.tv_nsec >= 1'000'000'000L) {
        deadline.tv_nsec -= 1'000'000'000L;
        ++deadline.tv_sec;
    }
    // A signal (a resize, a resume) cuts the sleep short: show its effect at
    // once, then sleep out the rest.
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR)
        if (screen_ != nullptr) screen_->Present();
}

SystemTime PosixClock::GetSystemTime() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    tm utc{};
    ::gmtime_r(&now.tv_sec, &utc);
    return SystemTime{static_cast<std::uint16_t>(utc.tm_year + 1900),
                      static_cast<std::uint16_t>(utc.tm_mon + 1),
                      static_cast<std::uint16_t>(utc.tm_wday),
                      static_cast<std::uint16_t>(utc.tm_mday),
                      static_cast<std::uint16_t>(utc.tm_hour),
                      static_cast<std::uint16_t>(utc.tm_min),
                      static_cast<std::uint16_t>(utc.tm_sec),
                      static_cast<std::uint16_t>(now.tv_nsec / 1'000'000)};
}

}  // namespace zumbrik
