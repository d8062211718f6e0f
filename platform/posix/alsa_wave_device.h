#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "platform/wave_device.h"

namespace zumbrik {

class PcmWorker;

// A sound output through ALSA, its library loaded at the first open. A thread of the device's
// own makes every ALSA call: it feeds the looping buffer to the PCM period by
// period and reports the bytes played, so a position query answers as the
// system's wave output would. No call waits for that thread without a limit:
// an output that stops taking audio (or never finishes opening) is left to
// it, Open then fails and Reset and Close return all the same.
// Nothing is ever printed: a machine without sound just fails Open, and
// OpenProblem says why.
class AlsaWaveDevice final : public WaveDevice {
public:
    // How long Open waits for the PCM; the game starts silent after that.
    static constexpr std::chrono::milliseconds kOpenLimit{1000};
    // How long Reset and Close each wait for the PCM to stop or close.
    static constexpr std::chrono::milliseconds kStopLimit{250};

    // The system's default output, or any PCM by its ALSA name ("hw:1", "null", ...).
    explicit AlsaWaveDevice(std::string pcmName = "default") : pcmName_(std::move(pcmName)) {}
    ~AlsaWaveDevice() override;
    AlsaWaveDevice(const AlsaWaveDevice&) = delete;
    AlsaWaveDevice& operator=(const AlsaWaveDevice&) = delete;

    bool Open(const WaveFormat& format) override;
    // "PCM name: reason", e.g. "default: No such file or directory".
    std::string OpenProblem() const override { return problem_; }
    void PrepareHeader(WaveHeader& header) override;
    bool Write(WaveHeader& header) override;
    std::uint32_t GetPosition() override;
    void Reset() override;
    void UnprepareHeader(WaveHeader& header) override;
    void Close() override;

private:
    // Lets the worker finish (or hang) on its own and forgets the PCM.
    void LeaveBehind();

    // Fails Open with the reason said.
    bool Refuse(const std::string& reason);

    const std::string pcmName_;
    std::string problem_;  // of the last Open, "" when it opened
    std::shared_ptr<PcmWorker> worker_;  // the open PCM's
    std::thread thread_;
    // A worker left behind still blocked in ALSA: the output is stuck, and
    // opening it again would only block another thread.
    std::shared_ptr<PcmWorker> stuck_;
};

}  // namespace zumbrik
