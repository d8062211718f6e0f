#include "game/run_game.h"
#include "platform/posix/alsa_wave_device.h"
#include "platform/posix/terminal_main.h"
#include "player/module_player.h"

int main() {
    // Static: the game quits without stopping the music, so the device must
    // outlive main; the player stops itself at exit before it is destroyed.
    static zumbrik::AlsaWaveDevice sound;
    zumbrik::UseWaveDevice(&sound);
    return zumbrik::RunInTerminal(zumbrik::RunGame);
}
