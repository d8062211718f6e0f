#pragma once
#include <chrono>
#include <memory>
#include <string>

#include "platform/wave_device.h"

namespace zumbrik {

// The system's default wave output through winmm. One looping buffer is
// prepared and written once; the device replays it until Reset.
// Opening, resetting and closing run on a thread of their own and are waited
// for only up to a limit: a driver that stops taking audio (Wine's ALSA
// driver writing into a stalled FIFO) blocks them for good. Past the limit
// that thread is left to finish the teardown whenever the driver lets it,
// and the device no longer plays.
class WinmmWaveDevice final : public WaveDevice {
public:
    static constexpr std::chrono::milliseconds kOpenLimit{1000};
    static constexpr std::chrono::milliseconds kStopLimit{250};

    WinmmWaveDevice();
    ~WinmmWaveDevice() override;
    WinmmWaveDevice(const WinmmWaveDevice&) = delete;
    WinmmWaveDevice& operator=(const WinmmWaveDevice&) = delete;

    bool Open(const WaveFormat& format) override;
    // "device: reason", the device as winmm names the wave mapper and the
    // reason in winmm's words, e.g. "Wine Sound Mapper: ...".
    std::string OpenProblem() const override { return problem_; }
    void PrepareHeader(WaveHeader& header) override;
    bool Write(WaveHeader& header) override;
    std::uint32_t GetPosition() override;
    void Reset() override;
    void UnprepareHeader(WaveHeader& header) override;
    void Close() override;

    // The device handle and the one header the device reads from, which
    // must stay at one address from prepare to unprepare; shared with a
    // thread left behind, which may still use them.
    struct Native;

private:
    // Forgets a handle whose call did not return in time.
    void LeaveBehind();
    // Fails Open with the reason said.
    bool Refuse(const std::string& reason);

    std::shared_ptr<Native> native_;
    // A handle left behind whose thread is still blocked in the driver:
    // opening again would only block another thread.
    std::shared_ptr<Native> stuck_;
    std::string problem_;  // of the last Open, "" when it opened
};

}  // namespace zumbrik
