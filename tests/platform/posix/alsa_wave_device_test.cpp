#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/alsa_wave_device.h"
#include "player/background/module_player.h"
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

// A missing device must not print over the game screen, whatever ALSA
// thinks of it; it says why it failed when asked, in ALSA's words.
TEST(MusicAlsaDeviceTest, ADeviceThatCannotOpenPrintsNothingAndSaysWhy) {
    const std::string printed = StandardErrorOf([] {
        AlsaWaveDevice missing("zumbrik_no_such_pcm");
        EXPECT_FALSE(missing.Open(kOutputFormat));
        EXPECT_EQ(missing.OpenProblem(), "zumbrik_no_such_pcm: No such file or directory");
        WaveFormat mono = kOutputFormat;
        mono.channels = 1;
        EXPECT_FALSE(missing.Open(mono));
        EXPECT_EQ(missing.OpenProblem(), "zumbrik_no_such_pcm: only 16-bit stereo PCM is played");
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

using Clock = std::chrono::steady_clock;

std::chrono::milliseconds Since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

// ALSA's file output writing into a FIFO: opening blocks until a reader comes,
// writing blocks while the reader takes nothing. The device must return from
// every call within its limits all the same, and recover once the FIFO moves.
TEST(MusicAlsaDeviceTest, AnOutputThatTakesNothingNeverHoldsACallBeyondItsLimit) {
    char folder[] = "/tmp/zumbrik-fifo-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string fifo = std::string(folder) + "/sound";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string name = "file:'" + fifo + "',raw";
    AlsaWaveDevice device(name);
    const auto slack = std::chrono::milliseconds(400);

    auto start = Clock::now();
    EXPECT_FALSE(device.Open(kOutputFormat)) << "nobody reads the FIFO";
    const auto openTime = Since(start);
    EXPECT_GE(openTime, AlsaWaveDevice::kOpenLimit - std::chrono::milliseconds(50));
    EXPECT_LT(openTime, AlsaWaveDevice::kOpenLimit + slack);
    EXPECT_EQ(device.OpenProblem(), name + ": did not open within 1000 ms");
    start = Clock::now();
    EXPECT_FALSE(device.Open(kOutputFormat)) << "the first open is still blocked";
    EXPECT_LT(Since(start), std::chrono::milliseconds(50)) << "a known stuck output fails at once";
    EXPECT_EQ(device.OpenProblem(), name + ": an earlier use of it is still blocked");

    // A reader that never reads: the blocked open goes through and closes, and the output opens again.
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    auto deadline = Clock::now() + std::chrono::seconds(5);
    bool opened = false;
    while (!(opened = device.Open(kOutputFormat)) && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(opened) << "the output did not recover after a reader came";
    std::vector<std::int16_t> ring(32768, 5);
    WaveHeader header{reinterpret_cast<std::uint8_t*>(ring.data()), 65536, WhdrBeginLoop | WhdrEndLoop, 0xFFFFFFFFu};
    ASSERT_TRUE(device.Write(header));
    // The FIFO holds about 0.35 s of sound; after that every write blocks.
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    const std::uint32_t stalledAt = device.GetPosition();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(device.GetPosition(), stalledAt) << "the output should have stalled";
    start = Clock::now();
    device.Reset();
    const auto resetTime = Since(start);
    EXPECT_LT(resetTime, AlsaWaveDevice::kStopLimit + slack);
    start = Clock::now();
    device.Close();
    EXPECT_LT(Since(start), AlsaWaveDevice::kStopLimit + slack);
    std::printf("stalled FIFO: open gave up after %lld ms, reset returned after %lld ms\n",
                static_cast<long long>(openTime.count()), static_cast<long long>(resetTime.count()));

    // Once the reader takes the sound again, the thread left behind finishes and the output opens.
    deadline = Clock::now() + std::chrono::seconds(5);
    opened = false;
    char sink[65536];
    while (Clock::now() < deadline) {
        while (read(reader, sink, sizeof sink) > 0) {
        }
        if ((opened = device.Open(kOutputFormat))) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(opened) << "the output stayed stuck after the reader drained it";
    device.Close();
    close(reader);
    unlink(fifo.c_str());
    rmdir(folder);
}

}  // namespace
}  // namespace zumbrik
