#include "platform/posix/alsa_wave_device.h"

#include <algorithm>
#include <chrono>

#if ZUMBRIK_HAVE_ALSA
#include <alsa/asoundlib.h>
#include <pthread.h>
#include <sched.h>
#endif

namespace zumbrik {

#if ZUMBRIK_HAVE_ALSA

namespace {

// ALSA reports its own errors on stderr, which would land on the game screen.
void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

snd_pcm_t* Pcm(void* handle) { return static_cast<snd_pcm_t*>(handle); }

// About three segments of the player's ring: short enough that pause and
// volume respond quickly, long enough to ride out a busy moment.
constexpr unsigned kLatencyMicroseconds = 60000;

}  // namespace

AlsaWaveDevice::~AlsaWaveDevice() {
    Reset();
    Close();
}

bool AlsaWaveDevice::Open(const WaveFormat& format) {
    if (pcm_ != nullptr) return false;
    if (format.formatTag != 1 || format.bitsPerSample != 16) return false;
    snd_lib_error_set_handler(IgnoreAlsaError);
    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, pcmName_, SND_PCM_STREAM_PLAYBACK, 0) < 0) return false;
    if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, format.channels,
                           format.samplesPerSec, 1, kLatencyMicroseconds) < 0) {
        snd_pcm_close(pcm);
        return false;
    }
    snd_pcm_uframes_t bufferFrames = 0, periodFrames = 0;
    if (snd_pcm_get_params(pcm, &bufferFrames, &periodFrames) < 0 || periodFrames == 0) periodFrames = 1024;
    periodFrames_ = periodFrames;
    pcm_ = pcm;
    return true;
}

void AlsaWaveDevice::PrepareHeader(WaveHeader&) {}

bool AlsaWaveDevice::Write(WaveHeader& header) {
    if (pcm_ == nullptr || feeder_.joinable() || header.data == nullptr || header.bufferLength < 4) return false;
    ring_ = header.data;
    ringBytes_ = header.bufferLength & ~3u;
    playedBytes_.store(0, std::memory_order_relaxed);
    stopFeeding_.store(false, std::memory_order_relaxed);
    try {
        feeder_ = std::thread(&AlsaWaveDevice::Feed, this);
    } catch (...) {
        return false;
    }
    return true;
}

std::uint32_t AlsaWaveDevice::GetPosition() {
    queries_.fetch_add(1, std::memory_order_release);
    return playedBytes_.load(std::memory_order_acquire);
}

void AlsaWaveDevice::Feed() {
    // Late audio is audible; ask for real-time scheduling and carry on without it.
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO);
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);

    snd_pcm_t* pcm = Pcm(pcm_);
    std::uint32_t offset = 0;  // in the ring
    std::uint64_t fed = 0;     // bytes handed to the PCM
    while (!stopFeeding_.load(std::memory_order_acquire)) {
        queries_.load(std::memory_order_acquire);
        const auto frames = static_cast<snd_pcm_uframes_t>(
            std::min<std::uint32_t>(static_cast<std::uint32_t>(periodFrames_), (ringBytes_ - offset) / 4));
        const snd_pcm_sframes_t written = snd_pcm_writei(pcm, ring_ + offset, frames);
        if (written == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (written < 0) {
            // An underrun or a suspend is recovered from; a vanished device ends the feeding.
            if (snd_pcm_recover(pcm, static_cast<int>(written), 1) < 0) break;
            continue;
        }
        const auto bytes = static_cast<std::uint32_t>(written) * 4;
        fed += bytes;
        offset = (offset + bytes) % ringBytes_;
        // What is still queued in the PCM has not been heard yet.
        snd_pcm_sframes_t delay = 0;
        std::uint64_t played = fed;
        const bool delayKnown = snd_pcm_delay(pcm, &delay) == 0;
        if (delayKnown && delay > 0) {
            played = fed - std::min<std::uint64_t>(static_cast<std::uint64_t>(delay) * 4, fed);
        }
        playedBytes_.store(static_cast<std::uint32_t>(played), std::memory_order_release);
        // An output that keeps nothing queued right after a write swallows
        // audio without playing it (ALSA's null device): hold it to real time
        // instead of spinning. A real device always has the write queued.
        if (delayKnown && delay <= 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(static_cast<std::int64_t>(written) * 1000000 / 48000));
        }
    }
}

void AlsaWaveDevice::Reset() {
    if (feeder_.joinable()) {
        stopFeeding_.store(true, std::memory_order_release);
        feeder_.join();
    }
    if (pcm_ != nullptr) {
        snd_pcm_drop(Pcm(pcm_));
        snd_pcm_prepare(Pcm(pcm_));
    }
    ring_ = nullptr;
    ringBytes_ = 0;
    playedBytes_.store(0, std::memory_order_relaxed);
}

void AlsaWaveDevice::UnprepareHeader(WaveHeader&) {}

void AlsaWaveDevice::Close() {
    if (pcm_ == nullptr) return;
    Reset();
    snd_pcm_close(Pcm(pcm_));
    pcm_ = nullptr;
}

#else  // built without the ALSA headers: there is never a device, and the game plays silently

AlsaWaveDevice::~AlsaWaveDevice() = default;
bool AlsaWaveDevice::Open(const WaveFormat&) {
    (void)pcmName_;
    return false;
}
void AlsaWaveDevice::PrepareHeader(WaveHeader&) {}
bool AlsaWaveDevice::Write(WaveHeader&) { return false; }
std::uint32_t AlsaWaveDevice::GetPosition() { return 0; }
void AlsaWaveDevice::Reset() {
    ring_ = nullptr;
    ringBytes_ = 0;
}
void AlsaWaveDevice::UnprepareHeader(WaveHeader&) {}
void AlsaWaveDevice::Close() {
    pcm_ = nullptr;
    periodFrames_ = 0;
}
void AlsaWaveDevice::Feed() {}

#endif

}  // namespace zumbrik
