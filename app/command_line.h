#pragma once
#include <string>

namespace zumbrik {

// What the game's command line asks for. A new option is one more command
// and one more row in the table of command_line.cpp.
enum class Command { Play, ShowScores, Usage };

struct CommandLine {
    Command command = Command::Play;
    // The argument that made the line a usage error.
    std::string offending;
};

inline constexpr char kUsageLine[] = "использование: zumbrik [--scores]";

CommandLine ParseCommandLine(int argc, const char* const* argv);

}  // namespace zumbrik
