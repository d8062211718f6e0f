#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#include <mmsystem.h>

#include "platform/win32/winmm_wave_device.h"

namespace zumbrik {

struct WinmmWaveDevice::Native {
    HWAVEOUT device = nullptr;
    WAVEHDR header{};
    bool prepared = false;
};

WinmmWaveDevice::WinmmWaveDevice() : native_(std::make_unique<Native>()) {}

WinmmWaveDevice::~WinmmWaveDevice() { Close(); }

bool WinmmWaveDevice::Open(const WaveFormat& format) {
    Close();
    WAVEFORMATEX wfx{};
    wfx.wFormatTag = format.formatTag;
    wfx.nChannels = format.channels;
    wfx.nSamplesPerSec = format.samplesPerSec;
    wfx.nAvgBytesPerSec = format.avgBytesPerSec;
    wfx.nBlockAlign = format.blockAlign;
    wfx.wBitsPerSample = format.bitsPerSample;
    HWAVEOUT device = nullptr;
    if (::waveOutOpen(&device, WAVE_MAPPER, &wfx, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return false;
    native_->device = device;
    return true;
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
    if (native_->device != nullptr) ::waveOutReset(native_->device);
}

void WinmmWaveDevice::UnprepareHeader(WaveHeader&) {
    if (native_->device == nullptr || !native_->prepared) return;
    ::waveOutUnprepareHeader(native_->device, &native_->header, sizeof native_->header);
    native_->prepared = false;
}

void WinmmWaveDevice::Close() {
    if (native_->device == nullptr) return;
    // A header still queued would keep the device open: take it back first.
    ::waveOutReset(native_->device);
    if (native_->prepared) {
        ::waveOutUnprepareHeader(native_->device, &native_->header, sizeof native_->header);
        native_->prepared = false;
    }
    ::waveOutClose(native_->device);
    native_->device = nullptr;
}

}  // namespace zumbrik
