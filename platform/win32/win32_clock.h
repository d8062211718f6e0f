#pragma once

#include "platform/clock.h"

namespace zumbrik {

// Real time: the platform's Sleep and its UTC clock.
class Win32Clock final : public Clock {
public:
    void Sleep(std::uint32_t ms) override;
    SystemTime GetSystemTime() override;
};

}  // namespace zumbrik
