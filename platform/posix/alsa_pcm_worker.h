#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zumbrik {

struct AlsaCalls;

// One ALSA PCM and the thread that makes every call on it, from open to
// close. Some outputs block inside ALSA for good (the file plugin opening or
// writing a FIFO that nobody reads), so whoever drives the worker waits for
// it only up to a limit and past that walks away: the thread keeps its own
// reference to this state, closes the PCM itself if it ever gets going again,
// and never reads the caller's buffer after a stop has been asked for.
class PcmWorker {
public:
    enum class Status { Opening, Ready, Playing, Failed, Closed };

    PcmWorker(const AlsaCalls& alsa, std::string pcmName, unsigned channels, unsigned rate)
        : alsa_(alsa), pcmName_(std::move(pcmName)), channels_(channels), rate_(rate) {}
    PcmWorker(const PcmWorker&) = delete;
    PcmWorker& operator=(const PcmWorker&) = delete;

    // The thread's body; it holds `self` for as long as it runs.
    static void Run(std::shared_ptr<PcmWorker> self);

    // True once the PCM is open; false when opening failed or takes longer than `limit`.
    bool WaitUntilOpen(std::chrono::milliseconds limit);
    // ALSA's (negative) error code when opening failed, else 0.
    int OpenError();
    // Starts feeding the looping buffer. False unless the PCM is open and idle.
    bool Play(const std::uint8_t* ring, std::uint32_t ringBytes);
    // Stops feeding and drops what is queued; true when done within `limit`.
    bool Stop(std::chrono::milliseconds limit);
    // Closes the PCM and ends the thread; true when done within `limit`.
    bool Close(std::chrono::milliseconds limit);
    // Asks the thread to close the PCM whenever it can, without waiting for it.
    void Abandon();
    // Whether the thread has let go of the PCM (closed it or never opened it).
    bool Finished();

    // Bytes played since Play; wraps at 2^32. Queried by the player's output
    // thread, which only queries once it has rendered: the count orders the
    // rendered ring bytes before the worker's reads of them.
    std::uint32_t Position() {
        queries_.fetch_add(1, std::memory_order_release);
        return playedBytes_.load(std::memory_order_acquire);
    }

private:
    enum class Request { None, Play, Stop, Close };

    void Feed(void* pcm);
    bool CopyNextPeriod(std::uint32_t offset, std::uint32_t& frames);
    bool Ask(Request request, Status awaited, std::chrono::milliseconds limit);

    const AlsaCalls& alsa_;
    const std::string pcmName_;
    const unsigned channels_;
    const unsigned rate_;
    unsigned long periodFrames_ = 0;  // set by the thread before Ready

    std::mutex lock_;
    std::condition_variable changed_;
    Status status_ = Status::Opening;
    int openError_ = 0;
    Request request_ = Request::None;
    const std::uint8_t* ring_ = nullptr;  // read only under lock_, while no request is pending
    std::uint32_t ringBytes_ = 0;

    std::vector<std::uint8_t> period_;  // the thread's copy of the period it writes
    std::atomic<std::uint32_t> playedBytes_{0};
    std::atomic<std::uint32_t> queries_{0};
};

}  // namespace zumbrik
