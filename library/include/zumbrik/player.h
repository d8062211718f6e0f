/*
 * The Zumbrik module player, for programs in C and C++: library version 2.
 *
 * Two ways to use it:
 *  - the offline renderer, for programs that own their audio output:
 *    zumbrik_song_open gives a song that renders on demand, at any rate from
 *    8,000 to 192,000 frames per second, as 16-bit or float stereo frames,
 *    with an exact seek, repeats, positions and the module's names. It needs
 *    no sound library;
 *  - the background player: zumbrik_player_play_memory or _play_file starts
 *    one song at a time on the system's sound output, and a thread of its own
 *    keeps it playing (ALSA's "default" device on Linux, loaded at the first
 *    play; the wave mapper on Windows).
 *
 * Threads: each ZumbrikSong is used by one thread at a time; different songs
 * are independent of each other and of the background player, so any number
 * may render at once on any threads. The zumbrik_player_* functions may be
 * called from any thread at any time: the calls that start, stop or change
 * the output take turns, the others never wait. The library never writes to
 * the standard streams.
 *
 * Link with `pkg-config --cflags --libs zumbrik-player` (a static program:
 * `cc -static ... $(pkg-config --cflags --libs --static zumbrik-player)`),
 * or in CMake with find_package(ZumbrikPlayer) and the target
 * Zumbrik::player.
 */
#ifndef ZUMBRIK_PLAYER_H
#define ZUMBRIK_PLAYER_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#if defined(ZUMBRIK_PLAYER_BUILDING)
#define ZUMBRIK_API __declspec(dllexport)
#else
#define ZUMBRIK_API __declspec(dllimport)
#endif
#else
#define ZUMBRIK_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The version of this header; zumbrik_version() tells the library's. */
#define ZUMBRIK_PLAYER_VERSION "2.0.0"
#define ZUMBRIK_PLAYER_VERSION_MAJOR 2

/* The library's version at run time, e.g. "2.0.0". */
ZUMBRIK_API const char* zumbrik_version(void);

/* ---- Results ------------------------------------------------------------ */

/* Why a call failed; ZUMBRIK_OK when it did not. */
enum ZumbrikError {
    ZUMBRIK_OK = 0,
    ZUMBRIK_ERROR_CANNOT_OPEN = 1,        /* no such file, no regular file, or no access */
    ZUMBRIK_ERROR_NOT_A_MODULE = 2,       /* the bytes are no module this library reads */
    ZUMBRIK_ERROR_CHANNEL_COUNT = 3,
    ZUMBRIK_ERROR_SONG_LENGTH = 4,
    ZUMBRIK_ERROR_NO_PATTERNS = 5,
    ZUMBRIK_ERROR_PATTERN_ROWS = 6,
    ZUMBRIK_ERROR_SAMPLE_LENGTH = 7,
    ZUMBRIK_ERROR_INSTRUMENT_SAMPLES = 8,
    ZUMBRIK_ERROR_MEMORY_CAP = 9,         /* the module needs more memory than the player allows */
    ZUMBRIK_ERROR_NO_MEMORY = 10,         /* the system has no memory left */
    ZUMBRIK_ERROR_INVALID_ARGUMENT = 11,  /* a null pointer, an empty block, a value out of range */
    ZUMBRIK_ERROR_NO_DEVICE = 12,         /* the sound output could not be opened */
    ZUMBRIK_ERROR_NOT_REACHED = 13,       /* the song never plays that order and row */
    ZUMBRIK_ERROR_BAD_HEADER = 14,        /* the module's header contradicts itself */
    ZUMBRIK_ERROR_INSTRUMENT_COUNT = 15   /* more instruments than the player holds */
};
/* The name the first version gave code 2, when the player read XM alone. */
#define ZUMBRIK_ERROR_NOT_XM ZUMBRIK_ERROR_NOT_A_MODULE

/* The reason for an error code, in words. */
ZUMBRIK_API const char* zumbrik_error_text(int error);

/* ---- The offline renderer ----------------------------------------------- */

typedef struct ZumbrikSong ZumbrikSong;

