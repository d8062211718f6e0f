#include "platform/posix/terminal_main.h"

#include <unistd.h>

#include <cstdio>

#include "platform/memory_console/memory_console.h"
#include "platform/posix/byte_sink.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/posix_input.h"
#include "platform/posix/posix_surface.h"
#include "platform/posix/screen_presenter.h"
#include "platform/posix/terminal_screen.h"
#include "platform/posix/terminal_session.h"

namespace zumbrik {

int RunInTerminal(const GameEntry& game) {
    if (!TerminalSession::AreTerminals(STDIN_FILENO, STDOUT_FILENO)) {
        std::fputs("zumbrik: стандартный ввод и вывод должны быть терминалом\n", stderr);
        return 2;
    }
    TerminalSession session(STDIN_FILENO, STDOUT_FILENO);
    session.DeferQuitSignals();
    if (!session.Enter()) {
        std::fputs("zumbrik: не удалось настроить терминал\n", stderr);
        return 2;
    }
    MemoryConsole console;
    FdSink sink(STDOUT_FILENO);
    ScreenPresenter presenter(sink);
    TerminalScreen screen(console, session, presenter);
    PosixInput input(STDIN_FILENO, &screen);
    PosixClock clock(&screen, &input);
    PosixSurface surface(console, screen);

    const int status = game(surface, input, clock);
    session.Leave();
    return status;
}

void EndByQuitSignal() { TerminalSession::EndByQuitSignal(); }

}  // namespace zumbrik
