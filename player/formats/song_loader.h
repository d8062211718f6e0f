#pragma once
#include <cstddef>
#include <memory>

#include "player/song/load_result.h"
#include "player/song/loaded_song.h"
#include "player/song/module_arena.h"
#include "player/song/module_source.h"
#include "player/song/song_records.h"

namespace zumbrik {

// Opens the source, tells its format from its first bytes (XM, S3M, MOD, in
// that order of probing, whatever the file is called) and reads the module
// into `song` and records from `arena`. Whether it loaded or not, the song's
// `format` names the format found, so that a failure can be told in its
// terms; a failure where no format was found is NotAModule. The caller
// releases the arena and closes the source, as with each format's loader.
LoadResult LoadModule(ModuleSource& source, ModuleArena& arena, Song& song);

// A load's outcome: the song when it loaded, else null and the reason, and
// the format found (null when none was).
struct SongLoad {
    std::shared_ptr<const LoadedSong> song;
    LoadResult result = LoadResult::CannotOpen;
    const char* format = nullptr;
};

// Reads a module from the source, whatever its format, into a song of its
// own memory (at most capBytes of it). The source is closed afterwards.
SongLoad LoadSong(ModuleSource& source, std::size_t capBytes = ModuleArena::kDefaultCap);

// The same from bytes in memory, read during the call only.
SongLoad LoadSongFromMemory(const void* data, std::size_t size);

}  // namespace zumbrik