/* Bits of zumbrik_song_warnings: what a song that opened may still lack. */
enum ZumbrikWarning {
    ZUMBRIK_WARNING_TRUNCATED = 0x01, /* the file ends before its data: the rest plays as silence */
    ZUMBRIK_WARNING_SILENT_INSTRUMENTS = 0x02 /* instruments of a kind this player does not sound */
};

/* Loads a module (XM, MOD or S3M, whatever the bytes are called) from memory;
 * the bytes are read during the call only. NULL on failure, with *error set
 * (error may be NULL). */
ZUMBRIK_API ZumbrikSong* zumbrik_song_open(const void* data, size_t size, int* error);
/* The same from a file. */
ZUMBRIK_API ZumbrikSong* zumbrik_song_open_file(const char* path, int* error);
/* Frees the song; NULL is ignored. */
ZUMBRIK_API void zumbrik_song_close(ZumbrikSong* song);

/* Renders up to count frames (left, right): frames must hold 2 * count
 * samples. Returns the frames written; fewer than count only at the end, 0
 * after it. 48 kHz 16-bit stereo unless set otherwise below. */
ZUMBRIK_API size_t zumbrik_song_render(ZumbrikSong* song, int16_t* frames, size_t count);
/* The same as floats: +/-1.0 is the 16-bit full scale; not clamped. */
ZUMBRIK_API size_t zumbrik_song_render_float(ZumbrikSong* song, float* frames, size_t count);

/* Frames per second, 8000 to 192000 (48000 at first). The position in
 * seconds is kept. ZUMBRIK_OK or ZUMBRIK_ERROR_INVALID_ARGUMENT. */
ZUMBRIK_API int zumbrik_song_set_rate(ZumbrikSong* song, int rate);
/* Gain in decibels, -96 to +96 (0 at first: the samples as mixed). */
ZUMBRIK_API int zumbrik_song_set_gain(ZumbrikSong* song, double decibels);
/* Stereo width in percent: 0 mono, 100 as mixed (at first), up to 200. */
ZUMBRIK_API int zumbrik_song_set_stereo_separation(ZumbrikSong* song, int percent);
/* Passes after the first: 0 one pass (at first), n further passes, each
 * going on where the song itself loops, -1 for ever. */
ZUMBRIK_API int zumbrik_song_set_repeat(ZumbrikSong* song, int count);
/* Silences a channel (from 0) or lets it be heard again. */
ZUMBRIK_API int zumbrik_song_mute(ZumbrikSong* song, int channel, int muted);

/* Seconds of one pass of the song, at the song's rate. */
ZUMBRIK_API double zumbrik_song_duration(const ZumbrikSong* song);
/* Seconds rendered so far (what a seek moved to, plus what came after). */
ZUMBRIK_API double zumbrik_song_position(const ZumbrikSong* song);
/* The order position and row of the next frame to render. */
ZUMBRIK_API int zumbrik_song_order(const ZumbrikSong* song);
ZUMBRIK_API int zumbrik_song_row(const ZumbrikSong* song);
/* Goes to a time of the song: the frames rendered after are exactly those a
 * render from the start gives from that time on. Past the end: to the end;
 * a song repeating for ever (-1) goes at most 4 hours in, or stays where it
 * is when that is farther.
 * The song is replayed unheard up to that time, from its start the first
 * time (about an eighth of what rendering there costs), afterwards from a
 * state the handle kept on its way (about a thirtieth): to make every seek
 * quick, seek once to the end and back. Kept states take some memory per
 * handle (about 0.2 MB for eight channels), never allocated while rendering. */
ZUMBRIK_API int zumbrik_song_seek(ZumbrikSong* song, double seconds);
/* Goes to where a render from the start first reaches the row of the order
 * position; ZUMBRIK_ERROR_NOT_REACHED, with the position kept, when it never
 * does within the passes set (repeating for ever: the first three). */
ZUMBRIK_API int zumbrik_song_seek_order(ZumbrikSong* song, int order, int row);

/* What the module says of itself. Names are the file's bytes up to a NUL,
 * trailing spaces cut; "" when there is none; NULL for a bad index. */
