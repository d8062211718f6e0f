#include "platform/posix/ansi_colour.h"

#include "platform/posix/terminal_text.h"

namespace zumbrik {

void AppendSgr(std::string& out, ColourAttribute attribute) {
    out += "\x1b[";
    AppendDecimal(out, static_cast<unsigned>(AnsiForeground(TextColour(attribute))));
    out += ';';
    AppendDecimal(out, static_cast<unsigned>(AnsiBackground(BackgroundColour(attribute))));
    out += 'm';
}

}  // namespace zumbrik
