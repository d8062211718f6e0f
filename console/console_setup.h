#pragma once

#include "platform/console_surface.h"

namespace zumbrik {

inline constexpr char16_t kWindowTitle[] = u"Console Zumbrik 1.0";
inline constexpr Coord kScreenSize{80, 30};

// The game's two screen buffers and the one that was showing before them.
struct ConsoleBuffers {
    ConsoleHandle gameBuffer = nullptr;
    ConsoleHandle pauseBuffer = nullptr;
    ConsoleHandle savedOutput = nullptr;
};

// Both buffers created, cursor hidden, sized 80 by 30, the game buffer shown
// and the window resized. The title is set separately, as the very first step.
ConsoleBuffers SetUpConsole(ConsoleSurface& surface);
// Keeps the window's top-left corner and asks for 1000 by 1000 pixels.
void ResizeConsoleWindow(ConsoleSurface& surface);
// Shows the saved buffer again and closes the game's two buffers.
void RestoreConsole(ConsoleSurface& surface, const ConsoleBuffers& buffers);

}  // namespace zumbrik
