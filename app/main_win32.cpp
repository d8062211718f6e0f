// The game in the Windows console.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdio>

#include "app/command_line.h"
#include "app/score_listing.h"
#include "game/run_game.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_console.h"
#include "platform/win32/win32_input.h"
#include "platform/win32/win32_score_store.h"
#include "platform/win32/winmm_wave_device.h"
#include "player/background/module_player.h"

namespace {

// The lines the program prints are UTF-8; the console shows them as such only
// while its output code page says so, and keeps the page after the program.
class Utf8ConsoleOutput {
public:
    Utf8ConsoleOutput() : saved_(::GetConsoleOutputCP()) { ::SetConsoleOutputCP(CP_UTF8); }
    ~Utf8ConsoleOutput() {
        if (saved_ != 0) ::SetConsoleOutputCP(saved_);
    }
    Utf8ConsoleOutput(const Utf8ConsoleOutput&) = delete;
    Utf8ConsoleOutput& operator=(const Utf8ConsoleOutput&) = delete;

private:
    UINT saved_;
};

}  // namespace

int main(int argc, char** argv) {
    using namespace zumbrik;
    const Utf8ConsoleOutput utf8;
    const CommandLine line = ParseCommandLine(argc, argv);
    if (const auto status = AnswerBeforeTheGame(line, stdout, stderr)) return *status;
    Win32ScoreStore store(Win32ScoreStore::DefaultFolder());
    ScoreBook book{store, {}};
    if (line.command == Command::ShowScores) return PrintScores(book, stdout, stderr);
    int status = 0;
    HandBackConsoleScreenOnInterrupt();
    {
        Win32Console console;
        Win32Input input;
        Win32Clock clock;
        // Static, and handed over before the player registers its exit handler,
        // so the device outlives the music the game leaves playing at Escape.
        static WinmmWaveDevice wave;
        UseWaveDevice(&wave);
        status = RunGame(console, input, clock, &book, GameOptions{line.music});
    }
    HandBackConsoleScreen();
    // After the console is back, so the lines stay readable.
    PrintNotes(book, stderr);
    return status;
}
