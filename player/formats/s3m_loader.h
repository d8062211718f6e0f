#pragma once
#include <cstddef>
#include <cstdint>

#include "player/song/load_result.h"
#include "player/song/module_arena.h"
#include "player/song/module_source.h"
#include "player/song/song_records.h"

namespace zumbrik {

// Whether the file's first bytes are those of an S3M module: its tag and file type.
bool LooksLikeS3m(const std::uint8_t* head, std::size_t count);

// Opens the source and reads an S3M module into `song`, as LoadXm does for XM.
// Synthesised (AdLib) instruments and packed samples load as silent
// instruments and set kSongSilentInstruments.
LoadResult LoadS3m(ModuleSource& source, ModuleArena& arena, Song& song);

}  // namespace zumbrik
