#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>

#include "platform/clock.h"

namespace zumbrik {

// Virtual time for driving the game without waiting: Sleep advances the
// clock at once and runs whatever was scheduled up to the new time.
class ManualClock final : public Clock {
public:
    // Thrown when virtual time passes the limit, so a test whose script never
    // ends the game fails instead of hanging.
    struct TimeLimitExceeded : std::runtime_error {
        TimeLimitExceeded() : std::runtime_error("virtual time limit exceeded") {}
    };

    explicit ManualClock(SystemTime timeOfDay = SystemTime{2026, 12, 1, 7, 10, 20, 30, 0});

    void Sleep(std::uint32_t ms) override;
    SystemTime GetSystemTime() override { return timeOfDay_; }

    // Advances time without a sleep by the caller (used by waits for input).
    void Advance(std::uint64_t ms);
    std::uint64_t NowMs() const { return nowMs_; }
    std::uint64_t SleepCount() const { return sleeps_; }

    // Runs action once virtual time reaches atMs (after the sleep that gets there).
    void At(std::uint64_t atMs, std::function<void()> action);
    // Runs action after every sleep, with the length of that sleep.
    void OnEverySleep(std::function<void(std::uint32_t ms)> action) { everySleep_ = std::move(action); }
    void SetTimeLimit(std::uint64_t limitMs) { limitMs_ = limitMs; }

private:
    SystemTime timeOfDay_;
    std::uint64_t nowMs_ = 0;
    std::uint64_t sleeps_ = 0;
    std::uint64_t limitMs_ = 24ull * 3600 * 1000;
    std::multimap<std::uint64_t, std::function<void()>> scheduled_;
    std::function<void(std::uint32_t)> everySleep_;
};

}  // namespace zumbrik
