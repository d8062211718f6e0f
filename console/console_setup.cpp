#include "console/console_setup.h"

namespace zumbrik {

ConsoleBuffers SetUpConsole(ConsoleSurface& surface) {
    // Like every console call, creation is not checked: a buffer that cannot
    // be made comes back null, the surface ignores writes to it, and the game
    // runs on unseen instead of crashing.
    ConsoleBuffers buffers;
    buffers.gameBuffer = surface.CreateConsoleScreenBuffer();
    buffers.pauseBuffer = surface.CreateConsoleScreenBuffer();
    buffers.savedOutput = surface.GetStdHandle(kStdOutputHandle);
    surface.SetConsoleCursorInfo(buffers.gameBuffer, 1, false);
    surface.SetConsoleCursorInfo(buffers.pauseBuffer, 1, false);
    surface.SetConsoleScreenBufferSize(buffers.gameBuffer, kScreenSize);
    surface.SetConsoleScreenBufferSize(buffers.pauseBuffer, kScreenSize);
    surface.SetConsoleActiveScreenBuffer(buffers.gameBuffer);
    ResizeConsoleWindow(surface);
    return buffers;
}

void ResizeConsoleWindow(ConsoleSurface& surface) {
    WindowHandle window = surface.GetConsoleWindow();
    WindowRect rect{};
    surface.GetWindowRect(window, &rect);
    surface.MoveWindow(window, rect.left, rect.top, 1000, 1000, true);
}

void RestoreConsole(ConsoleSurface& surface, const ConsoleBuffers& buffers) {
    surface.SetConsoleActiveScreenBuffer(buffers.savedOutput);
    surface.CloseHandle(buffers.pauseBuffer);
    surface.CloseHandle(buffers.gameBuffer);
}

}  // namespace zumbrik
