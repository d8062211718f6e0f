/* Renders one pass of an XM module to a WAV file with the Zumbrik player
 * library's offline renderer.
 *   render_wav MODULE.xm OUT.wav */
#include <stdio.h>
#include <stdlib.h>

#include <zumbrik/player.h>

static void Put(FILE* out, unsigned long value, int bytes) {
    int i;
    for (i = 0; i < bytes; ++i) fputc((int)((value >> (8 * i)) & 0xFF), out);
}

/* The 44-byte header of 48 kHz 16-bit stereo PCM with `frames` frames. */
static void PutHeader(FILE* out, unsigned long frames) {
    fputs("RIFF", out);
    Put(out, 36 + frames * 4, 4);
    fputs("WAVEfmt ", out);
    Put(out, 16, 4);
    Put(out, 1, 2); /* PCM */
    Put(out, 2, 2);
    Put(out, 48000, 4);
    Put(out, 48000 * 4, 4);
    Put(out, 4, 2);
    Put(out, 16, 2);
    fputs("data", out);
    Put(out, frames * 4, 4);
}

static unsigned char* ReadAll(const char* path, size_t* size) {
    FILE* in = fopen(path, "rb");
    unsigned char* bytes = NULL;
    size_t used = 0, capacity = 0, got;
    if (in == NULL) return NULL;
    do {
        if (used == capacity) {
            unsigned char* grown = realloc(bytes, capacity = capacity * 2 + 65536);
            if (grown == NULL) break;
            bytes = grown;
        }
        got = fread(bytes + used, 1, capacity - used, in);
        used += got;
    } while (got > 0);
    fclose(in);
    *size = used;
    return bytes;
}

int main(int argc, char** argv) {
    static int16_t frames[2 * 4096];
    unsigned long total = 0;
    int error = 0, peak = 0;
    size_t size = 0, got, i;
    unsigned char* module;
    ZumbrikSong* song;
    FILE* out;

    if (argc != 3) {
        fprintf(stderr, "usage: render_wav MODULE.xm OUT.wav\n");
        return 2;
    }
    module = ReadAll(argv[1], &size);
    if (module == NULL) {
        fprintf(stderr, "render_wav: cannot read %s\n", argv[1]);
        return 1;
    }
    song = zumbrik_song_open(module, size, &error);
    free(module); /* the song keeps what it needs */
    if (song == NULL) {
        fprintf(stderr, "render_wav: %s: %s\n", argv[1], zumbrik_error_text(error));
        return 1;
    }
    out = fopen(argv[2], "wb");
    if (out == NULL) {
        fprintf(stderr, "render_wav: cannot write %s\n", argv[2]);
        zumbrik_song_close(song);
        return 1;
    }
    PutHeader(out, 0);
    while ((got = zumbrik_song_render(song, frames, 4096)) > 0) {
        for (i = 0; i < 2 * got; ++i) {
            const int sample = frames[i] < 0 ? -frames[i] : frames[i];
            if (sample > peak) peak = sample;
            Put(out, (unsigned long)(uint16_t)frames[i], 2);
        }
        total += (unsigned long)got;
    }
    fseek(out, 0, SEEK_SET);
    PutHeader(out, total);
    if (fclose(out) != 0) {
        fprintf(stderr, "render_wav: writing %s failed\n", argv[2]);
        zumbrik_song_close(song);
        return 1;
    }
    printf("player library %s\n", zumbrik_version());
    printf("%s: %.2f s (%lu frames, peak %d) written to %s\n", argv[1], zumbrik_song_duration(song), total, peak,
           argv[2]);
    zumbrik_song_close(song);
    return 0;
}