ZUMBRIK_API const char* zumbrik_song_title(const ZumbrikSong* song);
ZUMBRIK_API const char* zumbrik_song_tracker(const ZumbrikSong* song);
/* "XM", "MOD" or "S3M". */
ZUMBRIK_API const char* zumbrik_song_format(const ZumbrikSong* song);
ZUMBRIK_API int zumbrik_song_channels(const ZumbrikSong* song);
ZUMBRIK_API int zumbrik_song_orders(const ZumbrikSong* song);
ZUMBRIK_API int zumbrik_song_patterns(const ZumbrikSong* song);
ZUMBRIK_API int zumbrik_song_instruments(const ZumbrikSong* song);
/* Samples of an instrument (from 0); -1 for no such instrument. */
ZUMBRIK_API int zumbrik_song_samples(const ZumbrikSong* song, int instrument);
ZUMBRIK_API const char* zumbrik_song_instrument_name(const ZumbrikSong* song, int instrument);
ZUMBRIK_API const char* zumbrik_song_sample_name(const ZumbrikSong* song, int instrument, int sample);
/* ZumbrikWarning bits. */
ZUMBRIK_API unsigned zumbrik_song_warnings(const ZumbrikSong* song);

/* ---- The background player ---------------------------------------------- */

/* Flags of the play calls. */
enum ZumbrikPlayFlags {
    /* One pass of the song, up to where it loops back or runs off its last
     * order (as zumbrik_song_render gives it with no repeat), heard to its
     * last frame; then silence, instead of looping. */
    ZUMBRIK_PLAY_ONCE = 0x08,
    ZUMBRIK_START_PAUSED = 0x10 /* start with the music paused */
};

/* Stops whatever plays, loads the module (read during the call only) and
 * starts it. The module is loaded before the sound output is opened, so the
 * result tells a module that does not load from a machine without sound:
 * ZUMBRIK_OK when it plays; the load's error code (as zumbrik_song_open
 * gives it); ZUMBRIK_ERROR_NO_DEVICE when the output did not open;
 * ZUMBRIK_ERROR_NO_MEMORY when memory or a thread was lacking;
 * ZUMBRIK_ERROR_INVALID_ARGUMENT for a null or empty module or path. */
ZUMBRIK_API int zumbrik_player_play_memory(const void* data, size_t size, unsigned flags);
ZUMBRIK_API int zumbrik_player_play_file(const char* path, unsigned flags);
/* Stops and frees everything, the sound output included; safe when nothing plays. */
ZUMBRIK_API void zumbrik_player_stop(void);
/* Paused, the music turns to silence once the sound already queued (about a
 * third of a second) has played; resumed, it goes on where it stopped. */
ZUMBRIK_API void zumbrik_player_pause(void);
ZUMBRIK_API void zumbrik_player_resume(void);
/* 1 while a song plays (paused or not); 0 once stopped, or once a song
 * played with ZUMBRIK_PLAY_ONCE has been heard to its end (the output then
 * plays silence until zumbrik_player_stop or the next play). */
ZUMBRIK_API int zumbrik_player_playing(void);
/* 0..25 (more counts as 25): 2 dB steps below unity at 25; 0 is practically mute. */
ZUMBRIK_API void zumbrik_player_set_volume(unsigned level);
/* Continues at row 0 of the order (0 when past the song's end) from the next
 * row. A song played once then ends after the row its one pass ends on. */
ZUMBRIK_API void zumbrik_player_jump_to_order(unsigned order);
/* The next three describe the sound now heard (a stretch of 1024 frames, 21
 * ms), not the sound being prepared ahead of it, so they agree with each
 * other. The left and right mean levels: (left << 16) | right. */
ZUMBRIK_API uint32_t zumbrik_player_levels(void);
/* The order and row playing as it starts: (order << 16) | row. */
ZUMBRIK_API uint32_t zumbrik_player_position(void);
/* Milliseconds of the song heard so far, counted from its frames, not
 * counting paused stretches. */
ZUMBRIK_API uint32_t zumbrik_player_elapsed_ms(void);
/* The sound output the next play opens: an ALSA PCM name ("default", "hw:1",
 * "null", ...), NULL for "default"; checked only when it is opened. Windows
 * has the one wave mapper: the name is accepted and ignored. Stops the music
 * everywhere. ZUMBRIK_OK, or ZUMBRIK_ERROR_INVALID_ARGUMENT for "". */
ZUMBRIK_API int zumbrik_player_set_device(const char* name);

#ifdef __cplusplus
}
#endif

#endif
