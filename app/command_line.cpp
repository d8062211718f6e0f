#include "app/command_line.h"

#include <string_view>

#include "player/mixer/kernel_selection.h"
#include "zumbrik/version.h"

namespace zumbrik {

namespace {

struct Option {
    std::string_view name;
    // Play for an option that changes how the game plays.
    Command command;
    std::string_view help;
};

constexpr Option kOptions[] = {
    {"--no-music", Command::Play, "начать с выключенной музыкой, как после клавиши M"},
    {"--scores", Command::ShowScores, "показать таблицу рекордов и выйти"},
    {"--help", Command::Help, "показать эту справку и выйти"},
    {"--version", Command::Version, "показать версию и выйти"},
};

CommandLine UsageError(std::string_view argument) { return CommandLine{Command::Usage, true, std::string(argument)}; }

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    for (int k = 1; k < argc; ++k) {
        const std::string_view argument = argv[k];
        const Option* found = nullptr;
        for (const Option& option : kOptions)
            if (option.name == argument) found = &option;
        if (found == nullptr) return UsageError(argument);
        if (found->command == Command::Play) {
            if (!line.music) return UsageError(argument);  // given twice
            line.music = false;
            continue;
        }
        // One command per run: a second one is as wrong as an unknown one.
        if (line.command != Command::Play) return UsageError(argument);
        line.command = found->command;
    }
    // --no-music is about playing; with another command it is a mistake.
    if (!line.music && line.command != Command::Play) return UsageError("--no-music");
    return line;
}

std::string HelpText() {
    std::string text = std::string(kUsageLine) + "\n";
    for (const Option& option : kOptions) {
        text += "  " + std::string(option.name) + std::string(12 - option.name.size(), ' ') +
                std::string(option.help) + "\n";
    }
    return text;
}

int PrintInformation(Command command, std::FILE* out) {
    const std::string text = command == Command::Help ? HelpText() : "zumbrik " ZUMBRIK_VERSION "\n";
    std::fputs(text.c_str(), out);
    return std::fflush(out) == 0 && std::ferror(out) == 0 ? 0 : 1;
}

std::optional<int> AnswerBeforeTheGame(const CommandLine& line, std::FILE* out, std::FILE* err) {
    if (line.command == Command::Usage) {
        std::fprintf(err, "%s\n", kUsageLine);
        return 2;
    }
    if (line.command == Command::Help || line.command == Command::Version) {
        return PrintInformation(line.command, out);
    }
    if (const std::string problem = TakeKernelProblem(); !problem.empty()) {
        std::fprintf(err, "zumbrik: %s; using the %s kernels\n", problem.c_str(),
                     KernelName(KernelSelectionAtStart().running));
    }
    return std::nullopt;
}

}  // namespace zumbrik
