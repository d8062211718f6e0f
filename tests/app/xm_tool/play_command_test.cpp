#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/xm_tool/play_control.h"
#include "app/xm_tool/play_session.h"
#include "platform/virtual/capture_wave_device.h"
#include "player/background/module_player.h"
#include "tests/support/xm_builder.h"

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

// Plays the device in a thread of its own, much faster than real time. It
// keeps no samples: they would be read while the player writes the ring.
class FastForward {
public:
    explicit FastForward(CaptureWaveDevice& device) {
        device.SetRecording(false);
        thread_ = std::thread([this, &device] {
            while (!stop_.load()) {
                device.Advance(4096);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
    }
    ~FastForward() {
        stop_.store(true);
        thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

std::string LastStatus(const std::string& out) {
    const std::size_t end = out.rfind("\x1b[K");
    const std::size_t start = out.rfind('\r', end);
    return out.substr(start + 1, end - start - 1);
}

// A song of `rows` rows that ends by jumping back to its start (0.1 s a row at 125 BPM).
std::string WriteSong(const std::string& name, std::uint16_t rows, std::uint16_t bpm = 125) {
    XmModule module = test::StepModule(rows);
    module.bpm = bpm;
    module.patterns[0].cells[2 * (rows - 1u)].effect = 0x0B;
    const std::string path = testing::TempDir() + name;
    const std::vector<std::uint8_t> bytes = WriteXm(module);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

struct Session {
    int status = -1;
    std::string out, err;
};

Session Play(const std::vector<std::string>& args, WaveDevice& device, int keyFd) {
    std::ostringstream out, err;
    Session session;
    session.status = PlayWithDevice(args, device, keyFd, -1, out, err);
    session.out = out.str();
    session.err = err.str();
    return session;
}

TEST(MusicPlayCommandTest, KeysPauseChangeTheVolumeAndQuit) {
    CaptureWaveDevice device;
    KeyPipe keys;
    keys.Type(" --\xE2\x88\x92hq");
    const Session s = Play({ZUMBRIK_THEME_PATH}, device, keys.ReadEnd());
    EXPECT_EQ(s.status, 0);
    EXPECT_EQ(s.err, "");
    EXPECT_EQ(s.out.find("\rfile 1 of 1  theme.xm  \"Zumbrik theme\"\x1b[K\n"), 0u) << s.out;
    EXPECT_NE(s.out.find("\rkeys:  space pause"), std::string::npos) << "h lists the keys";
    const std::string status = LastStatus(s.out);
    EXPECT_EQ(status.rfind("theme.xm  ord 0/9 row ", 0), 0u) << status;
    EXPECT_NE(status.find("vol 22"), std::string::npos) << status;
    EXPECT_NE(status.find("paused"), std::string::npos) << status;
    EXPECT_EQ(s.out.back(), '\n');
    // The player is stopped and left as a new session expects it.
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.OpenCount(), 1u);
    EXPECT_FALSE(ModulePaused());
}

// Songs end on their own and the next begins; a bad file is said once and
// skipped, and the status is then 1; n past the last file ends the session.
TEST(MusicPlayCommandTest, FilesPlayInTurnAndABadOneIsSkipped) {
    const std::string first = WriteSong("play_first.xm", 4);
    const std::string second = WriteSong("play_second.xm", 6);
    const std::string missing = testing::TempDir() + "play_missing.xm";
    CaptureWaveDevice device;
    KeyPipe keys;
    keys.CloseWriteEnd();
    Session s;
    {
        FastForward player(device);
        s = Play({first, missing, second}, device, keys.ReadEnd());
    }
    EXPECT_EQ(s.status, 1);
    EXPECT_EQ(s.err, "zumbrik-xm: " + missing + ": no such file\n");
    EXPECT_EQ(device.OpenCount(), 2u);
    EXPECT_EQ(std::count(s.out.begin(), s.out.end(), '\n'), 4) << "a heading and a status line per song";
    EXPECT_LT(s.out.find("file 1 of 3  play_first.xm"), s.out.find("file 3 of 3  play_second.xm"));
    EXPECT_NE(LastStatus(s.out).find("ord 0/1 row 5"), std::string::npos) << "ended on the last row";

    // --loop: the song goes on past its end until n moves on.
    KeyPipe next;
    Session looped;
    {
        FastForward player(device);
        std::thread presser([&next] {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            next.Type("n");
        });
        looped = Play({"--loop", first}, device, next.ReadEnd());
        presser.join();
    }
    EXPECT_EQ(looped.status, 0);
    EXPECT_EQ(LastStatus(looped.out).find(" 0:00/"), std::string::npos) << "played past its 0.4 s";
    EXPECT_GE(device.OpenCount(), 3u);
    std::remove(first.c_str());
    std::remove(second.c_str());
}

// The signal that stops a session whose keys ran out is in its status.
TEST(MusicPlayCommandTest, SignalsEndTheSessionWithTheirStatus) {
    for (const int signal : {SIGINT, SIGTERM}) {
        CaptureWaveDevice device;
        KeyPipe keys;
        keys.CloseWriteEnd();
        // Signals once the session has taken it over, as a user's Ctrl+C would.
        std::thread signaller([signal] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            for (;;) {
                struct sigaction current {};
                sigaction(signal, nullptr, &current);
                if (current.sa_handler != SIG_DFL || std::chrono::steady_clock::now() > deadline) break;
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            kill(getpid(), signal);
        });
        const Session s = Play({ZUMBRIK_THEME_PATH, ZUMBRIK_THEME_PATH}, device, keys.ReadEnd());
        signaller.join();
        EXPECT_EQ(s.status, 128 + signal);
        EXPECT_EQ(device.OpenCount(), 1u) << "the second file is not started";
        EXPECT_FALSE(device.IsOpen());
        struct sigaction after {};
        sigaction(signal, nullptr, &after);
        EXPECT_EQ(after.sa_handler, SIG_DFL) << "the handler is handed back";
    }
}

// A device that never lets go: stopping hangs in Reset.
class StuckDevice final : public WaveDevice {
public:
    bool Open(const WaveFormat&) override { return true; }
    void PrepareHeader(WaveHeader&) override {}
    bool Write(WaveHeader&) override { return true; }
    std::uint32_t GetPosition() override { return 0; }
    void Reset() override {
        for (;;) pause();
    }
    void UnprepareHeader(WaveHeader&) override {}
    void Close() override {}
};

// The first Ctrl+C waits for the music to stop; a second does not wait.
TEST(MusicPlayCommandTest, ASecondSignalEndsAStuckStopAtOnce) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        static StuckDevice device;
        KeyPipe keys;
        keys.CloseWriteEnd();
        std::ostringstream out, err;
        PlayWithDevice({ZUMBRIK_THEME_PATH}, device, keys.ReadEnd(), -1, out, err);
        _exit(0);
    }
    int status = 0;
    for (int sent = 0; sent < 2; ++sent) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        kill(child, SIGINT);
    }
    for (int waited = 0; waited < 100 && waitpid(child, &status, WNOHANG) == 0; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (waitpid(child, &status, WNOHANG) == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "the second SIGINT did not end the process";
    }
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
}

// A device that cannot open and says why.
class ReasonedFailure final : public WaveDevice {
public:
    bool Open(const WaveFormat&) override { return false; }
    std::string OpenProblem() const override { return "ALSA device \"hw:7\": Device or resource busy"; }
    void PrepareHeader(WaveHeader&) override {}
    bool Write(WaveHeader&) override { return false; }
    std::uint32_t GetPosition() override { return 0; }
    void Reset() override {}
    void UnprepareHeader(WaveHeader&) override {}
    void Close() override {}
};

TEST(MusicPlayCommandTest, FailuresAndUsage) {
    KeyPipe keys;
    keys.Type("q");
    CaptureWaveDevice noSoundCard(false);
    Session s = Play({ZUMBRIK_THEME_PATH, ZUMBRIK_THEME_PATH}, noSoundCard, keys.ReadEnd());
    EXPECT_EQ(s.status, 1);
    EXPECT_EQ(s.err, "zumbrik-xm: no sound output device could be opened\n") << "said once, not per file";
    ReasonedFailure busy;
    s = Play({ZUMBRIK_THEME_PATH}, busy, keys.ReadEnd());
    EXPECT_EQ(s.status, 1);
    EXPECT_EQ(s.err, "zumbrik-xm: no sound output device could be opened: ALSA device \"hw:7\": Device or resource busy\n");

    CaptureWaveDevice device;
    const std::string garbage = testing::TempDir() + "music_play_garbage.xm";
    std::ofstream(garbage) << std::string(500, 'x');
    s = Play({garbage}, device, keys.ReadEnd());
    EXPECT_EQ(s.status, 1);
    EXPECT_EQ(s.err, "zumbrik-xm: " + garbage + ": not an XM, MOD or S3M module\n");
    EXPECT_EQ(device.OpenCount(), 0u);
    EXPECT_EQ(s.out, "");
    std::remove(garbage.c_str());

    EXPECT_EQ(Play({}, device, keys.ReadEnd()).status, 2);
    EXPECT_EQ(Play({"--loud", ZUMBRIK_THEME_PATH}, device, keys.ReadEnd()).status, 2);
}

// "-" is the module on standard input, read once and played from those bytes.
TEST(MusicPlayCommandTest, PlaysTheModuleFromStandardInput) {
    XmModule module = test::StepModule(4);
    module.name = "from the pipe";
    const std::vector<std::uint8_t> bytes = WriteXm(module);
    KeyPipe input;  // small enough to sit in the pipe whole
    input.Type(std::string(bytes.begin(), bytes.end()));
    input.CloseWriteEnd();
    const int savedInput = dup(STDIN_FILENO);
    ASSERT_EQ(dup2(input.ReadEnd(), STDIN_FILENO), STDIN_FILENO);
    clearerr(stdin);
    CaptureWaveDevice device;
    KeyPipe keys;
    keys.CloseWriteEnd();
    Session s;
    {
        FastForward player(device);
        s = Play({"-", "-"}, device, keys.ReadEnd());
    }
    dup2(savedInput, STDIN_FILENO);
    close(savedInput);
    EXPECT_EQ(s.status, 0);
    EXPECT_EQ(s.err, "");
    EXPECT_EQ(device.OpenCount(), 2u);
    EXPECT_NE(s.out.find("file 2 of 2  standard input  \"from the pipe\""), std::string::npos) << s.out;
}

// → on the last order moves on to the next file instead of starting the song again.
TEST(MusicPlayCommandTest, RightOnTheLastOrderGoesToTheNextFile) {
    const std::string first = WriteSong("play_right_first.xm", 8);
    CaptureWaveDevice device;  // never played on: the first order is heard all along
    KeyPipe keys;
    keys.Type("\x1b[C");
    std::thread quitter([&keys] {
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        keys.Type("q");
    });
    const Session s = Play({first, ZUMBRIK_THEME_PATH}, device, keys.ReadEnd());
    quitter.join();
    EXPECT_EQ(s.status, 0);
    EXPECT_EQ(device.OpenCount(), 2u);
    EXPECT_NE(s.out.find("file 2 of 2  theme.xm"), std::string::npos) << s.out;
    std::remove(first.c_str());
}

// The clock counts the frames heard, cut to the millisecond as the duration
// is, so at the end it shows the duration exactly.
TEST(MusicPlayCommandTest, TheClockEndsOnTheDuration) {
    const std::string path = WriteSong("play_clock.xm", 11, 126);  // 952 frames a tick: 1090.83 ms in all
    CaptureWaveDevice device;
    PlayControl control;
    std::ostringstream err;
    ASSERT_EQ(control.Start(path, device, false, err), PlayControl::Started::Playing) << err.str();
    {
        FastForward player(device);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!control.SongOver() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    const PlayStatus status = control.Status();
    control.Finish();
    EXPECT_EQ(status.durationMs, 1090u);
    EXPECT_EQ(status.elapsedMs, status.durationMs);
    std::remove(path.c_str());
}

}  // namespace
}  // namespace zumbrik
