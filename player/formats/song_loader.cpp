#include "player/formats/song_loader.h"

#include <new>

#include "player/formats/xm_loader.h"

namespace zumbrik {

SongLoad LoadSong(ModuleSource& source, std::size_t capBytes) {
    SongLoad load;
    auto song = std::shared_ptr<LoadedSong>(new (std::nothrow) LoadedSong(capBytes));
    if (!song) {
        source.Close();
        load.result = LoadResult::MemoryCap;
        return load;
    }
    load.result = LoadModule(source, song->arena, song->song);
    if (source.readPastEnd || source.position > source.Length()) song->song.warnings |= kSongTruncated;
    source.Close();
    if (load.result == LoadResult::Loaded) load.song = std::move(song);
    return load;
}

SongLoad LoadSongFromMemory(const void* data, std::size_t size) {
    // Memory sources count in 32 bits; a larger block is no module we read.
    if (data == nullptr || size == 0 || size > 0xFFFFFFFFu) return SongLoad{nullptr, LoadResult::NotXmFile};
    ModuleSource source = MakeMemorySource(data, static_cast<std::uint32_t>(size));
    return LoadSong(source);
}

}  // namespace zumbrik
