#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/xm_tool/commands.h"
#include "app/xm_tool/play_status.h"
#include "app/xm_tool/play_session.h"
#include "platform/posix/alsa_wave_device.h"
#include "player/module_player.h"
#include "app/xm_tool/module_file.h"

namespace zumbrik {

namespace {

volatile std::sig_atomic_t quitSignalled = 0;
void OnQuitSignal(int) { quitSignalled = 1; }

// Raw keys for as long as it lives; the terminal's settings come back on every way out.
class RawKeys {
public:
    explicit RawKeys(int fd) : fd_(fd), raw_(isatty(fd) == 1 && tcgetattr(fd, &saved_) == 0) {
        if (!raw_) return;
        termios raw = saved_;
        raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 0;
        tcsetattr(fd_, TCSANOW, &raw);
    }
    ~RawKeys() {
        if (raw_) tcsetattr(fd_, TCSANOW, &saved_);
    }
    RawKeys(const RawKeys&) = delete;
    RawKeys& operator=(const RawKeys&) = delete;

private:
    int fd_;
    termios saved_{};
    bool raw_;
};

// SIGINT and SIGTERM end the session instead of the process, so the terminal is restored.
class QuitSignals {
public:
    QuitSignals() {
        quitSignalled = 0;
        struct sigaction action {};
        action.sa_handler = OnQuitSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &savedInt_);
        sigaction(SIGTERM, &action, &savedTerm_);
    }
    ~QuitSignals() {
        sigaction(SIGINT, &savedInt_, nullptr);
        sigaction(SIGTERM, &savedTerm_, nullptr);
    }
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

private:
    struct sigaction savedInt_ {};
    struct sigaction savedTerm_ {};
};

enum class Key { Pause, Louder, Softer, PreviousOrder, NextOrder, Quit };

// Keys from raw terminal bytes; arrows come as ESC [ C / ESC [ D, and the
// typographic minus sign as its UTF-8 bytes.
std::vector<Key> ParseKeys(const std::string& bytes) {
    std::vector<Key> keys;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == ' ') keys.push_back(Key::Pause);
        if (c == '+' || c == '=') keys.push_back(Key::Louder);
        if (c == '-' || c == '_') keys.push_back(Key::Softer);
        if (c == 'q' || c == 'Q') keys.push_back(Key::Quit);
        if (bytes.compare(i, 3, "\xE2\x88\x92") == 0) {
            keys.push_back(Key::Softer);
            i += 2;
        }
        if (c == '\x1b' && i + 2 < bytes.size() && (bytes[i + 1] == '[' || bytes[i + 1] == 'O')) {
            if (bytes[i + 2] == 'C') keys.push_back(Key::NextOrder);
            if (bytes[i + 2] == 'D') keys.push_back(Key::PreviousOrder);
            i += 2;
        }
    }
    return keys;
}

}  // namespace

int PlayWithDevice(const std::string& path, WaveDevice& device, int keyFd, std::ostream& out, std::ostream& err) {
    // Loaded once here too, to tell a bad module from a missing sound device.
    std::uint32_t songLength = 0;
    {
        const auto module = LoadModuleFile(path, err);
        if (!module) return 1;
        songLength = module->state.songLength;
    }

    UseWaveDevice(&device);
    std::uint32_t volumeLevel = 25;
    SetMasterVolume(volumeLevel);
    if (PlayModule(reinterpret_cast<std::uintptr_t>(path.c_str()), 0, FileSource) == 0) {
        UseWaveDevice(nullptr);
        err << "zumbrik-xm: no sound output device could be opened\n";
        return 1;
    }

    QuitSignals signals;
    RawKeys rawKeys(keyFd);
    bool keysOpen = true;
    bool quit = false;
    while (!quit && quitSignalled == 0) {
        std::string bytes;
        if (keysOpen) {
            pollfd poller{keyFd, POLLIN, 0};
            if (poll(&poller, 1, 100) > 0) {
                char buffer[64];
                const ssize_t got = read(keyFd, buffer, sizeof buffer);
                if (got > 0) {
                    bytes.assign(buffer, static_cast<std::size_t>(got));
                } else if (got == 0 || (poller.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
                    keysOpen = false;  // no more keys: play on until a signal
                }
            }
        } else {
            poll(nullptr, 0, 100);
        }
        for (Key key : ParseKeys(bytes)) {
            const std::uint32_t order = GetPlayingPosition() >> 16;
            switch (key) {
                case Key::Pause: ModulePaused() ? ResumeModule() : PauseModule(); break;
                case Key::Louder: SetMasterVolume(volumeLevel = std::min(volumeLevel + 1, 25u)); break;
                case Key::Softer: SetMasterVolume(volumeLevel = volumeLevel > 0 ? volumeLevel - 1 : 0); break;
                case Key::PreviousOrder: JumpToOrder(order > 0 ? order - 1 : 0); break;
                case Key::NextOrder: JumpToOrder(order + 1); break;
                case Key::Quit: quit = true; break;
            }
        }
        out << '\r' << PlayStatusLine(songLength, volumeLevel) << "\x1b[K" << std::flush;
    }
    StopModule();
    UseWaveDevice(nullptr);
    ResumeModule();
    SetMasterVolume(25);
    out << '\n' << std::flush;
    return 0;
}

int PlayCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        err << "usage: zumbrik-xm play FILE\n";
        return 2;
    }
    static AlsaWaveDevice device;
    return PlayWithDevice(args[0], device, STDIN_FILENO, out, err);
}

}  // namespace zumbrik
