#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/alsa_wave_device.h"
#include "player/module_player.h"
#include "tests/player/offline_render.h"

namespace zumbrik {
namespace {

// Everything written to the standard error stream while `action` runs.
template <typename Action>
std::string StandardErrorOf(Action action) {
    std::fflush(stderr);
    std::FILE* capture = std::tmpfile();
    const int saved = dup(STDERR_FILENO);
    dup2(fileno(capture), STDERR_FILENO);
    action();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    std::string text;
    std::rewind(capture);
    for (int c; (c = std::fgetc(capture)) != EOF;) text.push_back(static_cast<char>(c));
    std::fclose(capture);
    return text;
}

// A missing device must not print over the game screen, whatever ALSA thinks of it.
TEST(MusicAlsaDeviceTest, ADeviceThatCannotOpenPrintsNothing) {
    const std::string printed = StandardErrorOf([] {
        AlsaWaveDevice missing("zumbrik_no_such_pcm");
        EXPECT_FALSE(missing.Open(kOutputFormat));
        WaveHeader header{};
        EXPECT_FALSE(missing.Write(header));
        missing.Reset();
        missing.Close();
    });
    EXPECT_EQ(printed, "");
}

// ALSA's "null" output swallows audio without a sound card; the device holds it to real time.
TEST(MusicAlsaDeviceTest, FeedsTheLoopingBufferAndStopsOnReset) {
    AlsaWaveDevice device("null");
    if (!device.Open(kOutputFormat)) GTEST_SKIP() << "no ALSA null output here";
    EXPECT_FALSE(device.Open(kOutputFormat)) << "already open";
    std::vector<std::int16_t> ring(32768, 7);
    WaveHeader header{reinterpret_cast<std::uint8_t*>(ring.data()), 65536, WhdrBeginLoop | WhdrEndLoop, 0xFFFFFFFFu};
    device.PrepareHeader(header);
    ASSERT_TRUE(device.Write(header));
    EXPECT_FALSE(device.Write(header)) << "one buffer at a time";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    const auto start = std::chrono::steady_clock::now();
    while (device.GetPosition() < 2 * 65536u && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GE(device.GetPosition(), 2 * 65536u) << "the feeder loops over the buffer";
    // Two laps are 0.68 s of audio: a spinning feeder would take a few milliseconds.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    device.Reset();
    EXPECT_EQ(device.GetPosition(), 0u);
    device.UnprepareHeader(header);
    device.Close();
    EXPECT_TRUE(device.Open(kOutputFormat)) << "a closed device opens again";
    device.Close();
}

TEST(MusicAlsaDeviceTest, ThePlayerRunsOverIt) {
    static AlsaWaveDevice device("null");
    if (!device.Open(kOutputFormat)) GTEST_SKIP() << "no ALSA null output here";
    device.Close();
    UseWaveDevice(&device);
    const std::vector<std::uint8_t> theme = test::ThemeBytes();
    ASSERT_NE(PlayModule(reinterpret_cast<std::uintptr_t>(theme.data()), theme.size(), MemorySource), 0u);
    const std::uint32_t preRendered = GetElapsedMs();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (GetElapsedMs() < preRendered + 200 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_GE(GetElapsedMs(), preRendered + 200) << "the output thread renders as the device plays";
    UseWaveDevice(nullptr);
    EXPECT_EQ(GetElapsedMs(), 0u);
}

}  // namespace
}  // namespace zumbrik
