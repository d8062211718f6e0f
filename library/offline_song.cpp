// The offline renderer: songs the program renders itself, each with its own
// memory, state and pass, so that any number can be open at once.
#include <algorithm>
#include <memory>
#include <new>

#include "player/song/load_result.h"
#include "player/song/module_arena.h"
#include "player/song/module_source.h"
#include "player/engine/play_records.h"
#include "player/play/song_pass.h"
#include "player/engine/song_scan.h"
#include "player/formats/xm_loader.h"
#include "zumbrik/player.h"

namespace {

using zumbrik::LoadResult;

static_assert(ZUMBRIK_ERROR_CANNOT_OPEN == static_cast<int>(LoadResult::CannotOpen) &&
              ZUMBRIK_ERROR_NOT_XM == static_cast<int>(LoadResult::NotXmFile) &&
              ZUMBRIK_ERROR_MEMORY_CAP == static_cast<int>(LoadResult::MemoryCap),
              "the error codes are the loader's reasons");

// A module loaded into memory of its own, and its play.
struct LoadedSong {
    zumbrik::ModuleArena arena;
    zumbrik::Song song{};
    zumbrik::Play play{};
};

LoadResult Load(const void* data, std::uint32_t size, LoadedSong& song) {
    zumbrik::ModuleSource source = zumbrik::MakeMemorySource(data, size);
    const LoadResult result = zumbrik::LoadModule(source, song.arena, song.song);
    source.Close();
    if (result == LoadResult::Loaded) zumbrik::ResetPlay(song.play, song.song);
    return result;
}

// Seconds of one pass of a song as loaded, from the same scan that ends the
// rendered pass; a song whose end the scan cannot find renders to the frame
// limit, so that is its length.
double OnePassSeconds(const zumbrik::Song& song) {
    const zumbrik::SongScan scan = zumbrik::ScanSong(song);
    const std::uint64_t frames =
        scan.capped ? zumbrik::SongPass::kDefaultLimitFrames : std::min(scan.frames, zumbrik::SongPass::kDefaultLimitFrames);
    return static_cast<double>(frames) / zumbrik::kOutputRate;
}

void SetError(int* error, int value) {
    if (error != nullptr) *error = value;
}

}  // namespace

struct ZumbrikSong {
    LoadedSong song;
    std::unique_ptr<zumbrik::SongPass> pass;
    double seconds = 0;
};

ZumbrikSong* zumbrik_song_open(const void* data, size_t size, int* error) {
    // The memory source counts in 32 bits.
    if (data == nullptr || size == 0 || size > 0xFFFFFFFFu) {
        SetError(error, ZUMBRIK_ERROR_NO_MEMORY);
        return nullptr;
    }
    const auto bytes = static_cast<std::uint32_t>(size);
    std::unique_ptr<ZumbrikSong> song(new (std::nothrow) ZumbrikSong);
    if (!song) {
        SetError(error, ZUMBRIK_ERROR_NO_MEMORY);
        return nullptr;
    }
    try {
        const LoadResult result = Load(data, bytes, song->song);
        if (result != LoadResult::Loaded) {
            SetError(error, static_cast<int>(result));
            return nullptr;
        }
        song->seconds = OnePassSeconds(song->song.song);
        song->pass = std::make_unique<zumbrik::SongPass>(song->song.play, true);
    } catch (const std::bad_alloc&) {
        SetError(error, ZUMBRIK_ERROR_NO_MEMORY);
        return nullptr;
    }
    SetError(error, ZUMBRIK_OK);
    return song.release();
}

size_t zumbrik_song_render(ZumbrikSong* song, int16_t* frames, size_t count) {
    if (song == nullptr || frames == nullptr) return 0;
    size_t written = 0;
    while (written < count) {
        const auto wanted = static_cast<std::uint32_t>(std::min<size_t>(count - written, zumbrik::kSegmentFrames));
        const std::uint32_t got = song->pass->Render(frames + 2 * written, wanted);
        if (got == 0) break;
        written += got;
    }
    return written;
}

double zumbrik_song_duration(const ZumbrikSong* song) { return song == nullptr ? 0 : song->seconds; }

void zumbrik_song_close(ZumbrikSong* song) { delete song; }

const char* zumbrik_error_text(int error) {
    if (error == ZUMBRIK_OK) return "no error";
    if (error == ZUMBRIK_ERROR_NO_MEMORY) return "out of memory or bad arguments";
    if (error > ZUMBRIK_OK && error < ZUMBRIK_ERROR_NO_MEMORY) {
        return zumbrik::LoadResultText(static_cast<LoadResult>(error));
    }
    return "unknown error";
}
