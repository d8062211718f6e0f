#pragma once
#include <memory>

#include "platform/wave_device.h"

namespace zumbrik {

// The system's default wave output through winmm. One looping buffer is
// prepared and written once; the device replays it until Reset.
class WinmmWaveDevice final : public WaveDevice {
public:
    WinmmWaveDevice();
    ~WinmmWaveDevice() override;
    WinmmWaveDevice(const WinmmWaveDevice&) = delete;
    WinmmWaveDevice& operator=(const WinmmWaveDevice&) = delete;

    bool Open(const WaveFormat& format) override;
    void PrepareHeader(WaveHeader& header) override;
    bool Write(WaveHeader& header) override;
    std::uint32_t GetPosition() override;
    void Reset() override;
    void UnprepareHeader(WaveHeader& header) override;
    void Close() override;

private:
    // The device handle and the one header the device reads from, which
    // must stay at one address from prepare to unprepare.
    struct Native;
    std::unique_ptr<Native> native_;
};

}  // namespace zumbrik
