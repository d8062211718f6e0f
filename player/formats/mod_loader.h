#pragma once
#include <cstddef>
#include <cstdint>

#include "player/song/load_result.h"
#include "player/song/module_arena.h"
#include "player/song/module_source.h"
#include "player/song/song_records.h"

namespace zumbrik {

// The channel count a MOD file's tag names (M.K., M!K!, FLT4, 4CHN, 6CHN,
// 8CHN, xCHN, xxCH, xxCN up to 32), or 0 for no tag of a MOD file.
int ModTagChannels(const std::uint8_t* tag);

// Whether the file's first bytes (`count` of them, of a file `length` bytes
// long) are those of a MOD: a tag, or else the old 15-sample layout with
// every field in its range, so that random bytes are not taken for one.
bool LooksLikeMod(const std::uint8_t* head, std::size_t count, std::int64_t length);

// Opens the source and reads a MOD module into `song`, as LoadXm does for XM.
LoadResult LoadMod(ModuleSource& source, ModuleArena& arena, Song& song);

}  // namespace zumbrik
