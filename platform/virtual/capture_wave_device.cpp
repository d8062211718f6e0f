#include "platform/virtual/capture_wave_device.h"

#include <cstdlib>
#include <cstring>
#include <thread>

namespace zumbrik {

namespace {
std::uint64_t NextGeneration(std::uint64_t v, std::uint32_t position) {
    return (((v >> 32) + 1) << 32) | position;
}
}  // namespace

CaptureWaveDevice::~CaptureWaveDevice() {
    if (IsPlaying()) std::abort();
}

bool CaptureWaveDevice::Open(const WaveFormat& format) {
    if (!available_) return false;
    formatOk_.store(std::memcmp(&format, &kOutputFormat, sizeof format) == 0, std::memory_order_release);
    opens_.fetch_add(1, std::memory_order_acq_rel);
    open_.store(true, std::memory_order_release);
    return true;
}

void CaptureWaveDevice::PrepareHeader(WaveHeader&) {}

bool CaptureWaveDevice::Write(WaveHeader& header) {
    if (!open_.load(std::memory_order_acquire) || header.data == nullptr || header.bufferLength == 0) return false;
    ringBytes_.store(header.bufferLength, std::memory_order_relaxed);
    state_.store(NextGeneration(state_.load(std::memory_order_relaxed), 0), std::memory_order_release);
    ring_.store(header.data, std::memory_order_release);
    return true;
}

std::uint32_t CaptureWaveDevice::GetPosition() {
    const std::uint64_t v = state_.load(std::memory_order_acquire);
    // A second query of the same position means every segment behind it has
    // been rendered; the release publishes those ring writes to the test.
    if (lastQueried_.exchange(v, std::memory_order_relaxed) == v) confirmed_.store(v, std::memory_order_release);
    return PositionOf(v);
}

void CaptureWaveDevice::Reset() {
    resets_.fetch_add(1, std::memory_order_acq_rel);
    ring_.store(nullptr, std::memory_order_release);
    state_.store(NextGeneration(state_.load(std::memory_order_relaxed), 0), std::memory_order_release);
}

void CaptureWaveDevice::UnprepareHeader(WaveHeader&) {}

void CaptureWaveDevice::Close() {
    if (!open_.exchange(false, std::memory_order_acq_rel)) return;
    closes_.fetch_add(1, std::memory_order_acq_rel);
}

void CaptureWaveDevice::Advance(std::uint32_t bytes) {
    const std::uint8_t* ring = ring_.load(std::memory_order_acquire);
    if (ring == nullptr || stalled_.load(std::memory_order_relaxed)) return;
    const std::uint32_t size = ringBytes_.load(std::memory_order_relaxed);
    const std::uint64_t v = state_.load(std::memory_order_acquire);
    const std::uint32_t start = PositionOf(v);
    if (recording_) {
        for (std::uint32_t i = 0; i + 1 < bytes; i += 2) {
            std::int16_t sample;
            std::memcpy(&sample, ring + (start + i) % size, sizeof sample);
            played_.push_back(sample);
        }
    }
    // Recorded first, moved second: the output thread may rewrite what lies
    // behind the new position only after it sees it.
    // A Reset in between wins: the position then stays at its start.
    std::uint64_t expected = v;
    state_.compare_exchange_strong(expected, NextGeneration(v, start + bytes), std::memory_order_acq_rel);
}

bool CaptureWaveDevice::WaitUntilCaughtUp(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const std::uint64_t target = state_.load(std::memory_order_acquire);
    while (confirmed_.load(std::memory_order_acquire) != target) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace zumbrik
