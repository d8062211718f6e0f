#pragma once

#include "platform/console_surface.h"

namespace zumbrik {

// One screen buffer of the surface: what every drawing operation draws on.
struct ConsoleBuffer {
    ConsoleSurface& surface;
    ConsoleHandle handle;
};

}  // namespace zumbrik
