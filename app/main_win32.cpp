// The game in the Windows console.
#include <cstdio>

#include "app/command_line.h"
#include "app/score_listing.h"
#include "game/run_game.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_console.h"
#include "platform/win32/win32_input.h"
#include "platform/win32/win32_score_store.h"
#include "platform/win32/winmm_wave_device.h"
#include "player/module_player.h"

int main(int argc, char** argv) {
    using namespace zumbrik;
    const CommandLine line = ParseCommandLine(argc, argv);
    if (line.command == Command::Usage) {
        std::fprintf(stderr, "%s\n", kUsageLine);
        return 2;
    }
    Win32ScoreStore store(Win32ScoreStore::DefaultFolder());
    ScoreBook book{store, {}};
    if (line.command == Command::ShowScores) return PrintScores(book, stdout, stderr);
    int status = 0;
    {
        Win32Console console;
        Win32Input input;
        Win32Clock clock;
        // Static, and handed over before the player registers its exit handler,
        // so the device outlives the music the game leaves playing at Escape.
        static WinmmWaveDevice wave;
        UseWaveDevice(&wave);
        status = RunGame(console, input, clock, &book);
    }
    // After the console is back, so the lines stay readable.
    PrintNotes(book, stderr);
    return status;
}
