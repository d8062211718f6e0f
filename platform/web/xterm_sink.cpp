#include "platform/web/xterm_sink.h"

#include <emscripten.h>

namespace {

// A copy: the terminal parses what it is given later, when the memory may have moved on.
EM_JS(void, zumbrik_terminal_write, (const char* bytes, int length), {
    if (Module.onTerminalBytes) Module.onTerminalBytes(HEAPU8.slice(bytes, bytes + length));
});

}  // namespace

namespace zumbrik {

void XtermSink::Write(std::string_view bytes) { zumbrik_terminal_write(bytes.data(), static_cast<int>(bytes.size())); }

}  // namespace zumbrik
