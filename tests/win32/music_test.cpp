#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/win32/winmm_wave_device.h"
#include "player/background/module_player.h"
#include "platform/resource_lookup.h"

// The game's own start of the music, PlayModule(1, 0, 0), in a program that
// carries zumbrik.rc. ctest runs it with a sound device that plays into
// nothing, and with none that opens (see CMakeLists.txt).
namespace zumbrik {
namespace {

WinmmWaveDevice& Device() {
    static WinmmWaveDevice device;
    static const bool installed = (UseWaveDevice(&device), true);
    (void)installed;
    return device;
}

TEST(Win32ResourceTest, ThemeIsRcdataOneOfTheProgramItself) {
    const ResourceBytes theme = FindResourceData(1, 0);
    ASSERT_NE(theme.data, nullptr);
    EXPECT_EQ(theme.size, static_cast<std::uint32_t>(ZUMBRIK_THEME_SIZE));
    ASSERT_GE(theme.size, 17u);
    EXPECT_EQ(std::memcmp(theme.data, "Extended Module: ", 17), 0);

    const ResourceBytes missing = FindResourceData(2, 0);
    EXPECT_EQ(missing.data, nullptr);
    EXPECT_EQ(missing.size, 0u);
    // Another module's resources are its own: the system library has no theme.
    const auto kernel = reinterpret_cast<std::uintptr_t>(::GetModuleHandleA("kernel32.dll"));
    ASSERT_NE(kernel, 0u);
    EXPECT_EQ(FindResourceData(1, kernel).data, nullptr);
}

TEST(Win32MusicTest, ThemePlaysFromTheResourceAndTheOutputThreadStopsCleanly) {
    Device();
    ASSERT_NE(PlayModule(1, 0, 0), 0u);
    // The start renders the whole ring ahead; more song time means the output
    // thread is rendering behind the device's play position.
    const std::uint32_t prerendered = GetElapsedMs();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (GetElapsedMs() <= prerendered + 100 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GT(GetElapsedMs(), prerendered + 100);

    PauseModule();
    EXPECT_TRUE(ModulePaused());
    ResumeModule();
    StopModule();
    EXPECT_EQ(GetElapsedMs(), 0u);
    StopModule();  // a second stop does nothing
    // And it starts again after a stop.
    ASSERT_NE(PlayModule(1, 0, 0), 0u);
    StopModule();
}

TEST(Win32MusicNoCardTest, PlayModuleFailsSoTheGameRunsOnSilently) {
    Device();
    EXPECT_EQ(PlayModule(1, 0, 0), 0u);
    EXPECT_EQ(GetElapsedMs(), 0u);
    StopModule();
}

}  // namespace
}  // namespace zumbrik
