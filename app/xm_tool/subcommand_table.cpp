#include "app/xm_tool/subcommand_table.h"

namespace zumbrik {

namespace {

const Subcommand kSubcommands[] = {
    {"info", "info FILE [--verbose]",
     "format, header, orders, patterns, instruments and samples with their names, effects used",
     "  FILE           the module; - reads it from standard input\n"
     "  --verbose      also name the mixing kernels in use\n",
     InfoCommand},
    {"render", "render FILE OUT.wav [--seconds N | --loops N] [--rate N] [--float] [--gain DB] [--start ORDER | --from S]",
     "one pass of the song (N passes, or N seconds) as a stereo WAV, 48 kHz 16-bit unless asked otherwise",
     "  FILE           the module; - reads it from standard input\n"
     "  OUT.wav        the WAV to write, replaced only once it is complete;\n"
     "                 - writes it to standard output\n"
     "  --seconds N    N seconds, the song looping (above 0, at most 1800)\n"
     "  --loops N      N passes of the song (1 to 100, at most 30 minutes in all)\n"
     "  --rate N       N frames per second, 8000 to 192000 (default 48000)\n"
     "  --float        32-bit float samples, 1.0 full scale and not clipped, instead of 16-bit\n"
     "  --gain DB      DB decibels louder (negative: softer), -96 to 96 (default 0)\n"
     "  --start ORDER  from where the song first reaches row 0 of that order (0: the first)\n"
     "  --from S       from S seconds into the song, the very samples a whole render has there\n"
     "                 (0 to 1800); the length options count from the start chosen\n",
     RenderCommand},
    {"play", "play FILE... [--loop]",
     "through the sound device: space pause, + - volume, left/right orders, n/p next/previous file, h keys, q quit",
     "  FILE...        the modules, played one after another; - reads one from standard input\n"
     "  --loop         start again at the end instead of stopping\n",
     PlayCommand},
};

constexpr const char* kHelpOption = "  -h, --help     this text\n";

}  // namespace

const Subcommand* FindSubcommand(std::string_view name) {
    for (const Subcommand& command : kSubcommands) {
        if (name == command.name) return &command;
    }
    return nullptr;
}

void PrintToolHelp(std::ostream& out) {
    out << "usage: zumbrik-xm COMMAND [ARGUMENTS]\n"
           "Inspects, renders and plays XM, MOD and S3M modules.\n\ncommands:\n";
    for (const Subcommand& command : kSubcommands) {
        out << "  " << command.synopsis << "\n      " << command.summary << "\n";
    }
    out << "\noptions:\n"
           "  -h, --help     this text; zumbrik-xm COMMAND --help describes one command\n"
           "  --version      the version of zumbrik-xm\n"
           "\nexit status: 0 success, 1 failure, 2 usage error, 130 interrupted\n";
}

void PrintSubcommandHelp(const Subcommand& command, std::ostream& out) {
    out << "usage: zumbrik-xm " << command.synopsis << "\n" << command.summary << "\n\n" << command.options
        << kHelpOption;
}

int UsageError(std::string_view subcommand, const std::string& problem, std::ostream& err) {
    err << "zumbrik-xm: " << problem << "\n";
    if (const Subcommand* command = FindSubcommand(subcommand)) {
        err << "usage: zumbrik-xm " << command->synopsis << "\n";
    }
    return 2;
}

}  // namespace zumbrik
