/* Plays a module once through the system's sound output with the Zumbrik
 * player library's background player, showing where it is every second.
 *   play_once MODULE [DEVICE [SECONDS]]
 * DEVICE is an ALSA output ("default", "hw:1", "null", ...; ignored on
 * Windows); SECONDS stops the music early. Exit status: 0 played, 1 the
 * module did not load, 2 usage, 3 no sound output. */
#if !defined(_WIN32)
#define _POSIX_C_SOURCE 200809L
#endif
#include <stdio.h>
#include <stdlib.h>

#include <zumbrik/player.h>

#if defined(_WIN32)
#include <windows.h>
static void SleepMs(unsigned ms) { Sleep(ms); }
#else
#include <time.h>
static void SleepMs(unsigned ms) {
    struct timespec pause;
    pause.tv_sec = ms / 1000;
    pause.tv_nsec = (long)(ms % 1000) * 1000000L;
    nanosleep(&pause, NULL);
}
#endif

int main(int argc, char** argv) {
    double limit = argc > 3 ? atof(argv[3]) : 0;
    unsigned shown = 0;
    int result;

    if (argc < 2 || argc > 4) {
        fprintf(stderr, "usage: play_once MODULE [DEVICE [SECONDS]]\n");
        return 2;
    }
    if (argc > 2 && zumbrik_player_set_device(argv[2]) != ZUMBRIK_OK) {
        fprintf(stderr, "play_once: no output is called \"%s\"\n", argv[2]);
        return 2;
    }
    result = zumbrik_player_play_file(argv[1], ZUMBRIK_PLAY_ONCE);
    if (result != ZUMBRIK_OK) {
        /* A module that does not load is told from a machine without sound. */
        fprintf(stderr, "play_once: %s: %s\n", argv[1], zumbrik_error_text(result));
        return result == ZUMBRIK_ERROR_NO_DEVICE ? 3 : 1;
    }
    printf("playing %s with player library %s\n", argv[1], zumbrik_version());
    while (zumbrik_player_playing()) {
        const unsigned elapsed = zumbrik_player_elapsed_ms();
        if (elapsed >= shown * 1000) {
            const uint32_t position = zumbrik_player_position();
            printf("%3u.%03u s  order %u row %u\n", elapsed / 1000, elapsed % 1000, (unsigned)(position >> 16),
                   (unsigned)(position & 0xFFFF));
            fflush(stdout);
            shown = elapsed / 1000 + 1;
        }
        if (limit > 0 && elapsed >= limit * 1000) break;
        SleepMs(50);
    }
    zumbrik_player_stop();
    return 0;
}
