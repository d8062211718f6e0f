#include <cstdio>

#include "app/command_line.h"
#include "app/score_listing.h"
#include "game/run_game.h"
#include "platform/posix/alsa_wave_device.h"
#include "platform/posix/posix_score_store.h"
#include "platform/posix/terminal_main.h"
#include "player/background/module_player.h"

int main(int argc, char** argv) {
    using namespace zumbrik;
    const CommandLine line = ParseCommandLine(argc, argv);
    if (const auto status = AnswerBeforeTheGame(line, stdout, stderr)) return *status;
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
    std::fflush(stderr);
    EndByQuitSignal();
    return status;
}
