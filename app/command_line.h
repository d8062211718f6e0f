#pragma once
#include <cstdio>
#include <optional>
#include <string>

namespace zumbrik {

// What the game's command line asks for. A new option is one more row in the
// table of command_line.cpp (and one more command, unless it changes how the
// game plays).
enum class Command { Play, ShowScores, Help, Version, Usage };

struct CommandLine {
    Command command = Command::Play;
    bool music = true;  // --no-music: start with the music off
    // The argument that made the line a usage error.
    std::string offending;
};

inline constexpr char kUsageLine[] = "использование: zumbrik [--no-music] | --scores | --help | --version";

CommandLine ParseCommandLine(int argc, const char* const* argv);

// What --help prints: the usage line, then one line per option.
std::string HelpText();

// Runs --help or --version: prints to `out`; 0, or 1 when the text could not
// be written.
int PrintInformation(Command command, std::FILE* out);

// What both game entries do before anything else: a usage error, --help and
// --version end the run here (its exit status); otherwise a problem with the
// chosen mixing kernels is said on `err` (before the terminal is taken, so
// the line stays readable) and the run goes on (nothing).
std::optional<int> AnswerBeforeTheGame(const CommandLine& line, std::FILE* out, std::FILE* err);

}  // namespace zumbrik
