#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/winmm_wave_device.h"

// Run by ctest twice: with a sound device that plays into nothing, and with
// one that cannot be opened (see CMakeLists.txt).
namespace zumbrik {
namespace {

constexpr std::uint32_t kRingBytes = 65536;

WaveHeader LoopingHeader(std::vector<std::uint8_t>& ring) {
    return WaveHeader{ring.data(), static_cast<std::uint32_t>(ring.size()), WhdrBeginLoop | WhdrEndLoop, 0xFFFFFFFF};
}

// Waits until the device has played past `bytes`, or two seconds pass.
bool PlaysPast(WinmmWaveDevice& device, std::uint32_t bytes) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (device.GetPosition() <= bytes) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

TEST(WinmmDeviceTest, LoopsOneBufferUntilResetAndClosesCleanly) {
    WinmmWaveDevice device;
    std::vector<std::uint8_t> ring(kRingBytes, 0);
    WaveHeader header = LoopingHeader(ring);
    ASSERT_TRUE(device.Open(kOutputFormat)) << device.OpenProblem();
    EXPECT_EQ(device.OpenProblem(), "");
    device.PrepareHeader(header);
    ASSERT_TRUE(device.Write(header));
    // Past the end of the buffer: the device went round the loop.
    EXPECT_TRUE(PlaysPast(device, kRingBytes + 4096)) << "position " << device.GetPosition();
    device.Reset();
    device.UnprepareHeader(header);
    device.Close();
    EXPECT_EQ(device.GetPosition(), 0u);
    EXPECT_FALSE(device.Write(header));
    // A closed device opens again.
    ASSERT_TRUE(device.Open(kOutputFormat));
    device.Close();
}

TEST(WinmmDeviceTest, ClosingWhilePlayingStopsTheDevice) {
    std::vector<std::uint8_t> ring(kRingBytes, 0);
    WaveHeader header = LoopingHeader(ring);
    {
        WinmmWaveDevice device;
        ASSERT_TRUE(device.Open(kOutputFormat));
        device.PrepareHeader(header);
        ASSERT_TRUE(device.Write(header));
        EXPECT_TRUE(PlaysPast(device, 0));
    }  // destroyed while playing: must reset, unprepare and close on its own
    WinmmWaveDevice again;
    EXPECT_TRUE(again.Open(kOutputFormat));
}

TEST(WinmmDeviceNoCardTest, OpenFailsSaysWhyAndNothingElseDoesHarm) {
    WinmmWaveDevice device;
    std::vector<std::uint8_t> ring(kRingBytes, 0);
    WaveHeader header = LoopingHeader(ring);
    EXPECT_FALSE(device.Open(kOutputFormat));
    // The device's name, then winmm's words for the failure.
    const std::string problem = device.OpenProblem();
    const std::size_t colon = problem.find(": ");
    EXPECT_TRUE(colon != std::string::npos && colon > 0 && problem.size() > colon + 2) << problem;
    std::printf("no device: %s\n", problem.c_str());
    device.PrepareHeader(header);
    EXPECT_FALSE(device.Write(header));
    EXPECT_EQ(device.GetPosition(), 0u);
    device.Reset();
    device.UnprepareHeader(header);
    device.Close();
}

}  // namespace
}  // namespace zumbrik
