#include "platform/posix/alsa_wave_device.h"

#if ZUMBRIK_HAVE_ALSA
#include "platform/posix/alsa_library.h"
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

bool AlsaWaveDevice::Refuse(const std::string& reason) {
    problem_ = pcmName_ + ": " + reason;
    return false;
}

bool AlsaWaveDevice::Open(const WaveFormat& format) {
    if (worker_ != nullptr) return Refuse("already open");
    problem_.clear();
    if (format.formatTag != 1 || format.bitsPerSample != 16 || format.channels != 2) {
        return Refuse("only 16-bit stereo PCM is played");
    }
    if (stuck_ != nullptr) {
        if (!stuck_->Finished()) return Refuse("an earlier use of it is still blocked");
        stuck_.reset();
    }
    std::string loadProblem;
    const AlsaCalls* alsa = LoadAlsaCalls(loadProblem);
    if (alsa == nullptr) {
        problem_ = loadProblem;
        return false;
    }
    alsa->libErrorSetHandler(IgnoreAlsaError);
    auto worker = std::make_shared<PcmWorker>(*alsa, pcmName_, format.channels, format.samplesPerSec);
    try {
        thread_ = std::thread(PcmWorker::Run, worker);
    } catch (...) {
        return Refuse("no thread to open it on");
    }
    worker_ = std::move(worker);
    if (worker_->WaitUntilOpen(kOpenLimit)) return true;
    const int error = worker_->OpenError();
    LeaveBehind();
    if (error < 0) return Refuse(alsa->strerror(error));
    return Refuse("did not open within " + std::to_string(kOpenLimit.count()) + " ms");
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
bool AlsaWaveDevice::Refuse(const std::string& reason) {
    problem_ = pcmName_ + ": " + reason;
    return false;
}
bool AlsaWaveDevice::Open(const WaveFormat&) { return Refuse("this build has no ALSA"); }
void AlsaWaveDevice::PrepareHeader(WaveHeader&) {}
bool AlsaWaveDevice::Write(WaveHeader&) { return false; }
std::uint32_t AlsaWaveDevice::GetPosition() { return 0; }
void AlsaWaveDevice::Reset() {}
void AlsaWaveDevice::UnprepareHeader(WaveHeader&) {}
void AlsaWaveDevice::Close() {}
void AlsaWaveDevice::LeaveBehind() {}

#endif

}  // namespace zumbrik
