#include "platform/posix/terminal_session.h"

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <string>

#include "platform/posix/terminal_text.h"

namespace zumbrik {

namespace {

// Push the title, alternate screen, hide the cursor, no autowrap, clear.
constexpr char kEnter[] = "\x1b[22;0t\x1b[?1049h\x1b[?25l\x1b[?7l\x1b[0m\x1b[2J";
// End any half-written update, default colours, autowrap, cursor, main
// screen, the user's title.
constexpr char kRestore[] = "\x1b[?2026l\x1b[0m\x1b[?7h\x1b[?25h\x1b[?1049l\x1b[23;0t";
// The normal screen's share of the same: the cursor and autowrap only.
constexpr char kEnterNormal[] = "\x1b[?25l\x1b[?7l";
constexpr char kRestoreNormal[] = "\x1b[0m\x1b[?7h\x1b[?25h";

constexpr int kFatalSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};
constexpr int kFatalCount = sizeof(kFatalSignals) / sizeof(kFatalSignals[0]);
// The ones a program may be asked to end by, rather than crash by.
bool IsQuitSignal(int signal) { return signal == SIGINT || signal == SIGTERM || signal == SIGHUP; }

// Everything the handlers touch: plain data set before they are installed,
// and lock-free atomics.
int gInputFd = -1;
int gOutputFd = -1;
termios gSaved{};
termios gRaw{};
std::atomic<bool> gEntered{false};
std::atomic<bool> gResized{false};
std::atomic<bool> gContinued{false};
std::atomic<int> gQuitSignal{0};
// The size the window had before the session asked for another, as the
// request that gives it back, and the size asked for.
std::atomic<bool> gSizeAsked{false};
char gGiveBackBytes[32];
std::size_t gGiveBackLength = 0;
TerminalSize gAskedSize{0, 0};
TerminalSize gOriginalSize{0, 0};
std::string_view gEnterBytes{kEnter, sizeof kEnter - 1};
std::string_view gRestoreBytes{kRestore, sizeof kRestore - 1};
static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<int>::is_always_lock_free);

struct sigaction gOldFatal[kFatalCount];
struct sigaction gOldStop, gOldCont, gOldWinch;

// A crash from a stack overflow leaves no stack for the handler.
alignas(16) char gAltStack[64 * 1024];

void WriteAll(int fd, const char* bytes, std::size_t length) {
    while (length > 0) {
        const ssize_t n = ::write(fd, bytes, length);
        if (n > 0) {
            bytes += n;
            length -= static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return;
        }
    }
}

bool MeasureFd(int fd, TerminalSize& size) {
    winsize measured{};
    if (::ioctl(fd, TIOCGWINSZ, &measured) != 0 || measured.ws_col == 0 || measured.ws_row == 0) return false;
    size = TerminalSize{measured.ws_col, measured.ws_row};
    return true;
}

// At the end, a window that took the size asked for goes back to the size it
// had; one the player has since made larger, or back to its own size, stays.
void GiveBackSize() {
    if (!gSizeAsked.exchange(false)) return;
    TerminalSize now{0, 0};
    if (!MeasureFd(gOutputFd, now)) return;
    const bool changed = now.columns != gOriginalSize.columns || now.rows != gOriginalSize.rows;
    if (changed && now.columns <= gAskedSize.columns && now.rows <= gAskedSize.rows)
        WriteAll(gOutputFd, gGiveBackBytes, gGiveBackLength);
}

// Async-signal-safe: write(2), ioctl(2), tcsetattr(3) and the signal mask
// only. `ending`: the session is over, not just stopped by Ctrl+Z.
void RestoreTerminal(bool ending) {
    // The shell may already have taken the terminal back (when it waits only
    // for a wrapper of ours that stopped first); changing the modes from the
    // background would then stop us with SIGTTOU halfway through.
    sigset_t ttou, before;
    sigemptyset(&ttou);
    sigaddset(&ttou, SIGTTOU);
    ::sigprocmask(SIG_BLOCK, &ttou, &before);
    WriteAll(gOutputFd, gRestoreBytes.data(), gRestoreBytes.size());
    if (ending) GiveBackSize();
    ::tcsetattr(gInputFd, TCSANOW, &gSaved);
    ::sigprocmask(SIG_SETMASK, &before, nullptr);
}

void OnFatalSignal(int signal) {
    const int savedErrno = errno;
    if (gEntered.exchange(false)) RestoreTerminal(true);
    // The handler was installed with SA_RESETHAND: the default action is back,
    // and the raised signal is delivered as soon as this handler returns.
    ::raise(signal);
    errno = savedErrno;
}

// The first quit signal is only noted: the program ends at its next chance,
// having finished what it was doing, and then by that signal. A second one
// finds it slow to end and ends it at once.
void OnQuitSignal(int signal) {
    const int savedErrno = errno;
    int none = 0;
    if (gQuitSignal.compare_exchange_strong(none, signal)) {
        errno = savedErrno;
        return;
    }
    if (gEntered.exchange(false)) RestoreTerminal(true);
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);  // delivered as soon as this handler returns
    errno = savedErrno;
}

void OnStop(int) {
    const int savedErrno = errno;
    if (gEntered.load()) RestoreTerminal(false);
    // Stop the way Ctrl+Z always does; execution carries on here after SIGCONT.
    struct sigaction stop {};
    stop.sa_handler = SIG_DFL;
    sigemptyset(&stop.sa_mask);
    struct sigaction ours {};
    ::sigaction(SIGTSTP, &stop, &ours);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, SIGTSTP);
    ::sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
    ::raise(SIGTSTP);
    ::sigaction(SIGTSTP, &ours, nullptr);
    errno = savedErrno;
}

