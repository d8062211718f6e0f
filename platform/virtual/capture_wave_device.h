#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

#include "platform/wave_device.h"

namespace zumbrik {

// A wave device for tests and tools: nothing plays by itself. The test moves
// the play position with Advance, which records the bytes passed over as
// "played", exactly as a sound card would have read them from the ring.
class CaptureWaveDevice final : public WaveDevice {
public:
    // An unavailable device fails Open, like a machine without a sound card.
    explicit CaptureWaveDevice(bool available = true) : available_(available) {}
    // Destroying a device that still plays means a player may still call it: abort loudly.
    ~CaptureWaveDevice() override;
    CaptureWaveDevice(const CaptureWaveDevice&) = delete;
    CaptureWaveDevice& operator=(const CaptureWaveDevice&) = delete;

    bool Open(const WaveFormat& format) override;
    void PrepareHeader(WaveHeader& header) override;
    bool Write(WaveHeader& header) override;
    std::uint32_t GetPosition() override;
    void Reset() override;
    void UnprepareHeader(WaveHeader& header) override;
    void Close() override;

    // --- the test's side (one test thread) ---

    // Plays `bytes` more of the looping buffer: records them (when recording)
    // and then moves the position. Does nothing unless a buffer is playing,
    // or while the device is stalled.
    void Advance(std::uint32_t bytes);
    // A stalled device takes nothing: the position stays where it is, as with
    // a sound output that stopped reading, until the stall is lifted.
    void SetStalled(bool on) { stalled_.store(on, std::memory_order_relaxed); }
    // Waits until the output thread has queried the current position twice:
    // it only queries again once it has rendered every segment behind the
    // position it saw, so the ring is then full up to the play position.
    // False when that does not happen within the timeout.
    bool WaitUntilCaughtUp(std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));

    void SetRecording(bool on) { recording_ = on; }
    // The samples played so far (left, right per frame).
    const std::vector<std::int16_t>& Played() const { return played_; }
    void ClearPlayed() { played_.clear(); }

    bool IsOpen() const { return open_.load(std::memory_order_acquire); }
    bool IsPlaying() const { return ring_.load(std::memory_order_acquire) != nullptr; }
    std::uint32_t OpenCount() const { return opens_.load(std::memory_order_acquire); }
    std::uint32_t CloseCount() const { return closes_.load(std::memory_order_acquire); }
    std::uint32_t ResetCount() const { return resets_.load(std::memory_order_acquire); }
    bool FormatWasOutputFormat() const { return formatOk_.load(std::memory_order_acquire); }

private:
    // Generation (moves with every Advance, Write and Reset) in the high half,
    // byte position in the low half, so one load sees both consistently.
    static std::uint32_t PositionOf(std::uint64_t v) { return static_cast<std::uint32_t>(v); }

    const bool available_;
    std::atomic<bool> open_{false};
    std::atomic<bool> formatOk_{false};
    std::atomic<const std::uint8_t*> ring_{nullptr};
    std::atomic<std::uint32_t> ringBytes_{0};
    std::atomic<std::uint64_t> state_{0};
    std::atomic<std::uint64_t> lastQueried_{~0ull};
    std::atomic<std::uint64_t> confirmed_{~0ull};
    std::atomic<std::uint32_t> opens_{0}, closes_{0}, resets_{0};
    std::atomic<bool> stalled_{false};
    bool recording_ = true;
    std::vector<std::int16_t> played_;
};

}  // namespace zumbrik
