#pragma once
#include <cstdint>

#include "platform/clock.h"

namespace zumbrik {

// The game's own generator, so a seed gives the same shapes on every platform.
class GameRandom {
public:
    explicit GameRandom(std::uint32_t seed = 0) : state_(seed) {}
    // The next value, 0..32767.
    std::uint32_t Next() {
        state_ = state_ * 214013u + 2531011u;
        return (state_ >> 16) & 0x7FFFu;
    }

private:
    std::uint32_t state_;
};

// Seconds since midnight UTC, 0..86399.
inline std::uint32_t SeedFromTimeOfDay(const SystemTime& time) {
    return time.wHour * 3600u + time.wMinute * 60u + time.wSecond;
}

}  // namespace zumbrik
