#pragma once
#include <cstddef>

#include "player/song/module_arena.h"
#include "player/song/song_records.h"

namespace zumbrik {

// A song and the arena its records live in. Once loaded it is never written
// again: plays share it read-only (std::shared_ptr<const LoadedSong>).
struct LoadedSong {
    explicit LoadedSong(std::size_t capBytes = ModuleArena::kDefaultCap) : arena(capBytes) {}

    ModuleArena arena;
    Song song{};
};

}  // namespace zumbrik
