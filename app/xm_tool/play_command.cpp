#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/xm_tool/commands.h"
#include "app/xm_tool/play_control.h"
#include "app/xm_tool/play_session.h"
#include "platform/posix/alsa_wave_device.h"
#include "player/module_player.h"

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


// Keys from raw terminal bytes; arrows come as ESC [ C / ESC [ D, and the
// typographic minus sign as its UTF-8 bytes.
std::vector<PlayKey> ParseKeys(const std::string& bytes) {
    std::vector<PlayKey> keys;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == ' ') keys.push_back(PlayKey::Pause);
        if (c == '+' || c == '=') keys.push_back(PlayKey::Louder);
        if (c == '-' || c == '_') keys.push_back(PlayKey::Softer);
        if (c == 'q' || c == 'Q') keys.push_back(PlayKey::Quit);
        if (bytes.compare(i, 3, "\xE2\x88\x92") == 0) {
            keys.push_back(PlayKey::Softer);
            i += 2;
        }
        if (c == '\x1b' && i + 2 < bytes.size() && (bytes[i + 1] == '[' || bytes[i + 1] == 'O')) {
            if (bytes[i + 2] == 'C') keys.push_back(PlayKey::NextOrder);
            if (bytes[i + 2] == 'D') keys.push_back(PlayKey::PreviousOrder);
            i += 2;
        }
    }
    return keys;
}

}  // namespace

int PlayWithDevice(const std::string& path, WaveDevice& device, int keyFd, std::ostream& out, std::ostream& err) {
    PlayControl control;
    if (!control.Start(path, device, err)) return 1;

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
        for (PlayKey key : ParseKeys(bytes)) {
            if (!control.Act(key)) quit = true;
        }
        out << '\r' << control.StatusLine() << "\x1b[K" << std::flush;
    }
    control.Finish();
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
