#include "platform/posix/alsa_pcm_worker.h"

#include "platform/posix/alsa_library.h"

#include <pthread.h>
#include <sched.h>
#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

namespace zumbrik {

namespace {

// About three segments of the player's ring: short enough that pause and
// volume respond quickly, long enough to ride out a busy moment.
constexpr unsigned kLatencyMicroseconds = 60000;
// How long one wait for room in the PCM may keep a stop request waiting.
constexpr int kRoomWaitMs = 10;
constexpr std::uint32_t kFrameBytes = 4;  // 16-bit stereo

// Non-blocking, so a full buffer answers at once instead of holding the
// thread. Null on failure, with ALSA's error code in `error`.
snd_pcm_t* OpenPcm(const AlsaCalls& alsa, const std::string& name, unsigned channels, unsigned rate,
                   unsigned long& periodFrames, int& error) {
    snd_pcm_t* pcm = nullptr;
    error = alsa.pcmOpen(&pcm, name.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (error < 0) return nullptr;
    error = alsa.pcmSetParams(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, channels, rate, 1,
                              kLatencyMicroseconds);
    if (error < 0) {
        alsa.pcmClose(pcm);
        return nullptr;
    }
    snd_pcm_uframes_t bufferFrames = 0, period = 0;
    if (alsa.pcmGetParams(pcm, &bufferFrames, &period) < 0 || period == 0) period = 1024;
    periodFrames = period;
    return pcm;
}

}  // namespace

void PcmWorker::Run(std::shared_ptr<PcmWorker> self) {
    PcmWorker& worker = *self;
    // An output that writes into a pipe (ALSA's file output) gets SIGPIPE when
    // the reader goes; that must fail the write, not end the program with the
    // terminal still set up for the game.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    // Late audio is audible; ask for real-time scheduling and carry on without it.
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO);
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);

    const AlsaCalls& alsa = worker.alsa_;
    unsigned long periodFrames = 0;
    int error = 0;
    snd_pcm_t* pcm = OpenPcm(alsa, worker.pcmName_, worker.channels_, worker.rate_, periodFrames, error);
    std::unique_lock lock(worker.lock_);
    if (pcm == nullptr) {
        worker.openError_ = error;
        worker.status_ = Status::Failed;
        worker.changed_.notify_all();
        return;
    }
    worker.periodFrames_ = periodFrames;
    worker.period_.resize(periodFrames * kFrameBytes);
    worker.status_ = Status::Ready;
    worker.changed_.notify_all();
    for (;;) {
        worker.changed_.wait(lock, [&worker] { return worker.request_ != Request::None; });
        if (worker.request_ == Request::Close) break;
        if (worker.request_ == Request::Play) {
            worker.request_ = Request::None;
            worker.status_ = Status::Playing;
            lock.unlock();
            // Returns once a request is pending, or when the device has gone.
            worker.Feed(pcm);
            lock.lock();
            continue;
        }
        lock.unlock();
        alsa.pcmDrop(pcm);
        alsa.pcmPrepare(pcm);
        lock.lock();
        // A close asked for meanwhile stays pending for the next turn.
        if (worker.request_ == Request::Stop) worker.request_ = Request::None;
        worker.status_ = Status::Ready;
        worker.playedBytes_.store(0, std::memory_order_relaxed);
        worker.changed_.notify_all();
    }
    lock.unlock();
    alsa.pcmClose(pcm);
    lock.lock();
    worker.status_ = Status::Closed;
    worker.changed_.notify_all();
}

bool PcmWorker::CopyNextPeriod(std::uint32_t offset, std::uint32_t& frames) {
    queries_.load(std::memory_order_acquire);
    std::lock_guard guard(lock_);
    if (request_ != Request::None || ring_ == nullptr) return false;
    frames = static_cast<std::uint32_t>(
        std::min<unsigned long>(periodFrames_, (ringBytes_ - offset) / kFrameBytes));
    std::memcpy(period_.data(), ring_ + offset, frames * kFrameBytes);
    return true;
}

