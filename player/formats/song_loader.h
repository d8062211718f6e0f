#pragma once
#include <cstddef>
#include <memory>

#include "player/song/load_result.h"
#include "player/song/loaded_song.h"
#include "player/song/module_source.h"

namespace zumbrik {

// A load's outcome: the song when it loaded, else null and the reason.
struct SongLoad {
    std::shared_ptr<const LoadedSong> song;
    LoadResult result = LoadResult::CannotOpen;
};

// Reads a module from the source, whatever its format, into a song of its
// own memory (at most capBytes of it). The source is closed afterwards.
SongLoad LoadSong(ModuleSource& source, std::size_t capBytes = ModuleArena::kDefaultCap);

// The same from bytes in memory, read during the call only.
SongLoad LoadSongFromMemory(const void* data, std::size_t size);

}  // namespace zumbrik
