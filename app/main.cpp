#include <cstdio>
#include <string>

#include "app/command_line.h"
#include "app/score_listing.h"
#include "game/run_game.h"
#include "platform/posix/alsa_wave_device.h"
#include "platform/posix/posix_score_store.h"
#include "platform/posix/terminal_main.h"
#include "player/cpu_dispatch.h"
#include "player/module_player.h"

int main(int argc, char** argv) {
    using namespace zumbrik;
    const CommandLine line = ParseCommandLine(argc, argv);
    if (line.command == Command::Usage) {
        std::fprintf(stderr, "%s\n", kUsageLine);
        return 2;
    }
    if (line.command == Command::Help || line.command == Command::Version) {
        return PrintInformation(line.command, stdout);
    }
    // Said before the terminal is taken, so the line stays readable.
    if (const std::string problem = TakeKernelProblem(); !problem.empty()) {
        std::fprintf(stderr, "zumbrik: %s; using the %s kernels\n", problem.c_str(),
                     KernelName(KernelSelectionAtStart().running));
    }
    PosixScoreStore store(PosixScoreStore::DefaultFolder());
    ScoreBook book{store, {}};
    if (line.command == Command::ShowScores) return PrintScores(book, stdout, stderr);
    // Static: the game quits without stopping the music, so the device must
    // outlive main; the player stops itself at exit before it is destroyed.
    static AlsaWaveDevice sound;
    UseWaveDevice(&sound);
    const GameOptions options{line.music};
    const int status = RunInTerminal(
        [&book, options](ConsoleSurface& surface, ConsoleInput& input, Clock& clock) {
            return RunGame(surface, input, clock, &book, options);
        });
    // After the terminal is back, so the lines stay readable.
    PrintNotes(book, stderr);
    return status;
}
