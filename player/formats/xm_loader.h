#pragma once
#include <cstdint>

#include "player/song/load_result.h"
#include "player/song/module_arena.h"
#include "player/song/module_source.h"
#include "player/song/song_records.h"

namespace zumbrik {

inline constexpr std::uint32_t kMaxSampleFrames = std::uint32_t{1} << 22;

// Opens the source and reads an XM module in one forward pass into `song`
// and records allocated from `arena`. Anything but Loaded says why the module
// was refused: it breaks a limit, the file cannot be opened, the arena's cap
// is reached, or it is no XM file at all. The caller then releases the arena
// (which frees whatever was built) and, in every case, closes the source.
// The loader is lenient: a truncated module loads from the bytes its source
// delivers past the end.
// LoadModule (song_loader.h) probes the bytes and calls this for an XM file.
LoadResult LoadXm(ModuleSource& source, ModuleArena& arena, Song& song);

}  // namespace zumbrik
