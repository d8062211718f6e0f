#include <csignal>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/xm_tool/interrupt_watch.h"
#include "app/xm_tool/subcommand_table.h"
#include "zumbrik/version.h"
#include "player/mixer/kernel_selection.h"

namespace {

bool IsHelp(std::string_view arg) {
    return arg == "--help" || arg == "-h";
}

// --help anywhere among a subcommand's options asks for its help; after "--"
// every word is a file name.
bool AsksForHelp(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") return false;
        if (IsHelp(arg)) return true;
    }
    return false;
}

int Usage() {
    std::cerr << "usage: zumbrik-xm COMMAND [ARGUMENTS]   (zumbrik-xm --help lists the commands)\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string_view first = argv[1];
    if (IsHelp(first)) {
        zumbrik::PrintToolHelp(std::cout);
        return 0;
    }
    if (first == "--version") {
        std::cout << "zumbrik-xm " ZUMBRIK_VERSION "\n";
        return 0;
    }
    const zumbrik::Subcommand* command = zumbrik::FindSubcommand(first);
    if (command == nullptr) {
        std::cerr << "zumbrik-xm: unknown command '" << first << "'\n";
        return Usage();
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (AsksForHelp(args)) {
        zumbrik::PrintSubcommandHelp(*command, std::cout);
        return 0;
    }
    // A tool run to measure or compare a kernel set must not quietly run another.
    if (const std::string problem = zumbrik::TakeKernelProblem(); !problem.empty()) {
        std::cerr << "zumbrik-xm: " << problem << "\n";
        return 2;
    }
    const int status = command->run(args, std::cout, std::cerr);
    for (const int signal : {SIGINT, SIGTERM}) {
        if (status == zumbrik::InterruptedStatus(signal)) {
            std::cout.flush();
            std::cerr.flush();
            zumbrik::EndAsInterrupted(signal);
        }
    }
    return status;
}
