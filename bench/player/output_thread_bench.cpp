// The background player's cost: how long PlayModule takes to return (load and
// pre-render of the whole ring), and the output thread's CPU use while the
// theme plays in real time through the capture device.
//   zumbrik_output_thread_bench [SECONDS]   (default 30)
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "platform/virtual/capture_wave_device.h"
#include "player/background/module_player.h"

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The floor under the output thread's cost: a thread that only wakes every
// 5 ms, as the output thread does, and renders nothing.
double BareWakeUpShare(double seconds) {
    double cpu = 0;
    std::thread sleeper([&] {
        const auto start = Clock::now();
        while (std::chrono::duration<double>(Clock::now() - start).count() < seconds) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        timespec used{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
        cpu = static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
    });
    sleeper.join();
    return 100 * cpu / seconds;
}

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void TimeStart(const char* label, std::uintptr_t source, std::uintptr_t size, std::uint32_t flags) {
    constexpr int kRuns = 20;
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = Clock::now();
        const std::uint32_t started = zumbrik::PlayModule(source, size, flags);
        times.push_back(Milliseconds(Clock::now() - start));
        zumbrik::StopModule();
        if (started == 0) {
            std::printf("%-34s failed to start\n", label);
            return;
        }
    }
    std::sort(times.begin(), times.end());
    std::printf("%-34s median %.2f ms, fastest %.2f ms, slowest %.2f ms (%d runs)\n", label, times[kRuns / 2],
                times.front(), times.back(), kRuns);
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 30.0;
    std::ifstream in(ZUMBRIK_THEME_PATH, std::ios::binary);
    const std::vector<std::uint8_t> theme((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    static zumbrik::CaptureWaveDevice device;
    device.SetRecording(false);
    zumbrik::UseWaveDevice(&device);

    std::printf("PlayModule until it returns (load + 16 segments):\n");
    TimeStart("  theme from memory", reinterpret_cast<std::uintptr_t>(theme.data()), theme.size(),
              zumbrik::MemorySource);
    TimeStart("  theme from resource 1", 1, 0, zumbrik::ResourceSource);
    TimeStart("  theme from its file", reinterpret_cast<std::uintptr_t>(ZUMBRIK_THEME_PATH), 0, zumbrik::FileSource);

    if (zumbrik::PlayModule(1, 0, zumbrik::ResourceSource) == 0) {
        std::printf("the theme did not start\n");
        return 1;
    }
    // The play position follows the wall clock at 192000 bytes per second,
    // as a sound card's would; this thread sleeps between its moves.
    const double processBefore = CpuSeconds(RUSAGE_SELF);
    const double mainBefore = CpuSeconds(RUSAGE_THREAD);
    const auto start = Clock::now();
    std::uint64_t advanced = 0;
    std::uint32_t behind = 0;
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        if (elapsed >= seconds) break;
        const auto due = static_cast<std::uint64_t>(elapsed * 192000) & ~std::uint64_t{3};
        device.Advance(static_cast<std::uint32_t>(due - advanced));
        advanced = due;
        // Probe: the thread should never be more than a few segments behind the cursor.
        if (zumbrik::GetElapsedMs() + 340 < static_cast<std::uint32_t>(elapsed * 1000 * 0.96)) ++behind;
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double outputThread = (CpuSeconds(RUSAGE_SELF) - processBefore) - (CpuSeconds(RUSAGE_THREAD) - mainBefore);
    zumbrik::StopModule();
    zumbrik::UseWaveDevice(nullptr);

    std::printf("output thread while the theme plays in real time for %.1f s:\n", wall);
    std::printf("  CPU %.1f ms = %.3f %% of one core (target: under 1 %%)\n", outputThread * 1000,
                100 * outputThread / wall);
    std::printf("  checks with the song more than a ring behind the cursor: %u\n", behind);
    std::printf("  for comparison, a thread that only wakes every 5 ms: %.3f %% of one core\n",
                BareWakeUpShare(std::min(seconds, 10.0)));
    return 0;
}
