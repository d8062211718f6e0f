#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/xm_tool/commands.h"
#include "zumbrik/version.h"
#include "player/cpu_dispatch.h"

namespace {

struct Subcommand {
    const char* name;
    const char* usage;
    zumbrik::XmToolCommand run;
};

// One line per subcommand.
const Subcommand kSubcommands[] = {
    {"info", "info FILE [--verbose]   header, orders, patterns, instruments, samples, effects used", zumbrik::InfoCommand},
    {"render",
     "render FILE OUT.wav [--seconds N | --loops N]   one pass of the song (N passes, or N seconds) as 48 kHz "
     "16-bit stereo WAV",
     zumbrik::RenderCommand},
    {"play", "play FILE            through the sound device: space pause, + - volume, arrows orders, q quit",
     zumbrik::PlayCommand},
};

void PrintUsage(std::ostream& out) {
    out << "usage: zumbrik-xm COMMAND ...\n";
    for (const Subcommand& command : kSubcommands) out << "  zumbrik-xm " << command.usage << "\n";
    out << "  zumbrik-xm --help | --version\n";
}

int Usage(std::ostream& out) {
    PrintUsage(out);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage(std::cerr);
    if (std::strcmp(argv[1], "--help") == 0) {
        PrintUsage(std::cout);
        return 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::cout << "zumbrik-xm " ZUMBRIK_VERSION "\n";
        return 0;
    }
    // A tool run to measure or compare a kernel set must not quietly run another.
    if (const std::string problem = zumbrik::TakeKernelProblem(); !problem.empty()) {
        std::cerr << "zumbrik-xm: " << problem << "\n";
        return 2;
    }
    for (const Subcommand& command : kSubcommands) {
        if (std::strcmp(argv[1], command.name) == 0) {
            return command.run(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
        }
    }
    std::cerr << "zumbrik-xm: unknown command '" << argv[1] << "'\n";
    return Usage(std::cerr);
}
