#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "platform/virtual/capture_wave_device.h"

namespace zumbrik {
namespace {

TEST(MusicCaptureDeviceTest, RecordsWhatThePositionPassesOverAcrossTheEndOfTheLoop) {
    std::vector<std::int16_t> ring(16);
    for (std::size_t i = 0; i < ring.size(); ++i) ring[i] = static_cast<std::int16_t>(100 + i);
    WaveHeader header{reinterpret_cast<std::uint8_t*>(ring.data()), 32, WhdrBeginLoop | WhdrEndLoop, 0xFFFFFFFFu};

    CaptureWaveDevice device;
    EXPECT_FALSE(device.Write(header)) << "not open yet";
    device.Advance(8);
    EXPECT_TRUE(device.Played().empty());

    ASSERT_TRUE(device.Open(kOutputFormat));
    EXPECT_TRUE(device.FormatWasOutputFormat());
    ASSERT_TRUE(device.Write(header));
    device.Advance(24);
    device.Advance(16);  // runs over the end of the 32-byte loop
    EXPECT_EQ(device.GetPosition(), 40u);
    std::vector<std::int16_t> expected;
    for (int i = 0; i < 20; ++i) expected.push_back(static_cast<std::int16_t>(100 + i % 16));
    EXPECT_EQ(device.Played(), expected);

    device.Reset();
    EXPECT_FALSE(device.IsPlaying());
    EXPECT_EQ(device.GetPosition(), 0u);
    device.Advance(8);
    EXPECT_EQ(device.Played().size(), 20u) << "nothing plays after a reset";
    device.Close();
    device.Close();
    EXPECT_EQ(device.CloseCount(), 1u);
}

TEST(MusicCaptureDeviceTest, CaughtUpOnlyAfterTheSamePositionWasQueriedTwice) {
    std::vector<std::int16_t> ring(2048);
    WaveHeader header{reinterpret_cast<std::uint8_t*>(ring.data()), 4096, WhdrBeginLoop | WhdrEndLoop, 0xFFFFFFFFu};
    CaptureWaveDevice device;
    ASSERT_TRUE(device.Open(kOutputFormat));
    ASSERT_TRUE(device.Write(header));
    device.Advance(1024);
    EXPECT_FALSE(device.WaitUntilCaughtUp(std::chrono::milliseconds(5)));
    device.GetPosition();
    EXPECT_FALSE(device.WaitUntilCaughtUp(std::chrono::milliseconds(5)));
    device.GetPosition();
    EXPECT_TRUE(device.WaitUntilCaughtUp(std::chrono::milliseconds(5)));
    // Moving on, even to the same byte position after a reset, needs new queries.
    device.Advance(1024);
    EXPECT_FALSE(device.WaitUntilCaughtUp(std::chrono::milliseconds(5)));
    device.Reset();
}

}  // namespace
}  // namespace zumbrik
