#include "platform/posix/terminal_session.h"

#include <sys/ioctl.h>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix/byte_sink.h"
#include "platform/posix/posix_input.h"
#include "platform/posix/screen_presenter.h"
#include "platform/posix/terminal_screen.h"

namespace zumbrik {
namespace {

bool SameModes(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
           std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

// A pseudo-terminal pair: the session runs on the follower side, the test
// reads what it wrote from the leader side.
class TerminalSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        leader = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(leader, 0);
        ASSERT_EQ(::grantpt(leader), 0);
        ASSERT_EQ(::unlockpt(leader), 0);
        follower = ::open(::ptsname(leader), O_RDWR | O_NOCTTY);
        ASSERT_GE(follower, 0);
        ASSERT_EQ(::tcgetattr(follower, &original), 0);
    }
    void TearDown() override {
        ::close(follower);
        ::close(leader);
    }
    std::string Output() {
        std::string all;
        char bytes[4096];
        pollfd ready{leader, POLLIN, 0};
        while (::poll(&ready, 1, 200) > 0) {
            const ssize_t n = ::read(leader, bytes, sizeof bytes);
            if (n <= 0) break;
            all.append(bytes, static_cast<std::size_t>(n));
        }
        return all;
    }

    int leader = -1;
    int follower = -1;
    termios original{};
};

TEST_F(TerminalSessionTest, PipesAreNotTerminals) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    EXPECT_FALSE(TerminalSession::AreTerminals(fds[0], follower));
    EXPECT_FALSE(TerminalSession::AreTerminals(follower, fds[1]));
    EXPECT_TRUE(TerminalSession::AreTerminals(follower, follower));
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST_F(TerminalSessionTest, RawWhileEnteredAndExactlyRestoredOnLeave) {
    {
        TerminalSession session(follower, follower);
        ASSERT_TRUE(session.Enter());
        termios raw{};
        ASSERT_EQ(::tcgetattr(follower, &raw), 0);
        EXPECT_EQ(raw.c_lflag & (ECHO | ICANON), 0u);
        EXPECT_NE(raw.c_lflag & ISIG, 0u) << "Ctrl+C must still raise SIGINT";
        EXPECT_EQ(raw.c_iflag & (ICRNL | IXON), 0u);
        EXPECT_NE(Output().find(TerminalSession::EnterSequence()), std::string::npos);
        session.Leave();
        session.Leave();  // a second time changes nothing
        termios after{};
        ASSERT_EQ(::tcgetattr(follower, &after), 0);
        EXPECT_TRUE(SameModes(after, original));
        const std::string restored = Output();
        EXPECT_EQ(restored, TerminalSession::RestoreSequence());
    }
    // The destructor of a session already left writes nothing more.
    EXPECT_EQ(Output(), "");
}

// A tool's status line stays among the shell's lines: raw keys and a hidden
// cursor, but never the alternate screen, not even when resumed after fg.
TEST_F(TerminalSessionTest, TheNormalScreenIsNeverLeft) {
    TerminalSession session(follower, follower, TerminalSession::Screen::Normal);
    ASSERT_TRUE(session.Enter());
    termios raw{};
    ASSERT_EQ(::tcgetattr(follower, &raw), 0);
    EXPECT_EQ(raw.c_lflag & (ECHO | ICANON), 0u);
    session.Resume();
    const std::string entered = Output();
    EXPECT_EQ(entered.find("\x1b[?1049h"), std::string::npos) << entered;
    EXPECT_NE(entered.find("\x1b[?25l"), std::string::npos) << entered;
    session.Leave();
    termios after{};
    ASSERT_EQ(::tcgetattr(follower, &after), 0);
    EXPECT_TRUE(SameModes(after, original));
    const std::string restored = Output();
    EXPECT_EQ(restored.find("\x1b[?1049l"), std::string::npos) << restored;
    EXPECT_NE(restored.find("\x1b[?25h"), std::string::npos) << restored;
}

void SetSize(int fd, int columns, int rows) {
    winsize size{};
    size.ws_col = static_cast<unsigned short>(columns);
    size.ws_row = static_cast<unsigned short>(rows);
    ASSERT_EQ(::ioctl(fd, TIOCSWINSZ, &size), 0);
}

TEST_F(TerminalSessionTest, ScreenFollowsResizesAndHandsTheTerminalBackAtTeardown) {
    SetSize(leader, 60, 20);
    MemoryConsole console;
    FdSink sink(follower);
    ScreenPresenter presenter(sink);
    TerminalSession session(follower, follower);
    TerminalScreen screen(console, session, presenter);
    ASSERT_TRUE(session.Enter());
    Output();

    ConsoleHandle game = console.CreateConsoleScreenBuffer();
    console.SetConsoleActiveScreenBuffer(game);
    screen.ActiveBufferChanged();
    EXPECT_TRUE(screen.TooSmall());
    EXPECT_NE(Output().find("Увеличьте"), std::string::npos);
    // Too small: the terminal is asked to grow to what the game needs.
    screen.WindowMoveRequested();
    EXPECT_EQ(Output(), "\x1b[8;30;80t");

    SetSize(leader, 80, 30);
    ::raise(SIGWINCH);
    screen.Present();
    EXPECT_FALSE(screen.TooSmall());
    EXPECT_GT(Output().size(), 2400u);
    // Large enough: a window move asks for nothing.
    screen.WindowMoveRequested();
    EXPECT_EQ(Output(), "");

    console.SetConsoleActiveScreenBuffer(console.GetStdHandle(kStdOutputHandle));
    screen.ActiveBufferChanged();
    EXPECT_FALSE(session.Entered());
    // The window took the size asked for, so it gets its own back.
    EXPECT_EQ(Output(), std::string(TerminalSession::RestoreSequence()) + "\x1b[8;20;60t");
    termios after{};
    ASSERT_EQ(::tcgetattr(follower, &after), 0);
    EXPECT_TRUE(SameModes(after, original));
}

// Asked once, at the first window move; given back only while the window
// still has a size the game asked for.
TEST_F(TerminalSessionTest, TheWindowIsAskedToGrowOnceAndGivenBackItsSizeIfItTookTheOneAsked) {
    struct Case {
        int columns, rows;  // at the end
        const char* giveBack;
    };
    const Case cases[] = {
        {80, 30, "\x1b[8;24;80t"},  // honoured
        {80, 28, "\x1b[8;24;80t"},  // honoured as far as the screen allows
        {80, 24, ""},                // ignored: nothing to give back
        {120, 40, ""},               // made larger by the player since
    };
    for (const Case& c : cases) {
        SetSize(leader, 80, 24);
        MemoryConsole console;
        FdSink sink(follower);
        ScreenPresenter presenter(sink);
        TerminalSession session(follower, follower);
        TerminalScreen screen(console, session, presenter);
        ASSERT_TRUE(session.Enter());
        console.SetConsoleActiveScreenBuffer(console.CreateConsoleScreenBuffer());
        screen.ActiveBufferChanged();
        Output();
        screen.WindowMoveRequested();
        EXPECT_EQ(Output(), "\x1b[8;30;80t");
        screen.WindowMoveRequested();  // the pause moves the window again: no second request
        EXPECT_EQ(Output(), "");
        SetSize(leader, c.columns, c.rows);
        session.Leave();
        EXPECT_EQ(Output(), std::string(TerminalSession::RestoreSequence()) + c.giveBack) << c.columns << "x" << c.rows;
    }
}

// A child process enters a session on the pseudo-terminal and is then ended
// by a signal: the terminal must be restored and the child must die of that
// very signal.
void ExpectRestoredAfter(int leader, int follower, const termios& original, void (*end)()) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TerminalSession session(follower, follower);
        if (!session.Enter()) std::_Exit(3);
        end();
        std::_Exit(4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    std::string output;
    char bytes[4096];
    pollfd ready{leader, POLLIN, 0};
    while (::poll(&ready, 1, 200) > 0) {
        const ssize_t n = ::read(leader, bytes, sizeof bytes);
        if (n <= 0) break;
        output.append(bytes, static_cast<std::size_t>(n));
    }
    EXPECT_TRUE(output.ends_with(TerminalSession::RestoreSequence()));
    termios after{};
    ASSERT_EQ(::tcgetattr(follower, &after), 0);
    EXPECT_TRUE(SameModes(after, original));
    ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
}

TEST_F(TerminalSessionTest, SigtermRestoresAndEndsWithSigterm) {
    ExpectRestoredAfter(leader, follower, original, [] { ::raise(SIGTERM); });
}

TEST_F(TerminalSessionTest, CrashRestoresAndStillCrashes) {
    // abort() is the crash a sanitizer build leaves to us; the others take the same handler.
    ExpectRestoredAfter(leader, follower, original, [] { std::abort(); });
}

// The game defers SIGHUP, SIGINT and SIGTERM: the first reads as Escape (even
// after a flush) while the terminal stays the game's, so the game can record
// itself and leave; the process then ends by that signal. A second one ends
// it at once, the terminal restored all the same.
TEST_F(TerminalSessionTest, AQuitSignalWaitsForTheGameToEndUnlessItComesTwice) {
    struct Case {
        int signal;
        int times;
    };
    for (const Case c : {Case{SIGHUP, 1}, Case{SIGINT, 1}, Case{SIGTERM, 1}, Case{SIGTERM, 2}}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            TerminalSession session(follower, follower);
            session.DeferQuitSignals();
            if (!session.Enter()) std::_Exit(3);
            MemoryConsole console;
            FdSink sink(follower);
            ScreenPresenter presenter(sink);
            TerminalScreen screen(console, session, presenter);
            PosixInput input(follower, &screen);
            for (int k = 0; k < c.times; ++k) ::raise(c.signal);
            InputRecord key{};
            if (!input.PeekConsoleInputW(&key) || key.Event.KeyEvent.wVirtualKeyCode != kVkEscape) std::_Exit(4);
            input.FlushConsoleInputBuffer();
            if (!input.PeekConsoleInputW(&key) || key.Event.KeyEvent.wVirtualKeyCode != kVkEscape) std::_Exit(5);
            if (!session.Entered()) std::_Exit(6);
            sink.Write("[recorded]");
            session.Leave();
            TerminalSession::EndByQuitSignal();
            std::_Exit(7);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "signal " << c.signal << ", status " << status;
        EXPECT_EQ(WTERMSIG(status), c.signal);
        const std::string output = Output();
        EXPECT_TRUE(output.ends_with(TerminalSession::RestoreSequence())) << output;
        EXPECT_EQ(output.find("[recorded]") != std::string::npos, c.times == 1) << output;
        termios after{};
        ASSERT_EQ(::tcgetattr(follower, &after), 0);
        EXPECT_TRUE(SameModes(after, original));
    }
}

TEST_F(TerminalSessionTest, SignalIgnoredAtStartStaysIgnored) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGTERM, SIG_IGN);
        TerminalSession session(follower, follower);
        if (!session.Enter()) std::_Exit(3);
        ::raise(SIGTERM);
        std::_Exit(session.Entered() ? 7 : 4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 7);
}

}  // namespace
}  // namespace zumbrik
