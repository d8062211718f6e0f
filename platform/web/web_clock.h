#pragma once
#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "platform/web/web_score_store.h"

namespace zumbrik {

// The browser's clock. A page cannot sleep: its game runs as steps and the
// page waits between them on a timer, so Sleep is never called there, and
// returns at once rather than freeze the page if it were.
class WebClock final : public Clock, public StoreTime {
public:
    void Sleep(std::uint32_t) override {}
    SystemTime GetSystemTime() override;
    std::int64_t EpochMs() override;
    std::string LocalDateTime() override;
};

}  // namespace zumbrik
