#pragma once

#include "platform/posix/byte_sink.h"

namespace zumbrik {

// Hands the presenter's ANSI bytes to the page's terminal (xterm.js), whose
// page gives the module a function onTerminalBytes(Uint8Array).
class XtermSink final : public ByteSink {
public:
    void Write(std::string_view bytes) override;
};

}  // namespace zumbrik
