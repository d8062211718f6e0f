#include "platform/virtual/manual_clock.h"

namespace zumbrik {

ManualClock::ManualClock(SystemTime timeOfDay) : timeOfDay_(timeOfDay) {}

void ManualClock::Advance(std::uint64_t ms) {
    nowMs_ += ms;
    if (nowMs_ > limitMs_) throw TimeLimitExceeded();
    while (!scheduled_.empty() && scheduled_.begin()->first <= nowMs_) {
        auto action = std::move(scheduled_.begin()->second);
        scheduled_.erase(scheduled_.begin());
        action();
    }
}

void ManualClock::Sleep(std::uint32_t ms) {
    ++sleeps_;
    Advance(ms);
    if (everySleep_) everySleep_(ms);
}

void ManualClock::At(std::uint64_t atMs, std::function<void()> action) {
    scheduled_.emplace(atMs, std::move(action));
}

}  // namespace zumbrik