void OnContinue(int) { gContinued.store(true); }

void OnResize(int) { gResized.store(true); }

void Install(int signal, void (*handler)(int), int flags, struct sigaction* old) {
    // A signal we were started with ignored (nohup, a shell without job
    // control) stays ignored: catching it would change how the program ends.
    ::sigaction(signal, nullptr, old);
    if (old->sa_handler == SIG_IGN) return;
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, old);
}

}  // namespace

std::string_view TerminalSession::EnterSequence() { return {kEnter, sizeof kEnter - 1}; }
std::string_view TerminalSession::RestoreSequence() { return {kRestore, sizeof kRestore - 1}; }

bool TerminalSession::AreTerminals(int inputFd, int outputFd) {
    return ::isatty(inputFd) == 1 && ::isatty(outputFd) == 1;
}

bool TerminalSession::Entered() const { return gEntered.load(); }

bool TerminalSession::Enter() {
    if (gEntered.load()) return true;
    termios saved{};
    if (::tcgetattr(inputFd_, &saved) != 0) return false;
    termios raw = saved;
    // Raw, unechoed bytes as they come; ISIG stays so Ctrl+C, Ctrl+\ and
    // Ctrl+Z keep their meaning. IXON goes so Ctrl+S cannot freeze the game.
    raw.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
    raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | IEXTEN);
    raw.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB);
    raw.c_cflag |= CS8;
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;

    gInputFd = inputFd_;
    gOutputFd = outputFd_;
    gSaved = saved;
    gRaw = raw;
    const bool normal = screen_ == Screen::Normal;
    gEnterBytes = normal ? std::string_view{kEnterNormal, sizeof kEnterNormal - 1} : EnterSequence();
    gRestoreBytes = normal ? std::string_view{kRestoreNormal, sizeof kRestoreNormal - 1} : RestoreSequence();

    stack_t altStack{};
    altStack.ss_sp = gAltStack;
    altStack.ss_size = sizeof gAltStack;
    ::sigaltstack(&altStack, nullptr);
    gQuitSignal.store(0);
    for (int i = 0; i < kFatalCount; ++i) {
        if (deferQuit_ && IsQuitSignal(kFatalSignals[i]))
            Install(kFatalSignals[i], OnQuitSignal, SA_RESTART | SA_ONSTACK, &gOldFatal[i]);
        else
            Install(kFatalSignals[i], OnFatalSignal, SA_RESETHAND | SA_ONSTACK, &gOldFatal[i]);
    }
    Install(SIGTSTP, OnStop, SA_RESTART, &gOldStop);
    Install(SIGCONT, OnContinue, SA_RESTART, &gOldCont);
    Install(SIGWINCH, OnResize, SA_RESTART, &gOldWinch);

    gEntered.store(true);
    ::tcsetattr(inputFd_, TCSAFLUSH, &gRaw);
    WriteAll(outputFd_, gEnterBytes.data(), gEnterBytes.size());
    gResized.store(true);  // measure on the first present
    return true;
}

void TerminalSession::Leave() {
    if (!gEntered.exchange(false)) return;
    RestoreTerminal(true);
    for (int i = 0; i < kFatalCount; ++i) ::sigaction(kFatalSignals[i], &gOldFatal[i], nullptr);
    ::sigaction(SIGTSTP, &gOldStop, nullptr);
    ::sigaction(SIGCONT, &gOldCont, nullptr);
    ::sigaction(SIGWINCH, &gOldWinch, nullptr);
}

bool TerminalSession::TakeResized() { return gResized.exchange(false); }
bool TerminalSession::TakeContinued() { return gContinued.exchange(false); }

bool TerminalSession::InForeground() const { return ::tcgetpgrp(inputFd_) == ::getpgrp(); }

void TerminalSession::Resume() {
    if (!gEntered.load()) return;
    ::tcsetattr(inputFd_, TCSAFLUSH, &gRaw);
    WriteAll(outputFd_, gEnterBytes.data(), gEnterBytes.size());
    gResized.store(true);
}

int TerminalSession::QuitSignal() { return gQuitSignal.load(); }

void TerminalSession::EndByQuitSignal() {
    const int signal = gQuitSignal.load();
    if (signal == 0) return;
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, signal);
    ::sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
    ::raise(signal);
}

TerminalSize TerminalSession::Measure() const {
    TerminalSize size{0, 0};
    if (!MeasureFd(outputFd_, size)) return TerminalSize{80, 30};  // nothing better to go on
    return size;
}

std::string TerminalSession::SizeRequest(TerminalSize size) {
    std::string request = "\x1b[8;";
    AppendDecimal(request, static_cast<unsigned>(size.rows));
    request += ';';
    AppendDecimal(request, static_cast<unsigned>(size.columns));
    request += 't';
    return request;
}

void TerminalSession::RequestSize(TerminalSize size) {
    if (!gEntered.load()) return;
    if (!gSizeAsked.load()) {
        // Set before the flag, which is what the handlers look at.
        gOriginalSize = Measure();
        gAskedSize = size;
        const std::string giveBack = SizeRequest(gOriginalSize);
        gGiveBackLength = std::min(giveBack.size(), sizeof gGiveBackBytes);
        giveBack.copy(gGiveBackBytes, gGiveBackLength);
        gSizeAsked.store(true);
    }
    const std::string request = SizeRequest(size);
    WriteAll(outputFd_, request.data(), request.size());
}

}  // namespace zumbrik
