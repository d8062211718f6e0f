#pragma once
#include <atomic>
#include <cstdint>
#include <thread>

#include "platform/wave_device.h"

namespace zumbrik {

// The system's default sound output through ALSA. A device thread feeds the
// looping buffer to the PCM period by period and reports the bytes played,
// so a position query answers as the system's wave output would.
// Nothing is ever printed: a machine without sound just fails Open.
class AlsaWaveDevice final : public WaveDevice {
public:
    // The system's default output; tests name another PCM (e.g. "null").
    explicit AlsaWaveDevice(const char* pcmName = "default") : pcmName_(pcmName) {}
    ~AlsaWaveDevice() override;
    AlsaWaveDevice(const AlsaWaveDevice&) = delete;
    AlsaWaveDevice& operator=(const AlsaWaveDevice&) = delete;

    bool Open(const WaveFormat& format) override;
    void PrepareHeader(WaveHeader& header) override;
    bool Write(WaveHeader& header) override;
    std::uint32_t GetPosition() override;
    void Reset() override;
    void UnprepareHeader(WaveHeader& header) override;
    void Close() override;

private:
    void Feed();

    const char* pcmName_;
    void* pcm_ = nullptr;  // snd_pcm_t*, kept opaque so the header needs no ALSA
    unsigned long periodFrames_ = 0;
    const std::uint8_t* ring_ = nullptr;
    std::uint32_t ringBytes_ = 0;
    std::thread feeder_;
    std::atomic<bool> stopFeeding_{false};
    std::atomic<std::uint32_t> playedBytes_{0};
    // Bumped by every position query: the output thread only queries once it
    // has finished rendering, so the feeder's acquire of this count orders
    // the rendered ring bytes before its reads of them.
    std::atomic<std::uint32_t> queries_{0};
};

}  // namespace zumbrik
