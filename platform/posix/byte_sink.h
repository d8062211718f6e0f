#pragma once
#include <cstddef>
#include <string_view>

namespace zumbrik {

// Where the presenter's bytes go: the terminal, or a counter in benchmarks.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void Write(std::string_view bytes) = 0;
};

// Writes everything to a file descriptor, riding out interruptions and a
// full, non-blocking descriptor. Gives up silently if the descriptor fails:
// a vanished terminal is reported by SIGHUP, not here.
class FdSink final : public ByteSink {
public:
    explicit FdSink(int fd) : fd_(fd) {}
    void Write(std::string_view bytes) override;

private:
    int fd_;
};

}  // namespace zumbrik
