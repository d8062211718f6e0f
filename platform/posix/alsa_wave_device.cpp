#include "platform/posix/alsa_wave_device.h"

#if ZUMBRIK_HAVE_ALSA
#include <alsa/asoundlib.h>

#include "platform/posix/alsa_pcm_worker.h"
#endif

namespace zumbrik {

#if ZUMBRIK_HAVE_ALSA

namespace {

// ALSA reports its own errors on stderr, which would land on the game screen.
void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

AlsaWaveDevice::~AlsaWaveDevice() {
    Reset();
    Close();
}

bool AlsaWaveDevice::Open(const WaveFormat& format) {
    if (worker_ != nullptr) return false;
    if (format.formatTag != 1 || format.bitsPerSample != 16 || format.channels != 2) return false;
    if (stuck_ != nullptr) {
        if (!stuck_->Finished()) return false;
        stuck_.reset();
    }
    snd_lib_error_set_handler(IgnoreAlsaError);
    auto worker = std::make_shared<PcmWorker>(pcmName_, format.channels, format.samplesPerSec);
    try {
        thread_ = std::thread(PcmWorker::Run, worker);
    } catch (...) {
        return false;
    }
    worker_ = std::move(worker);
    if (worker_->WaitUntilOpen(kOpenLimit)) return true;
    LeaveBehind();
    return false;
}

void AlsaWaveDevice::PrepareHeader(WaveHeader&) {}

bool AlsaWaveDevice::Write(WaveHeader& header) {
    if (worker_ == nullptr || header.data == nullptr) return false;
    return worker_->Play(header.data, header.bufferLength);
}

std::uint32_t AlsaWaveDevice::GetPosition() { return worker_ != nullptr ? worker_->Position() : 0; }

void AlsaWaveDevice::Reset() {
    if (worker_ != nullptr && !worker_->Stop(kStopLimit)) LeaveBehind();
}

void AlsaWaveDevice::UnprepareHeader(WaveHeader&) {}

void AlsaWaveDevice::Close() {
    if (worker_ == nullptr) return;
    if (!worker_->Close(kStopLimit)) {
        LeaveBehind();
        return;
    }
    thread_.join();
    worker_.reset();
}

void AlsaWaveDevice::LeaveBehind() {
    worker_->Abandon();
    if (worker_->Finished()) {
        thread_.join();
    } else {
        thread_.detach();
        stuck_ = worker_;
    }
    worker_.reset();
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
void AlsaWaveDevice::Reset() {}
void AlsaWaveDevice::UnprepareHeader(WaveHeader&) {}
void AlsaWaveDevice::Close() {}
void AlsaWaveDevice::LeaveBehind() {}

#endif

}  // namespace zumbrik
