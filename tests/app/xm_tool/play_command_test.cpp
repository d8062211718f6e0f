#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "app/xm_tool/play_session.h"
#include "platform/virtual/capture_wave_device.h"
#include "player/module_player.h"

namespace zumbrik {
namespace {

// Keys for the session arrive through a pipe, as they would from a terminal.
class KeyPipe {
public:
    KeyPipe() { EXPECT_EQ(pipe(fds_), 0); }
    ~KeyPipe() {
        CloseWriteEnd();
        close(fds_[0]);
    }
    void Type(const std::string& keys) { EXPECT_EQ(write(fds_[1], keys.data(), keys.size()), ssize_t(keys.size())); }
    void CloseWriteEnd() {
        if (fds_[1] >= 0) close(fds_[1]);
        fds_[1] = -1;
    }
    int ReadEnd() const { return fds_[0]; }

private:
    int fds_[2] = {-1, -1};
};

std::string LastStatus(const std::string& out) {
    const std::size_t end = out.rfind("\x1b[K");
    const std::size_t start = out.rfind('\r', end);
    return out.substr(start + 1, end - start - 1);
}

TEST(MusicPlayCommandTest, KeysPauseChangeTheVolumeAndQuit) {
    CaptureWaveDevice device;
    KeyPipe keys;
    keys.Type(" --\xE2\x88\x92q");
    std::ostringstream out, err;
    EXPECT_EQ(PlayWithDevice(ZUMBRIK_THEME_PATH, device, keys.ReadEnd(), out, err), 0);
    EXPECT_EQ(err.str(), "");
    const std::string status = LastStatus(out.str());
    EXPECT_NE(status.find("order   0/9  row"), std::string::npos) << status;
    EXPECT_NE(status.find("vol 22"), std::string::npos) << status;
    EXPECT_NE(status.find("paused"), std::string::npos) << status;
    EXPECT_EQ(out.str().back(), '\n');
    // The player is stopped and left as a new session expects it.
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.OpenCount(), 1u);
    EXPECT_FALSE(ModulePaused());
}

TEST(MusicPlayCommandTest, ASignalEndsASessionWhoseKeysRanOut) {
    CaptureWaveDevice device;
    KeyPipe keys;
    keys.CloseWriteEnd();
    // Interrupts once the session has taken over SIGINT, as a user's Ctrl+C would.
    std::thread interrupter([] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (;;) {
            struct sigaction current {};
            sigaction(SIGINT, nullptr, &current);
            if (current.sa_handler != SIG_DFL || std::chrono::steady_clock::now() > deadline) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        kill(getpid(), SIGINT);
    });
    std::ostringstream out, err;
    EXPECT_EQ(PlayWithDevice(ZUMBRIK_THEME_PATH, device, keys.ReadEnd(), out, err), 0);
    interrupter.join();
    EXPECT_FALSE(device.IsOpen());
    const std::string shown = out.str();
    EXPECT_GE(std::count(shown.begin(), shown.end(), '\r'), 2) << "the status line is redrawn in place";
}

TEST(MusicPlayCommandTest, EachFailureIsOneLineAndStatusOne) {
    KeyPipe keys;
    keys.Type("q");
    CaptureWaveDevice noSoundCard(false);
    std::ostringstream out, err;
    EXPECT_EQ(PlayWithDevice(ZUMBRIK_THEME_PATH, noSoundCard, keys.ReadEnd(), out, err), 1);
    EXPECT_EQ(err.str(), "zumbrik-xm: no sound output device could be opened\n");

    CaptureWaveDevice device;
    err.str("");
    EXPECT_EQ(PlayWithDevice("/nonexistent/song.xm", device, keys.ReadEnd(), out, err), 1);
    EXPECT_EQ(err.str(), "zumbrik-xm: /nonexistent/song.xm: no such file\n");

    const std::string garbage = testing::TempDir() + "music_play_garbage.xm";
    std::ofstream(garbage) << std::string(500, 'x');
    err.str("");
    EXPECT_EQ(PlayWithDevice(garbage, device, keys.ReadEnd(), out, err), 1);
    const std::string message = err.str();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);
    EXPECT_EQ(message, "zumbrik-xm: " + garbage + ": not an XM file\n");
    EXPECT_EQ(device.OpenCount(), 0u);
    EXPECT_EQ(out.str(), "");
    std::remove(garbage.c_str());
}

}  // namespace
}  // namespace zumbrik
