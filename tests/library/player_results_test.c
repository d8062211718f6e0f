/* The background player from C: what each play call returns on a machine
 * with no usable sound output (a load failure is told from the missing
 * device), and, where ALSA's null output exists, that a song plays and
 * stops. Nothing may reach the standard error stream, not even the
 * complaint about a kernel set that does not exist (ctest sets
 * ZUMBRIK_KERNEL to one).
 *   player_results_test THEME.xm */
#define _POSIX_C_SOURCE 200809L
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include "read_whole_file.h"
#include "zumbrik/player.h"

static int failures = 0;

#define EXPECT(condition, ...)                                        \
    do {                                                              \
        if (!(condition)) {                                           \
            printf("%s:%d: ", __FILE__, __LINE__);                    \
            printf(__VA_ARGS__);                                      \
            putchar('\n');                                            \
            failures += 1;                                            \
        }                                                             \
    } while (0)

static void SleepMs(long ms) {
    struct timespec pause;
    pause.tv_sec = ms / 1000;
    pause.tv_nsec = (ms % 1000) * 1000000L;
    nanosleep(&pause, NULL);
}

/* Every call of the table, on an output that does not exist. */
static void NoDevice(const char* path, const unsigned char* theme, size_t size) {
    static const unsigned char garbage[400] = {0x5A};
    struct {
        const char* name;
        int result;
        int expected;
    } cases[9];
    int i, count = 0;
#define CASE(call, code) (cases[count].name = #call, cases[count].result = (call), cases[count++].expected = (code))
    CASE(zumbrik_player_set_device(""), ZUMBRIK_ERROR_INVALID_ARGUMENT);
    CASE(zumbrik_player_set_device("zumbrik_no_such_pcm"), ZUMBRIK_OK);
    CASE(zumbrik_player_play_memory(NULL, 10, 0), ZUMBRIK_ERROR_INVALID_ARGUMENT);
    CASE(zumbrik_player_play_file("", 0), ZUMBRIK_ERROR_INVALID_ARGUMENT);
    CASE(zumbrik_player_play_memory(garbage, sizeof garbage, 0), ZUMBRIK_ERROR_NOT_A_MODULE);
    CASE(zumbrik_player_play_file("/nonexistent/theme.xm", ZUMBRIK_PLAY_ONCE), ZUMBRIK_ERROR_CANNOT_OPEN);
    CASE(zumbrik_player_play_memory(theme, size, 0), ZUMBRIK_ERROR_NO_DEVICE);
    CASE(zumbrik_player_play_file(path, ZUMBRIK_PLAY_ONCE | ZUMBRIK_START_PAUSED), ZUMBRIK_ERROR_NO_DEVICE);
    CASE(zumbrik_player_play_memory(theme, size / 2, 0), ZUMBRIK_ERROR_NO_DEVICE); /* cut short: it loads */
#undef CASE
    for (i = 0; i < count; ++i) {
        EXPECT(cases[i].result == cases[i].expected, "%s gave %d (%s), not %d", cases[i].name, cases[i].result,
               zumbrik_error_text(cases[i].result), cases[i].expected);
    }
    EXPECT(zumbrik_player_playing() == 0, "nothing plays");
    EXPECT(zumbrik_player_elapsed_ms() == 0 && zumbrik_player_position() == 0, "nothing was heard");
    zumbrik_player_stop();
}

/* ALSA's null output takes sound without a sound card. */
static void NullDevice(const unsigned char* theme, size_t size) {
    int result, waited = 0;
    EXPECT(zumbrik_player_set_device("null") == ZUMBRIK_OK, "set_device(\"null\")");
    result = zumbrik_player_play_memory(theme, size, 0);
    if (result == ZUMBRIK_ERROR_NO_DEVICE) {
        printf("no ALSA null output here: the playing part is skipped\n");
        return;
    }
    EXPECT(result == ZUMBRIK_OK, "play on the null output gave %d", result);
    EXPECT(zumbrik_player_playing() == 1, "the theme plays");
    while (zumbrik_player_elapsed_ms() < 150 && waited < 5000) {
        SleepMs(10);
        waited += 10;
    }
    EXPECT(zumbrik_player_elapsed_ms() >= 150, "the time heard moves on (%u ms)", zumbrik_player_elapsed_ms());
    EXPECT((zumbrik_player_position() >> 16) == 0, "still in the first order");
    EXPECT(zumbrik_player_set_device(NULL) == ZUMBRIK_OK, "set_device(NULL)");
    EXPECT(zumbrik_player_playing() == 0, "naming the output stops the music");
    EXPECT(zumbrik_player_elapsed_ms() == 0, "and clears the time");
}

int main(int argc, char** argv) {
    size_t size = 0;
    unsigned char* theme;
    FILE* errors = tmpfile();
    int saved;
    long written;

    if (argc != 2 || errors == NULL) {
        printf("usage: player_results_test THEME.xm\n");
        return 2;
    }
    theme = ReadFile(argv[1], &size);
    if (theme == NULL) {
        printf("cannot read %s\n", argv[1]);
        return 2;
    }
    fflush(stderr);
    saved = dup(STDERR_FILENO);
    dup2(fileno(errors), STDERR_FILENO);

    NoDevice(argv[1], theme, size);
    NullDevice(theme, size);
    zumbrik_player_stop();

    fflush(stderr);
    dup2(saved, STDERR_FILENO);
    written = ftell(errors);
    EXPECT(written == 0, "the library wrote %ld bytes to the standard error stream", written);
    fclose(errors);
    free(theme);
    if (failures == 0) printf("player results: all as expected\n");
    return failures == 0 ? 0 : 1;
}
