#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#include <mmsystem.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/win32/winmm_wave_device.h"

namespace zumbrik {

struct WinmmWaveDevice::Native {
    HWAVEOUT device = nullptr;
    WAVEHDR header{};
    bool prepared = false;
    std::string openProblem;  // set by an open that failed

    std::mutex lock;
    std::condition_variable changed;
    bool callReturned = false;
    bool abandoned = false;  // nobody waits any more: the thread cleans up after itself
    bool released = false;   // a thread left behind has closed everything
};

namespace {

using Native = WinmmWaveDevice::Native;

constexpr const char* kMapperName = "wave mapper";

// The output's name as winmm gives it, and why the open failed in its words.
std::string DescribeOpenFailure(MMRESULT result) {
    std::string device = kMapperName;
    WAVEOUTCAPSA caps{};
    if (::waveOutGetDevCapsA(WAVE_MAPPER, &caps, sizeof caps) == MMSYSERR_NOERROR && caps.szPname[0] != 0) {
        device = caps.szPname;
    }
    char text[MAXERRORLENGTH] = {};
    if (::waveOutGetErrorTextA(result, text, sizeof text) != MMSYSERR_NOERROR || text[0] == 0) {
        return device + ": error " + std::to_string(result);
    }
    return device + ": " + text;
}

// Takes the header back and closes the handle.
void CloseHandle(Native& native) {
    if (native.device == nullptr) return;
    // A header still queued would keep the device open: take it back first.
    ::waveOutReset(native.device);
    if (native.prepared) {
        ::waveOutUnprepareHeader(native.device, &native.header, sizeof native.header);
        native.prepared = false;
    }
    ::waveOutClose(native.device);
    native.device = nullptr;
}

// Runs `call` on a thread of its own and waits up to `limit` for it to
// return. Past the limit the handle is abandoned: the thread closes it once
// the call returns, and the caller must not touch `native` again.
bool CallWithin(const std::shared_ptr<Native>& native, std::chrono::milliseconds limit,
                const std::function<void(Native&)>& call) {
    {
        std::lock_guard guard(native->lock);
        native->callReturned = false;
    }
    std::thread worker;
    try {
        worker = std::thread([native, call] {
            call(*native);
            std::unique_lock lock(native->lock);
            if (!native->abandoned) {
                native->callReturned = true;
                native->changed.notify_all();
                return;
            }
            lock.unlock();
            CloseHandle(*native);
            lock.lock();
            native->released = true;
        });
    } catch (...) {
        // No thread to spare: call as the device always did, without a limit.
        call(*native);
        return true;
    }
    std::unique_lock lock(native->lock);
    if (native->changed.wait_for(lock, limit, [&native] { return native->callReturned; })) {
        lock.unlock();
        worker.join();
        return true;
    }
    native->abandoned = true;
    lock.unlock();
    worker.detach();
    return false;
}

}  // namespace

WinmmWaveDevice::WinmmWaveDevice() : native_(std::make_shared<Native>()) {}

WinmmWaveDevice::~WinmmWaveDevice() { Close(); }

bool WinmmWaveDevice::Refuse(const std::string& reason) {
    problem_ = std::string(kMapperName) + ": " + reason;
    return false;
}

bool WinmmWaveDevice::Open(const WaveFormat& format) {
    Close();
    problem_.clear();
    if (stuck_ != nullptr) {
        std::lock_guard guard(stuck_->lock);
        if (!stuck_->released) return Refuse("an earlier use of it is still blocked");
    }
    stuck_.reset();
    WAVEFORMATEX wfx{};
    wfx.wFormatTag = format.formatTag;
    wfx.nChannels = format.channels;
    wfx.nSamplesPerSec = format.samplesPerSec;
    wfx.nAvgBytesPerSec = format.avgBytesPerSec;
    wfx.nBlockAlign = format.blockAlign;
    wfx.wBitsPerSample = format.bitsPerSample;
    const bool inTime = CallWithin(native_, kOpenLimit, [wfx](Native& native) mutable {
        HWAVEOUT device = nullptr;
        const MMRESULT result = ::waveOutOpen(&device, WAVE_MAPPER, &wfx, 0, 0, CALLBACK_NULL);
        if (result == MMSYSERR_NOERROR) {
            native.device = device;
        } else {
            native.openProblem = DescribeOpenFailure(result);
        }
    });
    if (!inTime) {
        LeaveBehind();
        return Refuse("did not open within " + std::to_string(kOpenLimit.count()) + " ms");
    }
    if (native_->device != nullptr) return true;
    problem_ = native_->openProblem;
    return false;
}

void WinmmWaveDevice::PrepareHeader(WaveHeader& header) {
    if (native_->device == nullptr) return;
    WAVEHDR& h = native_->header;
    h = WAVEHDR{};
    h.lpData = reinterpret_cast<LPSTR>(header.data);
    h.dwBufferLength = header.bufferLength;
    h.dwFlags = header.flags;
    h.dwLoops = header.loops;
    native_->prepared = ::waveOutPrepareHeader(native_->device, &h, sizeof h) == MMSYSERR_NOERROR;
}

bool WinmmWaveDevice::Write(WaveHeader&) {
    if (native_->device == nullptr || !native_->prepared) return false;
    return ::waveOutWrite(native_->device, &native_->header, sizeof native_->header) == MMSYSERR_NOERROR;
}

std::uint32_t WinmmWaveDevice::GetPosition() {
    if (native_->device == nullptr) return 0;
    MMTIME time{};
    time.wType = TIME_BYTES;
    if (::waveOutGetPosition(native_->device, &time, sizeof time) != MMSYSERR_NOERROR || time.wType != TIME_BYTES)
        return 0;
    return time.u.cb;
}

void WinmmWaveDevice::Reset() {
    if (native_->device == nullptr) return;
    if (!CallWithin(native_, kStopLimit, [](Native& native) { ::waveOutReset(native.device); })) LeaveBehind();
}

void WinmmWaveDevice::UnprepareHeader(WaveHeader&) {
    if (native_->device == nullptr || !native_->prepared) return;
    const bool inTime = CallWithin(native_, kStopLimit, [](Native& native) {
        ::waveOutUnprepareHeader(native.device, &native.header, sizeof native.header);
        native.prepared = false;
    });
    if (!inTime) LeaveBehind();
}

void WinmmWaveDevice::Close() {
    if (native_->device == nullptr) return;
    if (!CallWithin(native_, kStopLimit, CloseHandle)) LeaveBehind();
}

void WinmmWaveDevice::LeaveBehind() {
    stuck_ = std::move(native_);
    native_ = std::make_shared<Native>();
}

}  // namespace zumbrik
