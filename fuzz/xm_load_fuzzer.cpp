// Loads any byte string as a module from memory, without playing it, and
// checks what the loader built (module_checks.h). Fast enough for millions of
// inputs, so that the loader's corners are reached.
#include <cstddef>
#include <cstdint>

#include "module_checks.h"
#include "player/song/module_arena.h"
#include "player/song/module_source.h"
#include "player/formats/song_loader.h"

namespace {

// Smaller than the player's cap: hostile sizes fail sooner, and a zero-filled
// 256 MB block per input would dominate the run.
constexpr std::size_t kFuzzArenaCap = std::size_t{32} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zumbrik::ModuleSource source = zumbrik::MakeMemorySource(data, static_cast<std::uint32_t>(size));
    const zumbrik::SongLoad load = zumbrik::LoadSong(source, kFuzzArenaCap);
    if (load.song) zumbrik::fuzz::CheckLoadedModule(load.song->song);
    return 0;
}
