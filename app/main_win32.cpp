// The game in the Windows console.
#include "game/run_game.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_console.h"
#include "platform/win32/win32_input.h"
#include "platform/win32/winmm_wave_device.h"
#include "player/module_player.h"

int main() {
    zumbrik::Win32Console console;
    zumbrik::Win32Input input;
    zumbrik::Win32Clock clock;
    // Static, and handed over before the player registers its exit handler,
    // so the device outlives the music the game leaves playing at Escape.
    static zumbrik::WinmmWaveDevice wave;
    zumbrik::UseWaveDevice(&wave);
    return zumbrik::RunGame(console, input, clock);
}
