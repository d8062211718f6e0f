#include "platform/posix/posix_surface.h"

#include "platform/posix/terminal_screen.h"

namespace zumbrik {

bool PosixSurface::SetConsoleActiveScreenBuffer(ConsoleHandle buffer) {
    const std::uint64_t before = console_.ActiveSwitches();
    const bool done = console_.SetConsoleActiveScreenBuffer(buffer);
    if (console_.ActiveSwitches() != before) screen_.ActiveBufferChanged();
    return done;
}

bool PosixSurface::MoveWindow(WindowHandle window, int x, int y, int width, int height, bool repaint) {
    const bool done = console_.MoveWindow(window, x, y, width, height, repaint);
    if (done) screen_.WindowMoveRequested();
    return done;
}

}  // namespace zumbrik
