/* The player library from C: the offline renderer gives the bits the tool's
 * render gives for one pass of the song, says how long that pass is, keeps
 * songs open side by side apart, and refuses bad input with a reason.
 *   offline_song_test THEME.xm THEME_PASS.wav (rendered by zumbrik-xm) */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "read_whole_file.h"
#include "zumbrik/player.h"

static int failures = 0;

#define EXPECT(condition, ...)                                        \
    do {                                                              \
        if (!(condition)) {                                           \
            fprintf(stderr, "%s:%d: ", __FILE__, __LINE__);           \
            fprintf(stderr, __VA_ARGS__);                             \
            fputc('\n', stderr);                                      \
            failures += 1;                                            \
        }                                                             \
    } while (0)

/* Renders the whole pass in uneven pieces; returns the frames rendered. */
static size_t RenderAll(ZumbrikSong* song, int16_t* out, size_t capacity) {
    size_t total = 0, piece = 1;
    for (;;) {
        size_t got;
        if (total + piece > capacity) piece = capacity - total;
        got = zumbrik_song_render(song, out + 2 * total, piece);
        if (got == 0) break;
        total += got;
        piece = piece * 3 + 7; /* crosses the renderer's 1024-frame segments */
    }
    return total;
}

int main(int argc, char** argv) {
    size_t moduleSize = 0, wavSize = 0, referenceFrames, capacity, frames, i;
    unsigned char *module, *wav;
    int error = -1, silent = 1, matches;
    int16_t *rendered, *first, *second;
    ZumbrikSong *song, *a, *b;
    double seconds;

    if (argc != 3) {
        fprintf(stderr, "usage: offline_song_test THEME.xm THEME_PASS.wav\n");
        return 2;
    }
    module = ReadFile(argv[1], &moduleSize);
    wav = ReadFile(argv[2], &wavSize);
    if (module == NULL || wav == NULL || wavSize < 44) {
        fprintf(stderr, "cannot read %s or %s\n", argv[1], argv[2]);
        return 1;
    }
    referenceFrames = (wavSize - 44) / 4;

    /* One pass, bit for bit the tool's (little-endian samples after the header). */
    song = zumbrik_song_open(module, moduleSize, &error);
    EXPECT(song != NULL && error == ZUMBRIK_OK, "open: error %d (%s)", error, zumbrik_error_text(error));
    if (song == NULL) return 1;
    capacity = referenceFrames + 4096;
    rendered = calloc(2 * capacity, sizeof *rendered);
    frames = RenderAll(song, rendered, capacity);
    EXPECT(frames == referenceFrames, "rendered %zu frames, the tool %zu", frames, referenceFrames);
    matches = frames == referenceFrames;
    for (i = 0; matches && i < 2 * frames; ++i) {
        const unsigned char* at = wav + 44 + 2 * i;
        const int16_t expected = (int16_t)(uint16_t)(at[0] | at[1] << 8);
        if (rendered[i] != expected) {
            EXPECT(0, "sample %zu: %d, the tool %d", i, rendered[i], expected);
            matches = 0;
        }
    }
    for (i = 0; i < 2 * frames; ++i) silent = silent && rendered[i] == 0;
    EXPECT(!silent, "the render is silent");
    seconds = zumbrik_song_duration(song);
    EXPECT((size_t)(seconds * 48000 + 0.5) == referenceFrames, "duration %.4f s for %zu frames", seconds,
           referenceFrames);
    EXPECT(zumbrik_song_render(song, rendered, 16) == 0, "frames after the end of the pass");
    zumbrik_song_close(song);

    /* Two songs at once, rendered in turns, each as if alone. */
    a = zumbrik_song_open(module, moduleSize, NULL);
    b = zumbrik_song_open(module, moduleSize, NULL);
    EXPECT(a != NULL && b != NULL, "two songs open at once");
    if (a != NULL && b != NULL) {
        first = calloc(2 * 5000, sizeof *first);
        second = calloc(2 * 5000, sizeof *second);
        EXPECT(zumbrik_song_render(a, first, 3000) == 3000, "song a, first part");
        EXPECT(zumbrik_song_render(b, second, 5000) == 5000, "song b");
        EXPECT(zumbrik_song_render(a, first + 2 * 3000, 2000) == 2000, "song a, second part");
        EXPECT(memcmp(first, rendered, 2 * 5000 * sizeof *first) == 0, "song a differs from a song alone");
        EXPECT(memcmp(second, rendered, 2 * 5000 * sizeof *second) == 0, "song b differs from a song alone");
        free(first);
        free(second);
    }
    zumbrik_song_close(a);
    zumbrik_song_close(b);

    /* From the file, with what the module says of itself; a seek lands on the straight render. */
    song = zumbrik_song_open_file(argv[1], &error);
    EXPECT(song != NULL && error == ZUMBRIK_OK, "open_file: error %d", error);
    if (song != NULL) {
        first = calloc(2 * 1000, sizeof *first);
        EXPECT(strcmp(zumbrik_song_format(song), "XM") == 0, "format %s", zumbrik_song_format(song));
        EXPECT(zumbrik_song_channels(song) > 0 && zumbrik_song_orders(song) > 0 && zumbrik_song_patterns(song) > 0,
               "counts");
        EXPECT(zumbrik_song_samples(song, 0) >= 1 && zumbrik_song_samples(song, -1) == -1, "samples");
        EXPECT(zumbrik_song_instrument_name(song, zumbrik_song_instruments(song)) == NULL, "name past the end");
        EXPECT(zumbrik_song_sample_name(song, 0, 0) != NULL && zumbrik_song_title(song) != NULL, "names");
        EXPECT(zumbrik_song_seek(song, 5.0) == ZUMBRIK_OK && zumbrik_song_render(song, first, 1000) == 1000,
               "seek and render");
        EXPECT(memcmp(first, rendered + 2 * 5 * 48000, 2 * 1000 * sizeof *first) == 0, "the seek's frames");
        EXPECT(zumbrik_song_seek(song, -1) == ZUMBRIK_ERROR_INVALID_ARGUMENT, "negative seek");
        EXPECT(zumbrik_song_set_rate(song, 1000) == ZUMBRIK_ERROR_INVALID_ARGUMENT, "rate 1000");
        EXPECT(zumbrik_song_warnings(song) == 0, "warnings of a whole file: %u", zumbrik_song_warnings(song));
        free(first);
    }
    zumbrik_song_close(song);
    song = zumbrik_song_open(module, moduleSize / 2, &error);
    EXPECT(song != NULL && (zumbrik_song_warnings(song) & ZUMBRIK_WARNING_TRUNCATED) != 0, "a cut file is said");
    zumbrik_song_close(song);
    EXPECT(strcmp(zumbrik_version(), ZUMBRIK_PLAYER_VERSION) == 0, "version %s", zumbrik_version());

    /* Refusals carry the loader's reason. */
    error = -1;
    EXPECT(zumbrik_song_open("not a module at all, just text", 30, &error) == NULL && error == ZUMBRIK_ERROR_NOT_XM,
           "text: error %d", error);
    error = -1;
    EXPECT(zumbrik_song_open(NULL, 10, &error) == NULL && error == ZUMBRIK_ERROR_INVALID_ARGUMENT, "null: error %d", error);
    EXPECT(strcmp(zumbrik_error_text(ZUMBRIK_ERROR_NOT_XM), "not an XM, MOD or S3M module") == 0, "error text: %s",
           zumbrik_error_text(ZUMBRIK_ERROR_NOT_XM));
    zumbrik_song_close(NULL);

    free(rendered);
    free(module);
    free(wav);
    if (failures == 0) printf("player library: %zu frames as the tool renders them, %.2f s\n", frames, seconds);
    return failures == 0 ? 0 : 1;
}
