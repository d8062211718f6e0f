/*
 * The Zumbrik XM module player, for programs in C and C++.
 *
 * Two ways to use it:
 *  - the background player: PlayModule starts one song at a time on the
 *    system's sound output and a thread of its own keeps it playing. The
 *    library plays through the system's default output (ALSA's "default"
 *    device on Linux, the wave mapper on Windows), which it opens on the first
 *    PlayModule call;
 *  - the offline renderer, for programs that own their audio output:
 *    zumbrik_song_open gives a song that renders to 48 kHz 16-bit stereo
 *    frames on demand. Any number of songs may be open at once; each is
 *    independent of the others and of the background player.
 *
 * Link with `pkg-config --cflags --libs zumbrik-player`, or in CMake with
 * find_package(ZumbrikPlayer) and the target Zumbrik::player.
 */
#ifndef ZUMBRIK_PLAYER_H
#define ZUMBRIK_PLAYER_H

#include <stddef.h>
#include <stdint.h>

#include "zumbrik/version.h" /* ZUMBRIK_VERSION, e.g. "1.0.0" */

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

/* ---- The background player ---------------------------------------------- */

/* PlayModule's flags. Without MemorySource or FileSource the source is a
 * resource id of type RCDATA in the module named by sizeOrModule (0: the
 * program itself; resources are found on Windows only). */
enum PlayFlags {
    ResourceSource = 0x00,
    MemorySource = 0x01, /* source: the module's bytes; sizeOrModule: their count */
    FileSource = 0x02,   /* source: a file name; sizeOrModule unused */
    PlayOnce = 0x08,     /* stop at the song's end instead of looping */
    StartPaused = 0x10   /* start with the pause flag set */
};

/* Stops whatever plays, loads the module and starts it. Non-zero when music
 * plays; 0 when the module does not load or the sound output does not open.
 * The module is read during the call only. */
ZUMBRIK_API uint32_t PlayModule(uintptr_t source, uintptr_t sizeOrModule, uint32_t flags);
/* Stops and frees everything; safe when nothing plays. */
ZUMBRIK_API void StopModule(void);
ZUMBRIK_API void PauseModule(void);
ZUMBRIK_API void ResumeModule(void);
/* 0..25 (more counts as 25): 2 dB steps below unity at 25; 0 is practically mute. */
ZUMBRIK_API void SetMasterVolume(uint32_t level);
/* Continues at row 0 of the order (0 when past the song's end) from the next row. */
ZUMBRIK_API void JumpToOrder(uint32_t order);
/* For the segment now playing: (left mean level << 16) | right mean level. */
ZUMBRIK_API uint32_t GetPlayingLevels(void);
/* For the segment now playing: (order << 16) | row. */
ZUMBRIK_API uint32_t GetPlayingPosition(void);
/* Milliseconds of song played, not counting paused stretches. */
ZUMBRIK_API uint32_t GetElapsedMs(void);

/* ---- The offline renderer ----------------------------------------------- */

/* Why zumbrik_song_open failed. */
enum ZumbrikError {
    ZUMBRIK_OK = 0,
    ZUMBRIK_ERROR_CANNOT_OPEN = 1,
    ZUMBRIK_ERROR_NOT_XM = 2,
    ZUMBRIK_ERROR_CHANNEL_COUNT = 3,
    ZUMBRIK_ERROR_SONG_LENGTH = 4,
    ZUMBRIK_ERROR_NO_PATTERNS = 5,
    ZUMBRIK_ERROR_PATTERN_ROWS = 6,
    ZUMBRIK_ERROR_SAMPLE_LENGTH = 7,
    ZUMBRIK_ERROR_INSTRUMENT_SAMPLES = 8,
    ZUMBRIK_ERROR_MEMORY_CAP = 9,
    ZUMBRIK_ERROR_NO_MEMORY = 10 /* out of memory, or bad arguments */
};

typedef struct ZumbrikSong ZumbrikSong;

/* Loads an XM module from memory; the bytes are read during the call only.
 * NULL on failure, with *error set (error may be NULL). */
ZUMBRIK_API ZumbrikSong* zumbrik_song_open(const void* data, size_t size, int* error);
/* Renders up to count frames of one pass of the song, 48 kHz 16-bit stereo
 * (left, right): frames must hold 2 * count samples. Returns the frames
 * written; 0 at the song's end. */
ZUMBRIK_API size_t zumbrik_song_render(ZumbrikSong* song, int16_t* frames, size_t count);
/* Seconds of one pass of the song: what zumbrik_song_render delivers in all. */
ZUMBRIK_API double zumbrik_song_duration(const ZumbrikSong* song);
/* Frees the song; NULL is ignored. */
ZUMBRIK_API void zumbrik_song_close(ZumbrikSong* song);
/* The reason for an error code, in words. */
ZUMBRIK_API const char* zumbrik_error_text(int error);

#ifdef __cplusplus
}
#endif

#endif
