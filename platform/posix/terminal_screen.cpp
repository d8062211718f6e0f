#include "platform/posix/terminal_screen.h"

#include <algorithm>

namespace zumbrik {

void TerminalScreen::Present() {
    if (!session_.Entered()) return;
    if (session_.TakeContinued()) resumePending_ = true;
    if (resumePending_) {
        // Sent to the background with bg: drawing now would scribble over the
        // shell. Wait until brought back with fg.
        if (!session_.InForeground()) return;
        session_.Resume();
        presenter_.RequestFullRepaint();
        resumePending_ = false;
    }
    if (session_.TakeResized()) {
        const TerminalSize size = session_.Measure();
        presenter_.SetTerminalSize(size.columns, size.rows);
    }
    presenter_.Present(console_);
}

void TerminalScreen::ActiveBufferChanged() {
    if (console_.StandardOutputActive()) {
        session_.Leave();
        return;
    }
    if (!session_.Entered()) session_.Enter();
    Present();
}

void TerminalScreen::WindowMoveRequested() {
    if (!session_.Entered() || sizeAsked_) return;
    sizeAsked_ = true;
    const TerminalSize now = session_.Measure();
    const ScreenBuffer& buffer = console_.Active();
    if (now.columns >= buffer.Width() && now.rows >= buffer.Height()) return;
    session_.RequestSize(TerminalSize{std::max(now.columns, buffer.Width()), std::max(now.rows, buffer.Height())});
}

}  // namespace zumbrik
