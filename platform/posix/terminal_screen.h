#pragma once
#include "platform/memory_console/memory_console.h"
#include "platform/posix/screen_presenter.h"
#include "platform/posix/terminal_session.h"

namespace zumbrik {

// Ties the model (the memory console) to the real terminal: picks up what the
// signals reported (a resize, a resume after Ctrl+Z) and presents.
class TerminalScreen {
public:
    TerminalScreen(MemoryConsole& console, TerminalSession& session, ScreenPresenter& presenter)
        : console_(console), session_(session), presenter_(presenter) {}

    void Present();
    bool TooSmall() const { return presenter_.TooSmall(console_); }
    void RequestFullRepaint() { presenter_.RequestFullRepaint(); }

    // The game made another buffer active: show it at once. The standard
    // output buffer coming back means the game has torn down, so the
    // terminal goes back to the user.
    void ActiveBufferChanged();
    // The game wants its window at full size: the first time, a terminal too
    // small for the game is asked to grow, up to what the game needs. Asked
    // once: a terminal that ignores it shows the notice, and one the player
    // has sized since is left as they made it.
    void WindowMoveRequested();
    // A quit signal came: the game is to end at its next chance.
    bool QuitRequested() const { return TerminalSession::QuitSignal() != 0; }

private:
    MemoryConsole& console_;
    TerminalSession& session_;
    ScreenPresenter& presenter_;
    bool resumePending_ = false;
    bool sizeAsked_ = false;
};

}  // namespace zumbrik
