// `zumbrik-xm play` on a POSIX terminal: keys through the game's terminal
// session and key parser, sound through ALSA, the status line on stdout.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "app/xm_tool/commands.h"
#include "app/xm_tool/play_session.h"
#include "platform/console_input.h"
#include "platform/posix/alsa_wave_device.h"
#include "platform/posix/key_parser.h"
#include "platform/posix/terminal_session.h"

namespace zumbrik {

namespace {

constexpr int kQuitSignals[] = {SIGINT, SIGTERM};

// Plain data set before the handler is installed, and a lock-free atomic.
std::atomic<int> gQuitSignal{0};
struct sigaction gBeforeQuit[2];

void OnQuitSignal(int signal) {
    int none = 0;
    gQuitSignal.compare_exchange_strong(none, signal);
    // The next one finds what was there before: the terminal session's
    // handler (which restores the terminal and ends the process) or the
    // default action. Stopping must not be waited for twice.
    for (int i = 0; i < 2; ++i) ::sigaction(kQuitSignals[i], &gBeforeQuit[i], nullptr);
}

// SIGINT and SIGTERM first stop the session, so the player ends and the
// terminal is restored before the process ends.
class QuitSignals {
public:
    QuitSignals() {
        gQuitSignal.store(0);
        for (int i = 0; i < 2; ++i) {
            ::sigaction(kQuitSignals[i], nullptr, &gBeforeQuit[i]);
            installed_[i] = gBeforeQuit[i].sa_handler != SIG_IGN;  // nohup's choice stands
        }
        for (int i = 0; i < 2; ++i) {
            if (!installed_[i]) continue;
            struct sigaction action {};
            action.sa_handler = OnQuitSignal;
            sigemptyset(&action.sa_mask);
            for (int signal : kQuitSignals) sigaddset(&action.sa_mask, signal);
            ::sigaction(kQuitSignals[i], &action, nullptr);
        }
    }
    ~QuitSignals() {
        for (int i = 0; i < 2; ++i) {
            if (installed_[i]) ::sigaction(kQuitSignals[i], &gBeforeQuit[i], nullptr);
        }
    }
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

private:
    bool installed_[2] = {false, false};
};

class TerminalPlay final : public PlayTerminal {
public:
    TerminalPlay(int keyFd, int outFd, std::ostream& out)
        : keyFd_(keyFd),
          keysFromTerminal_(::isatty(keyFd) == 1),
          outIsTerminal_(::isatty(outFd) == 1),
          out_(out),
          session_(keyFd, outIsTerminal_ ? outFd : -1, TerminalSession::Screen::Normal) {}

    void WaitForKeys(int timeoutMs, std::vector<PlayKey>& keys) override {
        // Started with & or sent on with bg: the terminal belongs to the
        // shell, and touching its modes or reading it would stop us.
        if (keysFromTerminal_ && !session_.InForeground()) {
            ::poll(nullptr, 0, timeoutMs);
            return;
        }
        if (keysFromTerminal_ && !session_.Entered()) session_.Enter();
        ResumeAfterStop();
        if (!keysOpen_) {
            ::poll(nullptr, 0, timeoutMs);
            return;
        }
        pollfd ready{keyFd_, POLLIN, 0};
        // A lone ESC waits a little for the rest of its sequence, then counts alone.
        const bool escapePending = parser_.Pending();
        const int n = ::poll(&ready, 1, escapePending ? std::min(timeoutMs, 50) : timeoutMs);
        parsed_.clear();
        if (n > 0) {
            unsigned char bytes[256];
            const ssize_t got = (ready.revents & POLLNVAL) != 0 ? 0 : ::read(keyFd_, bytes, sizeof bytes);
            if (got > 0) {
                parser_.Feed(bytes, static_cast<std::size_t>(got), parsed_);
            } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
                keysOpen_ = false;  // no more keys: play on until the songs or a signal end it
            }
        } else if (n == 0 && escapePending) {
            parser_.Expire(parsed_);
        }
        for (const TerminalKey& key : parsed_) {
            PlayKey playKey{};
            if (key.kind == TerminalKey::Kind::Key && PlayKeyFor(AsCharacter(key), playKey)) keys.push_back(playKey);
        }
    }

    int QuitSignal() override { return gQuitSignal.load(); }

    int Columns() override { return outIsTerminal_ ? session_.Measure().columns : 80; }

    void ShowStatus(const std::string& line) override { out_ << '\r' << line << "\x1b[K" << std::flush; }
    void EndStatusLine() override { out_ << '\n' << std::flush; }

    void Leave() { session_.Leave(); }

private:
    static char32_t AsCharacter(const TerminalKey& key) {
        if (key.virtualKey == kVkLeft) return U'←';
        if (key.virtualKey == kVkRight) return U'→';
        return key.character;
    }

    // After Ctrl+Z and fg the keys come raw again at once.
    void ResumeAfterStop() {
        if (session_.TakeContinued() && session_.Entered()) session_.Resume();
    }

    int keyFd_;
    bool keysFromTerminal_;
    bool outIsTerminal_;
    std::ostream& out_;
    TerminalSession session_;
    KeyParser parser_;
    std::vector<TerminalKey> parsed_;
    bool keysOpen_ = true;
};

}  // namespace

int PlayWithDevice(const std::vector<std::string>& args, WaveDevice& device, int keyFd, int outFd, std::ostream& out,
                   std::ostream& err) {
    PlayOptions options;
    if (!ParsePlayArguments(args, options, err)) return 2;
    TerminalPlay terminal(keyFd, outFd, out);
    QuitSignals signals;
    const int status = RunPlayList(options, device, terminal, err);
    terminal.Leave();
    return status;
}

int PlayCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    // Tests and machines without sound name another output (ALSA's "null").
    const char* pcm = std::getenv("ZUMBRIK_ALSA_DEVICE");
    static AlsaWaveDevice device(pcm != nullptr && *pcm != '\0' ? pcm : "default");
    // A module on standard input leaves the keys to the terminal, when there is one.
    int keyFd = STDIN_FILENO;
    if (std::find(args.begin(), args.end(), "-") != args.end() && ::isatty(STDIN_FILENO) == 0) {
        const int terminal = ::open("/dev/tty", O_RDONLY | O_CLOEXEC | O_NOCTTY);
        if (terminal >= 0) keyFd = terminal;
    }
    const int status = PlayWithDevice(args, device, keyFd, STDOUT_FILENO, out, err);
    if (keyFd != STDIN_FILENO) ::close(keyFd);
    if (status > 128) {
        // Ended by the signal itself, not just its number: a shell loop
        // running us stops only for a child that a SIGINT ended.
        out.flush();
        err.flush();
        ::signal(status - 128, SIG_DFL);
        ::raise(status - 128);
    }
    return status;
}

}  // namespace zumbrik