void PcmWorker::Feed(void* handle) {
    snd_pcm_t* pcm = static_cast<snd_pcm_t*>(handle);
    const AlsaCalls& alsa = alsa_;
    std::uint32_t offset = 0;  // in the ring
    std::uint64_t fed = 0;     // bytes handed to the PCM
    std::uint32_t frames = 0;
    while (CopyNextPeriod(offset, frames)) {
        const snd_pcm_sframes_t written = alsa.pcmWritei(pcm, period_.data(), frames);
        if (written == -EAGAIN) {
            alsa.pcmWait(pcm, kRoomWaitMs);
            continue;
        }
        if (written == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (written < 0) {
            // An underrun or a suspend is recovered from; a vanished device ends the feeding.
            if (alsa.pcmRecover(pcm, static_cast<int>(written), 1) < 0) return;
            continue;
        }
        const auto bytes = static_cast<std::uint32_t>(written) * kFrameBytes;
        fed += bytes;
        offset = (offset + bytes) % ringBytes_;
        // What is still queued in the PCM has not been heard yet.
        snd_pcm_sframes_t delay = 0;
        std::uint64_t played = fed;
        const bool delayKnown = alsa.pcmDelay(pcm, &delay) == 0;
        if (delayKnown && delay > 0) {
            played = fed - std::min<std::uint64_t>(static_cast<std::uint64_t>(delay) * kFrameBytes, fed);
        }
        playedBytes_.store(static_cast<std::uint32_t>(played), std::memory_order_release);
        // An output that keeps nothing queued right after a write swallows
        // audio without playing it (ALSA's null device): hold it to real time
        // instead of spinning. A real device always has the write queued.
        if (delayKnown && delay <= 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(static_cast<std::int64_t>(written) * 1000000 / rate_));
        }
    }
}

bool PcmWorker::WaitUntilOpen(std::chrono::milliseconds limit) {
    std::unique_lock lock(lock_);
    changed_.wait_for(lock, limit, [this] { return status_ != Status::Opening; });
    return status_ == Status::Ready;
}

int PcmWorker::OpenError() {
    std::lock_guard guard(lock_);
    return openError_;
}

bool PcmWorker::Play(const std::uint8_t* ring, std::uint32_t ringBytes) {
    std::lock_guard guard(lock_);
    if (status_ != Status::Ready || request_ != Request::None || ringBytes < kFrameBytes) return false;
    ring_ = ring;
    ringBytes_ = ringBytes - ringBytes % kFrameBytes;
    playedBytes_.store(0, std::memory_order_relaxed);
    request_ = Request::Play;
    changed_.notify_all();
    return true;
}

bool PcmWorker::Ask(Request request, Status awaited, std::chrono::milliseconds limit) {
    std::unique_lock lock(lock_);
    if (status_ == Status::Failed || status_ == Status::Closed) return true;
    // From here on the caller's buffer is never read again.
    ring_ = nullptr;
    if (request_ != Request::Close) request_ = request;
    changed_.notify_all();
    return changed_.wait_for(lock, limit, [this, awaited] {
        return status_ == Status::Failed || status_ == Status::Closed ||
               (request_ == Request::None && status_ == awaited);
    });
}

bool PcmWorker::Stop(std::chrono::milliseconds limit) { return Ask(Request::Stop, Status::Ready, limit); }

bool PcmWorker::Close(std::chrono::milliseconds limit) { return Ask(Request::Close, Status::Closed, limit); }

void PcmWorker::Abandon() {
    std::lock_guard guard(lock_);
    ring_ = nullptr;
    request_ = Request::Close;
    changed_.notify_all();
}

bool PcmWorker::Finished() {
    std::lock_guard guard(lock_);
    return status_ == Status::Failed || status_ == Status::Closed;
}

}  // namespace zumbrik
