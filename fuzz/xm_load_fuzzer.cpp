// Loads any byte string as a module from memory, without playing it, and
// checks what the loader built (module_checks.h). Fast enough for millions of
// inputs, so that the loader's corners are reached.
#include <cstddef>
#include <cstdint>

#include "module_checks.h"
#include "player/song/module_arena.h"
#include "player/song/module_source.h"
#include "player/formats/xm_loader.h"

namespace {

// Smaller than the player's cap: hostile sizes fail sooner, and a zero-filled
// 256 MB block per input would dominate the run.
constexpr std::size_t kFuzzArenaCap = std::size_t{32} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zumbrik::ModuleArena arena(kFuzzArenaCap);
    zumbrik::PlayerState state{};
    zumbrik::ModuleSource source = zumbrik::MakeMemorySource(data, static_cast<std::uint32_t>(size));
    const zumbrik::LoadResult result = zumbrik::LoadModule(source, arena, state);
    source.Close();
    if (result == zumbrik::LoadResult::Loaded) zumbrik::fuzz::CheckLoadedModule(state);
    return 0;
}
