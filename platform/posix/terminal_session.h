#pragma once
#include <string>
#include <string_view>

namespace zumbrik {

struct TerminalSize {
    int columns;
    int rows;
};

// Owns the terminal's modes for the length of a game: raw, non-echoing input
// (Ctrl+C and Ctrl+Z still raise their signals), the alternate screen, a
// hidden cursor, no autowrap. Whatever ends the program — a normal return,
// Ctrl+C, SIGTERM, SIGHUP, a crash — puts the terminal back exactly as it was
// found, from the signal handlers if need be, and the program then ends with
// the status that signal would have given. Ctrl+Z restores the terminal
// before stopping; the next Present after SIGCONT sets it up again.
//
// A game that must finish something before it ends (record the game being
// played) defers the quit signals: SIGINT, SIGTERM and SIGHUP then only mark
// the session (QuitSignal), the program ends at its next chance, restores the
// terminal and ends by that signal (EndByQuitSignal); a second one ends it at
// once, as without deferral.
//
// One session at a time per process: the signal handlers share its state.
//
// A tool that prints a status line among the shell's own lines keeps the
// normal screen instead: raw keys, a hidden cursor and no autowrap only. Its
// output fd may be -1 when its output is not a terminal: the modes then
// change and nothing is written.
class TerminalSession {
public:
    enum class Screen { Alternate, Normal };

    TerminalSession(int inputFd, int outputFd, Screen screen = Screen::Alternate)
        : inputFd_(inputFd), outputFd_(outputFd), screen_(screen) {}
    ~TerminalSession() { Leave(); }
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    static bool AreTerminals(int inputFd, int outputFd);

    // Before Enter.
    void DeferQuitSignals() { deferQuit_ = true; }
    // The deferred quit signal that arrived, or 0.
    static int QuitSignal();
    // Ends the process by that signal, if one arrived; returns otherwise.
    static void EndByQuitSignal();

    // Saves the modes, installs the handlers and switches the terminal over.
    // False, with the terminal untouched, if its modes cannot be read.
    bool Enter();
    // Restores the terminal and the previous signal handlers. Safe to repeat.
    void Leave();
    bool Entered() const;

    // Signals seen since the last call (each flag is cleared by taking it).
    bool TakeResized();
    bool TakeContinued();
    // After SIGCONT: raw mode and the alternate screen again. Only a
    // foreground process may change the terminal's modes.
    bool InForeground() const;
    void Resume();

    TerminalSize Measure() const;
    // Asks the terminal to resize itself (xterm's window operation); terminals
    // that do not allow it ignore the request. At the end of the session the
    // window is asked back to the size it had before the first request, if
    // it still has a size no larger than the one asked for.
    void RequestSize(TerminalSize size);

    // The bytes that set the terminal up and put it back (for tests).
    static std::string_view EnterSequence();
    static std::string_view RestoreSequence();

private:
    static std::string SizeRequest(TerminalSize size);

    int inputFd_;
    int outputFd_;
    Screen screen_;
    bool deferQuit_ = false;
};

}  // namespace zumbrik
