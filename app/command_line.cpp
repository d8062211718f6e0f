#include "app/command_line.h"

#include <string_view>

namespace zumbrik {

namespace {

struct Option {
    std::string_view name;
    Command command;
};

constexpr Option kOptions[] = {
    {"--scores", Command::ShowScores},
};

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    for (int k = 1; k < argc; ++k) {
        const std::string_view argument = argv[k];
        const Option* found = nullptr;
        for (const Option& option : kOptions)
            if (option.name == argument) found = &option;
        // One command per run: a second one is as wrong as an unknown one.
        if (found == nullptr || line.command != Command::Play) return CommandLine{Command::Usage, std::string(argument)};
        line.command = found->command;
    }
    return line;
}

}  // namespace zumbrik
